#!/bin/sh
# audio_e2e.sh -- the intro's sound end to end: the music reaches a disk "device", and with no device the show runs silent
#
# Usage, under a virtual X server:  sh with_x_server.sh 1024x768x24 sh audio_e2e.sh path/to/swayboard
# Every wait below is for a condition, bounded by BOUND seconds: a busy machine may take
# long to start the intro or to feed the device, and that is no failure.
set -u
intro=$1
BOUND=${AUDIO_E2E_BOUND:-90}
# Two seconds of 44,100 Hz stereo S16: the music has been playing for a while.
ENOUGH_AUDIO=$((44100 * 4 * 2))
SOUND_PEAK=1000
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

running() {
    kill -0 "$1" 2>/dev/null
}

# The seconds since the epoch, for the bounds.
now() {
    date +%s
}

# The largest absolute sample of a raw file of signed 16-bit native-order samples.
peak_of() {
    od -An -v -td2 -w2 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

# The disk device has written two seconds of audio and some of it sounds.
music_written() {
    [ -s "$scratch/out.raw" ] || return 1
    [ "$(wc -c <"$scratch/out.raw")" -ge $ENOUGH_AUDIO ] || return 1
    [ "$(peak_of "$scratch/out.raw")" -gt $SOUND_PEAK ]
}

# The show is still running after a moment of its frames (a second at 50 per second).
ran_a_while() {
    [ $(($(now) - shown_at)) -ge 2 ]
}

# run_show DRIVER CONDITION: runs the intro in a window with that audio driver, waits until
# CONDITION holds while it runs, ends it with a key and checks that it exits with 0.
run_show() {
    driver=$1
    condition=$2
    SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE="$scratch/out.raw" "$intro" window >"$scratch/log" 2>&1 &
    pid=$!
    deadline=$(($(now) + BOUND))
    window=""
    while [ -z "$window" ] && [ "$(now)" -lt $deadline ] && running $pid; do
        window=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -n 1)
        [ -n "$window" ] || sleep 0.1
    done
    if [ -z "$window" ]; then
        if running $pid; then
            fail "$driver: no window appeared in $BOUND s"
            kill $pid 2>/dev/null
            wait $pid 2>/dev/null
        else
            wait $pid
            fail "$driver: the intro ended with status $? before its window appeared"
        fi
        sed 's/^/  intro: /' "$scratch/log"
        return
    fi
    shown_at=$(now)
    deadline=$(($(now) + BOUND))
    while running $pid && [ "$(now)" -lt $deadline ] && ! $condition; do
        sleep 0.2
    done
    if ! running $pid; then
        wait $pid
        fail "$driver: the show ended by itself (status $?)"
        return
    fi
    $condition || fail "$driver: $condition did not hold within $BOUND s"
    # Focus follows the pointer on a bare X server; a key press and release ends the show.
    xdotool mousemove --window "$window" 400 300
    xdotool key space
    deadline=$(($(now) + BOUND))
    while running $pid && [ "$(now)" -lt $deadline ]; do
        sleep 0.1
    done
    if running $pid; then
        fail "$driver: the show did not end on a key release"
        kill $pid
    fi
    wait $pid
    status=$?
    [ $status -eq 0 ] || fail "$driver: exit status $status"
}

# No device: an audio driver that cannot open. The show runs and exits 0, writing nothing.
run_show no-such-driver ran_a_while
[ ! -e "$scratch/out.raw" ] || fail "no-such-driver: audio was written"

# A disk "device": the music arrives in it while the show runs.
run_show disk music_written
if [ -s "$scratch/out.raw" ]; then
    echo "disk: $(wc -c <"$scratch/out.raw") bytes of audio, peak $(peak_of "$scratch/out.raw")"
else
    fail "disk: no audio was written"
fi

[ $failures -eq 0 ] || exit 1
echo "PASS"
