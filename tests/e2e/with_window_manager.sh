#!/bin/sh
# with_window_manager.sh -- runs a command in the current X server with a window manager running
#
# Full screen and the close button need a window manager, as on any desktop. The command
# starts only once openbox has finished starting (it runs its --startup command then):
# openbox claims the screen early in its start-up, and a window mapped between that and
# the end of it may never be shown. The bound only catches an openbox that never gets there;
# if it fails, the message says what happened and what openbox printed.
BOUND=90
scratch=$(mktemp -d) || exit 1
openbox --sm-disable --startup "touch $scratch/ready" >"$scratch/log" 2>&1 &
wm=$!
deadline=$(($(date +%s) + BOUND))
until [ -e "$scratch/ready" ]; do
  if ! kill -0 $wm 2>/dev/null; then
    wait $wm
    echo "the window manager (openbox) exited with status $? before it had started on $DISPLAY:" >&2
    sed 's/^/  openbox: /' "$scratch/log" >&2
    rm -rf "$scratch"
    exit 1
  fi
  if [ "$(date +%s)" -ge $deadline ]; then
    echo "the window manager (openbox) had not started on $DISPLAY within $BOUND s:" >&2
    sed 's/^/  openbox: /' "$scratch/log" >&2
    kill $wm 2>/dev/null
    rm -rf "$scratch"
    exit 1
  fi
  sleep 0.1
done
"$@"
status=$?
if ! kill -0 $wm 2>/dev/null; then
  wait $wm
  echo "the window manager (openbox) exited with status $? while the command ran:" >&2
  sed 's/^/  openbox: /' "$scratch/log" >&2
fi
kill $wm 2>/dev/null
wait $wm 2>/dev/null
rm -rf "$scratch"
exit $status
