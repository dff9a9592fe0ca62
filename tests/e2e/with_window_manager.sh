#!/bin/sh
# with_window_manager.sh -- runs a command in the current X server with a window manager running
#
# Full screen and the close button need a window manager, as on any desktop. It is
# waited for until it has claimed the screen; the bound only catches one that never does.
# Either way that it fails to, the message says what happened and what openbox printed.
BOUND=90
log=$(mktemp) || exit 1
openbox --sm-disable >"$log" 2>&1 &
wm=$!
deadline=$(($(date +%s) + BOUND))
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
  if ! kill -0 $wm 2>/dev/null; then
    wait $wm
    echo "the window manager (openbox) exited with status $? before it claimed the screen of $DISPLAY:" >&2
    sed 's/^/  openbox: /' "$log" >&2
    rm -f "$log"
    exit 1
  fi
  if [ "$(date +%s)" -ge $deadline ]; then
    echo "the window manager (openbox) did not claim the screen of $DISPLAY within $BOUND s:" >&2
    sed 's/^/  openbox: /' "$log" >&2
    kill $wm 2>/dev/null
    rm -f "$log"
    exit 1
  fi
  sleep 0.1
done
"$@"
status=$?
if ! kill -0 $wm 2>/dev/null; then
  wait $wm
  echo "the window manager (openbox) exited with status $? while the command ran:" >&2
  sed 's/^/  openbox: /' "$log" >&2
fi
kill $wm 2>/dev/null
wait $wm 2>/dev/null
rm -f "$log"
exit $status
