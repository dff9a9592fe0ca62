#!/bin/sh
# windows_test.sh -- the Windows zip under Wine: the recorder against the Linux one, the window, input, full screen, sound
#
# Usage, in a virtual X server with a window manager:
#   sh windows_test.sh ZIP LINUX_CAPTURE X_WINDOW BACKGROUND.bmp WINEPREFIX OBJDUMP
# The Wine prefix is made on the first run (about 25 s and 700 MB) and kept. One
# wineserver serves the whole run and is stopped before the script returns, so that it
# never outlives the X server. Every wait is for a condition, bounded by BOUND seconds.
set -u
zip=$1
linux_capture=$2
x_window=$3
background=$4
export WINEPREFIX="$5"
objdump=$6
BOUND=${WINDOWS_TEST_BOUND:-180}
SEEDS="1 7 2026"
FRAMES=3000
EVERY=100
# The logo above the text window: the show never draws there after the background.
LOGO="70 4 660 84"
# The scroller's band: it moves every frame.
SCROLL_X=0 SCROLL_Y=537 SCROLL_W=800 SCROLL_H=41
SHOW_W=800 SHOW_H=600
# Two seconds of 44,100 Hz stereo S16 from the disk audio driver, and a sound that is heard.
ENOUGH_AUDIO=$((44100 * 4 * 2))
SOUND_PEAK=1000
# Windows' own DLLs, which a program may import without shipping them.
SYSTEM_DLLS="kernel32.dll user32.dll gdi32.dll msvcrt.dll winmm.dll advapi32.dll shell32.dll ole32.dll dsound.dll"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=d" WINEARCH=win64
# SDL's disk driver otherwise sleeps 150 ms a buffer: the music would trickle out.
export SDL_DISKAUDIODELAY=20
scratch=$(mktemp -d)
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
now() {
    date +%s
}
running() {
    kill -0 "$1" 2>/dev/null
}
finish() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -rf "$scratch"
}
trap finish EXIT

cmake -E chdir "$scratch" cmake -E tar xf "$zip" || { echo "FAIL: cannot unpack $zip"; exit 1; }
folder=$(ls -d "$scratch"/swayboard-*-windows-x86_64)
mkdir -p "$WINEPREFIX"
wineserver -p || { echo "FAIL: wineserver did not start"; exit 1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX (once)"
    wineboot -i >/dev/null 2>&1
fi

# --- Every DLL the programs (and SDL.dll) import is in the folder or part of Windows
for program in swayboard.exe swayboard-capture.exe SDL.dll; do
    for dll in $("$objdump" -p "$folder/$program" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
        lower=$(echo "$dll" | tr "[:upper:]" "[:lower:]")
        if [ ! -f "$folder/$dll" ] && ! echo " $SYSTEM_DLLS " | grep -q " $lower "; then
            fail "$program imports $dll, which is neither in the zip nor part of Windows"
        fi
    done
done
"$objdump" -p "$folder/swayboard.exe" | grep -q "Subsystem.*(Windows GUI)" || fail "swayboard.exe is not a windowed program"
"$objdump" -p "$folder/swayboard-capture.exe" | grep -q "Subsystem.*(Windows CUI)" || fail "swayboard-capture.exe is not a console program"
# Resource types at the top of each program's resource tree: 3 icon, 0xe icon group, 0x10 version.
for program in swayboard.exe swayboard-capture.exe; do
    types=$("$objdump" -p "$folder/$program" | sed -n '/Resource Directory section/,$p' |
        sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
    [ "$types" = "3 e 10 " ] || fail "$program: resource types '$types', not the icon, its group and the version"
done

# --- The recorder: the same PNG frames and WAV as the Linux recorder's
linux_seconds=0
wine_seconds=0
for seed in $SEEDS; do
    args="--frames $FRAMES --seed $seed --every $EVERY --audio sound-$seed.wav --png frames-$seed"
    mkdir -p "$scratch/linux" "$scratch/wine"
    start=$(date +%s.%N)
    # shellcheck disable=SC2086
    (cd "$scratch/linux" && SDL_AUDIODRIVER=dummy "$linux_capture" $args >log 2>&1) ||
        { fail "the Linux recorder failed (seed $seed)"; sed 's/^/  /' "$scratch/linux/log"; }
    middle=$(date +%s.%N)
    # shellcheck disable=SC2086
    (cd "$scratch/wine" && wine "$folder/swayboard-capture.exe" $args >log 2>&1) ||
        { fail "the Windows recorder failed (seed $seed)"; sed 's/^/  /' "$scratch/wine/log"; }
    end=$(date +%s.%N)
    linux_seconds=$(echo "$linux_seconds $start $middle" | awk '{ print $1 + $3 - $2 }')
    wine_seconds=$(echo "$wine_seconds $middle $end" | awk '{ print $1 + $3 - $2 }')
    frames=$(ls "$scratch/linux/frames-$seed" 2>/dev/null | wc -l)
    [ "$frames" -eq $((FRAMES / EVERY)) ] || fail "seed $seed: $frames PNG frames from the Linux recorder"
    for frame in "$scratch"/linux/frames-"$seed"/*.png; do
        cmp -s "$frame" "$scratch/wine/frames-$seed/$(basename "$frame")" ||
            fail "seed $seed: $(basename "$frame") differs from the Linux recorder's"
    done
    cmp -s "$scratch/linux/sound-$seed.wav" "$scratch/wine/sound-$seed.wav" ||
        fail "seed $seed: the WAV differs from the Linux recorder's"
    rm -rf "$scratch/linux" "$scratch/wine"
done
# A second recording replaces the first one's file, which rename alone refuses on Windows.
for take in 1 2; do
    (cd "$scratch" && wine "$folder/swayboard-capture.exe" --frames 50 --audio again.wav >log 2>&1) ||
        { fail "recording again.wav, take $take, failed"; sed 's/^/  /' "$scratch/log"; }
done
echo "recorder, $FRAMES frames x $(echo $SEEDS | wc -w) seeds with PNG every $EVERY and WAV:" \
    "$(echo "$linux_seconds $FRAMES $SEEDS" | awk '{ printf "%.3f", 1000 * $1 / ($2 * (NF - 2)) }') ms a frame on Linux," \
    "$(echo "$wine_seconds $FRAMES $SEEDS" | awk '{ printf "%.3f", 1000 * $1 / ($2 * (NF - 2)) }') ms under Wine"

# --- The intro in a window and in full screen
# start_show [ARGUMENT]: starts the intro with the disk audio driver and waits for its
# window and for the logo; sets pid and window, or fails and leaves pid empty.
start_show() {
    rm -f "$scratch/out.raw"
    (cd "$scratch" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=out.raw exec wine "$folder/swayboard.exe" "$@") \
        >"$scratch/log" 2>&1 &
    pid=$!
    window=""
    deadline=$(($(now) + BOUND))
    while [ -z "$window" ] && [ "$(now)" -lt $deadline ] && running $pid; do
        window=$(xdotool search --onlyvisible --classname swayboard.exe 2>/dev/null | head -n 1)
        [ -n "$window" ] || sleep 0.2
    done
    # Where full screen cannot switch the display to 800x600 (as in the virtual X
    # server), the show is centred in a window the size of the screen.
    offset="0 0"
    if [ -n "$window" ]; then
        offset=$(xdotool getwindowgeometry "$window" |
            awk -v w=$SHOW_W -v h=$SHOW_H '/Geometry:/ { split($2, s, "x"); print int((s[1] - w) / 2), int((s[2] - h) / 2) }')
    fi
    until [ -z "$window" ] || "$x_window" same "$window" "$background" $LOGO $offset >/dev/null 2>&1 ||
        [ "$(now)" -ge $deadline ]; do
        sleep 0.2
    done
    if [ -z "$window" ] || ! "$x_window" same "$window" "$background" $LOGO $offset; then
        fail "swayboard.exe $*: no window showing the logo within $BOUND s"
        sed 's/^/  intro: /' "$scratch/log"
        stop_show
        pid=""
    fi
}
# stop_show: ends a show that a check left running.
stop_show() {
    if running $pid; then
        kill $pid 2>/dev/null
        wait $pid 2>/dev/null
    fi
}
# scroll_band: the scroller's band in the window.
scroll_band() {
    echo "$offset" | awk -v x=$SCROLL_X -v y=$SCROLL_Y -v w=$SCROLL_W -v h=$SCROLL_H '{ print x + $1, y + $2, w, h }'
}
# shown_frames: the show draws on (ten more frames) and so has handled every earlier event.
shown_frames() {
    # shellcheck disable=SC2046
    "$x_window" changes "$window" $(scroll_band) 10 $BOUND
}
# ends_with_zero WHAT: the show ends within the bound with status 0.
ends_with_zero() {
    deadline=$(($(now) + BOUND))
    while running $pid && [ "$(now)" -lt $deadline ]; do
        sleep 0.1
    done
    if running $pid; then
        fail "$1 did not end the show"
        stop_show
        return
    fi
    wait $pid
    status=$?
    [ $status -eq 0 ] || fail "$1 ended the show with status $status"
}
# point_at_show: the show's window has the focus and the pointer. Keys and clicks then go
# through the X server's input (XTEST), as a user's would, not as sent events.
point_at_show() {
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool mousemove --window "$window" $((SHOW_W / 2)) $((SHOW_H / 2))
}
peak_of() {
    od -An -v -td2 -w2 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

# covers SIZE: the show's window is SIZE (WxH) large.
covers() {
    xdotool getwindowgeometry "$window" | grep -q "Geometry: $1\$"
}

start_show window
if [ -n "$pid" ]; then
    covers ${SHOW_W}x$SHOW_H || fail "the window is not ${SHOW_W}x$SHOW_H"
    # shellcheck disable=SC2046
    echo "frames per second in a window: $("$x_window" rate "$window" $(scroll_band) 10)"
    # The music reaches the disk driver's file.
    deadline=$(($(now) + BOUND))
    until [ "$(wc -c <"$scratch/out.raw" 2>/dev/null || echo 0)" -ge $ENOUGH_AUDIO ] || [ "$(now)" -ge $deadline ]; do
        sleep 0.2
    done
    [ "$(wc -c <"$scratch/out.raw" 2>/dev/null || echo 0)" -ge $ENOUGH_AUDIO ] || fail "no music reached the disk driver"
    [ "$(peak_of "$scratch/out.raw")" -gt $SOUND_PEAK ] || fail "the music in the disk driver's file is silent"
    # A key press alone, the middle button and the close request do not end it.
    point_at_show
    xdotool keydown space
    xdotool click 2
    "$x_window" close "$window"
    shown_frames || fail "the show stopped drawing after a key press, a middle click and a close request"
    running $pid || fail "a key press, a middle click or the close request ended the show"
    # The key's release does.
    xdotool keyup space
    ends_with_zero "a key release"
fi
for button in 1 3; do
    start_show window
    [ -n "$pid" ] || continue
    point_at_show
    xdotool click "$button"
    ends_with_zero "mouse button $button"
done
# Full screen: it starts with no argument and a key ends it.
start_show
if [ -n "$pid" ]; then
    covers "$(xdotool getdisplaygeometry | tr ' ' x)" || fail "full screen: the window does not cover the screen"
    shown_frames || fail "full screen: the show does not draw"
    point_at_show
    xdotool key space
    ends_with_zero "full screen: a key"
fi

[ $failures -eq 0 ] && echo "all Windows checks passed"
exit $((failures > 0))
