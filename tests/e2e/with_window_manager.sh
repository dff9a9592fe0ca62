#!/bin/sh
# with_window_manager.sh -- runs a command in the current X server with a window manager running
#
# Full screen and the close button need a window manager, as on any desktop. It is
# waited for until it has claimed the screen; the bound only catches one that never does.
BOUND=90
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
deadline=$(($(date +%s) + BOUND))
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
  if [ "$(date +%s)" -ge $deadline ] || ! kill -0 $wm 2>/dev/null; then
    echo "the window manager did not start within $BOUND s" >&2
    kill $wm 2>/dev/null
    exit 1
  fi
  sleep 0.1
done
"$@"
status=$?
kill $wm 2>/dev/null
wait $wm 2>/dev/null
exit $status
