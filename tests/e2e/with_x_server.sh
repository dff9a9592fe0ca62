#!/bin/sh
# with_x_server.sh -- runs a command in a virtual X server of its own: with_x_server.sh WxHxDEPTH COMMAND...
#
# The server picks a free display number itself (-displayfd) and says which, so suites
# running at the same time never share a display. (xvfb-run -a guesses a number from the
# lock files, and two runs starting together could both end up on one server.)
screen=$1
shift
fifo=$(mktemp -u)
mkfifo "$fifo" || exit 1
Xvfb -displayfd 3 -nolisten tcp -screen 0 "$screen" 3>"$fifo" >/dev/null 2>&1 &
server=$!
# The read ends with the number, or empty when the server died before it had one.
read -r number <"$fifo"
rm -f "$fifo"
if [ -z "$number" ]; then
    echo "the virtual X server did not start" >&2
    kill $server 2>/dev/null
    exit 1
fi
DISPLAY=:$number "$@"
status=$?
kill $server 2>/dev/null
wait $server 2>/dev/null
exit $status
