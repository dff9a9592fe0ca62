#!/bin/sh
# with_window_manager.sh -- runs a command in the current X server with a window manager running
#
# Full screen and the close button need a window manager, as on any desktop.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then
    echo "the window manager did not start" >&2
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
