#!/bin/sh
# windows_test.sh -- the Windows zip under Wine: its programs against the Linux recorder, and the display on one screen
#
# Usage, in a virtual X server with a window manager:
#   sh windows_test.sh programs ZIP LINUX_CAPTURE X_WINDOW BACKGROUND.bmp WINEPREFIX OBJDUMP BENCH.exe
#   sh windows_test.sh display ZIP LINUX_CAPTURE X_WINDOW BACKGROUND.bmp WINEPREFIX OBJDUMP DPI WINDOW PICTURE
# programs: what the programs import, their resources and manifests, the recorder's frames
# and sound against the Linux recorder's, the window's music and input, and the figures of
# the magnification benchmark under Wine. display: with
# Wine's DPI at DPI, the window is WINDOW (WxH) large, centred, its logo the recorder's
# magnified by the window's factor; full screen is one window over the whole screen, asks
# for no mode change, shows the picture at PICTURE ("X Y W H") with black beside it at 50
# frames a second, and ends on a key release and on a click.
# The Wine prefix is made on the first run (about 25 s and 700 MB) and kept. One
# wineserver serves the whole run and is stopped before the script returns, so that it
# never outlives the X server. Every wait is for a condition, bounded by BOUND seconds.
set -u
part=$1
zip=$2
linux_capture=$3
x_window=$4
background=$5
export WINEPREFIX="$6"
objdump=$7
BOUND=${WINDOWS_TEST_BOUND:-180}
SEEDS="1 7 2026"
FRAMES=3000
EVERY=100
# The logo above the text window: the show never draws there after the background.
LOGO="70 4 660 84"
# The middle row of the scroller's band: text crosses it every frame.
SCROLL_ROW=557
SHOW_W=800 SHOW_H=600
# Two seconds of 44,100 Hz stereo S16 from the disk audio driver, and a sound that is heard.
ENOUGH_AUDIO=$((44100 * 4 * 2))
SOUND_PEAK=1000
# Windows' own DLLs, which a program may import without shipping them.
SYSTEM_DLLS="kernel32.dll user32.dll gdi32.dll msvcrt.dll winmm.dll advapi32.dll shell32.dll ole32.dll dsound.dll"
# How long each measurement of full screen's frame rate lasts, and the rate the show keeps.
RATE_SECONDS=5
RATE_LOW=48 RATE_HIGH=52
# Below the client area's centred place, a window may lie by half its title bar.
TITLE_SLACK=40
# Where Wine logs mode changes (ChangeDisplaySettings) and what it read from the manifest.
TRACE_CHANNELS="+system,+graphics"
MANIFEST_DPI_AWARENESS='<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>'
MANIFEST_DPI_AWARE='<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>'
TICKS=$(getconf CLK_TCK)

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

# set_dpi DPI: Wine's display scaling from now on (96 is 100 %), where its settings keep it.
set_dpi() {
    for key in "HKCU\\Control Panel\\Desktop" "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || fail "cannot set Wine's DPI to $1"
    done
}
# wait_for COMMAND...: runs the command until it succeeds or BOUND seconds pass; its status.
wait_for() {
    deadline=$(($(now) + BOUND))
    until "$@" >/dev/null 2>&1; do
        [ "$(now)" -lt $deadline ] || { "$@" >/dev/null 2>&1; return; }
        sleep 0.2
    done
}
# start_show [ARGUMENT]: starts the intro with the disk audio driver (and Wine's TRACE
# channels, where set) and waits for its window; sets pid and window, or fails and leaves
# pid empty.
start_show() {
    rm -f "$scratch/out.raw"
    (cd "$scratch" && WINEDEBUG=${TRACE:--all} SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=out.raw \
        exec wine "$folder/swayboard.exe" "$@") >"$scratch/log" 2>&1 &
    pid=$!
    window=""
    deadline=$(($(now) + BOUND))
    while [ -z "$window" ] && [ "$(now)" -lt $deadline ] && running $pid; do
        window=$(xdotool search --onlyvisible --classname swayboard.exe 2>/dev/null | head -n 1)
        [ -n "$window" ] || sleep 0.2
    done
    if [ -z "$window" ]; then
        fail "swayboard.exe $*: no window within $BOUND s"
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
# geometry: the window's client area on the screen, as win_x, win_y, win_w and win_h.
geometry() {
    eval "$(xwininfo -id "$window" | awk '/Absolute upper-left X:/ { print "win_x=" $4 }
        /Absolute upper-left Y:/ { print "win_y=" $4 } /Width:/ { print "win_w=" $2 } /Height:/ { print "win_h=" $2 }')"
}
# scroll_row: one row across the scroller's band where the picture (px, py, pw, ph) shows it.
scroll_row() {
    echo "$px $((py + SCROLL_ROW * ph / SHOW_H)) $pw 1"
}
# shown_frames: the show draws on (ten more frames) and so has handled every earlier event.
shown_frames() {
    # shellcheck disable=SC2046
    "$x_window" changes "$window" $(scroll_row) 10 $BOUND
}
# frame_rate SECONDS: how many frames a second the picture shows.
frame_rate() {
    # shellcheck disable=SC2046
    "$x_window" rate "$window" $(scroll_row) "$1"
}
# cpu_ticks PID: the process's user and system time so far, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0
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
    xdotool mousemove --window "$window" $((win_w / 2)) $((win_h / 2))
}
peak_of() {
    od -An -v -td2 -w2 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}
# manifest_of PROGRAM: the program's manifest, resource type 24 number 1, read from its file.
manifest_of() {
    image_base=$("$objdump" -p "$1" | awk '$1 == "ImageBase" { print "0x" $2 }')
    # The resource section's address in memory and in the file.
    # shellcheck disable=SC2046
    set -- "$1" $("$objdump" -h "$1" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6 }')
    # The leaf under type 24, name 1: its address in memory and its size.
    # shellcheck disable=SC2046
    set -- "$@" $("$objdump" -p "$1" | sed -n '/Resource Directory section/,$p' | awk '
        { match($0, /^[0-9a-f]+/); rest = substr($0, RLENGTH + 1); match(rest, /^ +/); depth = RLENGTH }
        /Entry: ID:/ && depth == 3 { type = $4 }
        /Entry: ID:/ && depth == 5 { name = $4 }
        /Leaf: Addr:/ && type == "0x000018," && name == "0x000001," { sub(",", "", $4); sub(",", "", $6); print $4, $6 }')
    [ $# -eq 5 ] || return 1
    offset=$(($4 - ($2 - image_base) + $3))
    tail -c +$((offset + 1)) "$1" | head -c $(($5))
}

programs() {
    echo "the magnification under Wine, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg):"
    wine "$1" >"$scratch/bench" 2>/dev/null || fail "the magnification benchmark failed under Wine"
    sed 's/^/  /' "$scratch/bench"
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
    "$objdump" -p "$folder/swayboard.exe" | grep -q "Subsystem.*(Windows GUI)" || fail "swayboard.exe is not a windowed program"
    "$objdump" -p "$folder/swayboard-capture.exe" | grep -q "Subsystem.*(Windows CUI)" || fail "swayboard-capture.exe is not a console program"
    # Resource types at the top of each program's resource tree: 3 icon, 0xe icon group,
    # 0x10 version, 0x18 manifest; the manifest declares awareness of each monitor's DPI.
    for program in swayboard.exe swayboard-capture.exe; do
        types=$("$objdump" -p "$folder/$program" | sed -n '/Resource Directory section/,$p' |
            sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
        [ "$types" = "3 e 10 18 " ] || fail "$program: resource types '$types', not the icon, its group, the version and the manifest"
        manifest_of "$folder/$program" >"$scratch/manifest.xml" || fail "$program: no manifest resource 1"
        head -c 5 "$scratch/manifest.xml" | grep -q "<?xml" || fail "$program: its manifest is no XML document"
        for element in "$MANIFEST_DPI_AWARENESS" "$MANIFEST_DPI_AWARE"; do
            grep -qF "$element" "$scratch/manifest.xml" || fail "$program: its manifest lacks $element"
        done
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
        (cd "$scratch" && WINEDEBUG=$TRACE_CHANNELS wine "$folder/swayboard-capture.exe" --frames 50 --audio again.wav \
            >log 2>&1) || { fail "recording again.wav, take $take, failed"; sed 's/^/  /' "$scratch/log"; }
        # Wine, like Windows, reads the manifest when the program starts.
        grep -q 'got dpiAwareness=L"PerMonitorV2"' "$scratch/log" ||
            fail "swayboard-capture.exe: Wine did not find per-monitor DPI awareness in its manifest"
    done
    echo "recorder, $FRAMES frames x $(echo $SEEDS | wc -w) seeds with PNG every $EVERY and WAV:" \
        "$(echo "$linux_seconds $FRAMES $SEEDS" | awk '{ printf "%.3f", 1000 * $1 / ($2 * (NF - 2)) }') ms a frame on Linux," \
        "$(echo "$wine_seconds $FRAMES $SEEDS" | awk '{ printf "%.3f", 1000 * $1 / ($2 * (NF - 2)) }') ms under Wine"

    # The window: 800x600 on this screen, the logo exactly as the background has it.
    set_dpi 96
    px=0 py=0 pw=$SHOW_W ph=$SHOW_H
    start_show window
    if [ -n "$pid" ]; then
        wait_for "$x_window" same "$window" "$background" $LOGO || fail "the window does not show the logo"
        geometry
        [ "${win_w}x$win_h" = "${SHOW_W}x$SHOW_H" ] || fail "the window is ${win_w}x$win_h, not ${SHOW_W}x$SHOW_H"
        echo "frames per second in a window: $(frame_rate 10)"
        # The music reaches the disk driver's file.
        wait_for sh -c "[ \$(wc -c <'$scratch/out.raw') -ge $ENOUGH_AUDIO ]" || fail "no music reached the disk driver"
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
        geometry
        point_at_show
        xdotool click "$button"
        ends_with_zero "mouse button $button"
    done
}

display() {
    dpi=$1
    wanted_window=$2
    # shellcheck disable=SC2086
    set -- $3
    px=$1 py=$2 pw=$3 ph=$4
    screen=$(xdotool getdisplaygeometry | tr ' ' x)
    screen_w=${screen%x*} screen_h=${screen#*x}
    set_dpi "$dpi"
    # The recorder's frame, whose logo each picture must show.
    (cd "$scratch" && SDL_AUDIODRIVER=dummy "$linux_capture" --frames 1 --png frame >log 2>&1) ||
        { fail "the Linux recorder failed"; sed 's/^/  /' "$scratch/log"; }
    frame=$scratch/frame/frame-000001.png

    # The window: its factor's size, centred, its logo the recorder's magnified.
    start_show window
    if [ -n "$pid" ]; then
        geometry
        [ "${win_w}x$win_h" = "$wanted_window" ] || fail "$screen at $dpi DPI: the window is ${win_w}x$win_h, not $wanted_window"
        factor=$((win_w / SHOW_W))
        [ $((win_x - (screen_w - win_w) / 2)) -ge -1 ] && [ $((win_x - (screen_w - win_w) / 2)) -le 1 ] &&
            [ $((win_y - (screen_h - win_h) / 2)) -ge 0 ] && [ $((win_y - (screen_h - win_h) / 2)) -le $TITLE_SLACK ] ||
            fail "$screen: the window at $win_x,$win_y is not centred"
        wait_for "$x_window" same "$window" "$frame" $LOGO 0 0 $factor ||
            fail "$screen: the window's logo is not the recorder's magnified $factor times"
        echo "$screen at $dpi DPI: window ${win_w}x$win_h (${factor}x) at $win_x,$win_y, logo equal to the recorder's" \
            "magnified ${factor}x"
        px=0 py=0 pw=$win_w ph=$win_h
        echo "$screen: frames per second in a window: $(frame_rate $RATE_SECONDS)"
        point_at_show
        xdotool key space
        ends_with_zero "$screen: a key release in a window"
    fi
    px=$1 py=$2 pw=$3 ph=$4

    # Full screen: one window over the whole screen, with Wine's trace of mode changes.
    TRACE=$TRACE_CHANNELS start_show
    if [ -n "$pid" ]; then
        windows=$(xdotool search --onlyvisible --classname swayboard.exe 2>/dev/null | wc -l)
        [ "$windows" -eq 1 ] || fail "$screen: full screen shows $windows windows"
        geometry
        [ "$win_x $win_y ${win_w}x$win_h" = "0 0 $screen" ] ||
            fail "$screen: full screen's window is ${win_w}x$win_h at $win_x,$win_y"
        [ "$(xdotool getdisplaygeometry | tr ' ' x)" = "$screen" ] || fail "$screen: the screen's size changed"
        shown_frames || fail "$screen: full screen does not draw"
        # Black beside the picture, and the picture reaching its place's every edge.
        [ "$px" -eq 0 ] || "$x_window" black "$window" 0 0 "$px" "$screen_h" || fail "$screen: the left bar is not black"
        [ $((px + pw)) -eq "$screen_w" ] || "$x_window" black "$window" $((px + pw)) 0 $((screen_w - px - pw)) "$screen_h" ||
            fail "$screen: the right bar is not black"
        [ "$py" -eq 0 ] || "$x_window" black "$window" 0 0 "$screen_w" "$py" || fail "$screen: the top bar is not black"
        [ $((py + ph)) -eq "$screen_h" ] || "$x_window" black "$window" 0 $((py + ph)) "$screen_w" $((screen_h - py - ph)) ||
            fail "$screen: the bottom bar is not black"
        for edge in "$px $py 1 $ph" "$((px + pw - 1)) $py 1 $ph" "$px $py $pw 1" "$px $((py + ph - 1)) $pw 1"; do
            # shellcheck disable=SC2086
            "$x_window" black "$window" $edge && fail "$screen: the picture does not reach its edge at $edge"
        done
        if [ $((pw % SHOW_W)) -eq 0 ] && [ $((ph % SHOW_H)) -eq 0 ] && [ $((pw / SHOW_W)) -eq $((ph / SHOW_H)) ]; then
            factor=$((pw / SHOW_W))
            wait_for "$x_window" same "$window" "$frame" $LOGO "$px" "$py" $factor ||
                fail "$screen: full screen's logo is not the recorder's magnified $factor times"
            echo "$screen: full screen's logo equal to the recorder's magnified ${factor}x"
        fi
        # The frame rate, and what it costs the intro and the X server. A machine busy
        # with other work makes a measurement slow, or makes enough frames late that the
        # flip rule follows the flip for a moment (a short burst of fast frames): one out
        # of range is taken again until the bound. A show that is never held stays far
        # above the range, one that cannot keep up below it.
        deadline=$(($(now) + BOUND))
        while :; do
            intro_before=$(cpu_ticks $pid) server_before=$(cpu_ticks "$X_SERVER_PID")
            rate=$(frame_rate $RATE_SECONDS)
            intro_after=$(cpu_ticks $pid) server_after=$(cpu_ticks "$X_SERVER_PID")
            echo "$screen: full screen at $rate frames a second, picture ${pw}x$ph at $px,$py;" \
                "$(echo "$intro_before $intro_after $server_before $server_after $rate" | awk -v t="$TICKS" -v s=$RATE_SECONDS '{
                    printf "intro %.0f %% of a core (%.1f ms a frame), X server %.0f %%",
                        100 * ($2 - $1) / t / s, ($5 > 0 ? 1000 * ($2 - $1) / t / ($5 * s) : 0), 100 * ($4 - $3) / t / s }');" \
                "load $(cut -d' ' -f1 /proc/loadavg)"
            running $pid && [ -n "$rate" ] || { fail "$screen: full screen ended while its rate was measured"; break; }
            awk -v r="$rate" -v low=$RATE_LOW -v high=$RATE_HIGH 'BEGIN { exit !(r >= low && r <= high) }' ||
                [ "$(now)" -ge $deadline ] || continue
            break
        done
        awk -v r="$rate" -v low=$RATE_LOW -v high=$RATE_HIGH 'BEGIN { exit !(r >= low && r <= high) }' ||
            fail "$screen: full screen at $rate frames a second, not $RATE_LOW to $RATE_HIGH"
        point_at_show
        xdotool key space
        ends_with_zero "$screen: a key release in full screen"
        # Wine read the manifest, and nothing asked it to change the display's mode.
        grep -q 'got dpiAwareness=L"PerMonitorV2"' "$scratch/log" ||
            fail "$screen: Wine did not find per-monitor DPI awareness in swayboard.exe's manifest"
        grep -q "trace:system:" "$scratch/log" || fail "$screen: Wine's trace of display settings is empty"
        if grep -q "ChangeDisplaySettings" "$scratch/log"; then
            fail "$screen: full screen asked for a mode change"
            grep "ChangeDisplaySettings" "$scratch/log" | sed 's/^/  /'
        fi
    fi
    # A click ends full screen too.
    start_show
    if [ -n "$pid" ]; then
        geometry
        shown_frames || fail "$screen: full screen does not draw"
        point_at_show
        xdotool click 1
        ends_with_zero "$screen: a left click in full screen"
    fi
}

case $part in
programs) programs "$8" ;;
display) display "$8" "$9" "${10}" ;;
*) fail "no part $part" ;;
esac

[ $failures -eq 0 ] && echo "all Windows checks of $part passed"
exit $((failures > 0))
