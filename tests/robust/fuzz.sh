#!/bin/sh
# fuzz.sh -- configures the clang fuzz build, builds every fuzz target and runs each for a set time
#
# fuzz.sh [seconds per target, default 300] [build dir, default build-fuzz]
set -eu
seconds=${1:-300}
build=${2:-build-fuzz}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSWAYBOARD_FUZZ=ON >/dev/null
cmake --build "$build" --target robust_fuzz -j"$jobs"

failed=""
summary=""
for name in bitmap xm page_text scroll_text; do
  out=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        sh "$here/run_fuzz.sh" "$build/fuzz_$name" "$name" "$seconds" "$build/fuzz" 2>&1) || failed="$failed $name"
  printf '%s\n' "$out"
  summary="$summary
$(printf '%s\n' "$out" | tail -n 1)"
done
echo "$summary"
if [ -n "$failed" ]; then
  echo "fuzzing found a fault in:$failed (inputs in $build/fuzz/artifacts-*/)"
  exit 1
fi
