#!/bin/sh
# soak.sh -- builds the soak against the UBSan core and runs the whole show for a million frames
#
# soak.sh [frames, default 1000000] [build dir, default build]
set -eu
frames=${1:-1000000}
build=${2:-build}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target robust_soak -j"$jobs"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/robust_soak" --frames "$frames"
