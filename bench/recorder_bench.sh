#!/bin/sh
# recorder_bench.sh -- times the recorder: rendering alone, and one whole pass to .mp4 (scale 2) and to .mkv
#
# Usage: sh bench/recorder_bench.sh [BUILD_DIR] [FRAMES]
# FRAMES defaults to one pass of the tune (6528). Prints the load and the busiest other
# processes before each run, since on a shared machine they change the figures. Needs
# /usr/bin/time (Debian package time).
set -eu
build=${1:-build}
frames=${2:-6528}
capture=$(cd "$build" && pwd)/swayboard-capture
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM


context() {
    echo "  load: $(cut -d' ' -f1-3 /proc/loadavg); busiest other processes:"
    ps -eo pcpu=,comm= --sort=-pcpu | grep -v -e ' ps$' -e ' sh$' | head -4 | sed 's/^/    /'
}

run() {
    label=$1
    shift
    echo "$label"
    context
    # CPU time counts ffmpeg too (the recorder waits for it): the wall time an idle machine would approach.
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@"
    awk -v n="$frames" '{ t = $1; c = $2 + $3
        printf "  %.1f s for %d frames: %.1f frames per second (%.2fx real time); %.1f s of CPU (%.1f ms a frame)\n",
               t, n, n / t, n / 50 / t, c, 1000 * c / n }' "$work/time"
}

echo "swayboard-capture, $frames frames, on $(nproc) cores"
run "rendering alone (one PNG at the end)" "$capture" --frames "$frames" --from "$frames" --seed 1 --png "$work/png"
run "whole pass to .mp4 at scale 2" "$capture" --frames "$frames" --seed 1 --video "$work/show.mp4"
ls -l "$work/show.mp4" | awk '{ printf "  %.1f MB\n", $5 / 1e6 }'
run "whole pass to .mkv (lossless, scale 1)" "$capture" --frames "$frames" --seed 1 --video "$work/show.mkv"
ls -l "$work/show.mkv" | awk '{ printf "  %.1f MB\n", $5 / 1e6 }'
