#!/bin/sh
# with_x_server.sh -- runs a command in a virtual X server of its own: with_x_server.sh WxHxDEPTH COMMAND...
#
# The server picks a free display number itself (-displayfd) and says which, so suites
# running at the same time never share a display. (xvfb-run -a guesses a number from the
# lock files, and two runs starting together could both end up on one server.)
#
# NOTE: -noreset is what makes the server dependable. By default an X server resets when
# its last client disconnects, and a client that connects during the reset is dropped
# ("unable to open display"). Tests connect and disconnect all the time (xdotool, xprop,
# the intro itself), so without it a client fails now and then, and often on a busy machine.
# The command finds the server's process id in X_SERVER_PID, to measure what it costs.
screen=$1
shift
scratch=$(mktemp -d) || exit 1
mkfifo "$scratch/number" || exit 1
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "$screen" 3>"$scratch/number" >/dev/null 2>"$scratch/log" &
server=$!
# The read ends with the number, or empty when the server died before it had one.
read -r number <"$scratch/number"
if [ -z "$number" ]; then
    echo "the virtual X server did not start:" >&2
    sed 's/^/  Xvfb: /' "$scratch/log" >&2
    kill $server 2>/dev/null
    rm -rf "$scratch"
    exit 1
fi
X_SERVER_PID=$server DISPLAY=:$number "$@"
status=$?
kill $server 2>/dev/null
wait $server 2>/dev/null
rm -rf "$scratch"
exit $status
