#!/bin/sh
# presentation_bench.sh -- the presentation benchmark with the maintained and the classic SDL 1.2, under virtual X servers
#
# sh bench/presentation_bench.sh [BUILD [SECONDS]]
#
# The classic library comes from Debian's libsdl1.2debian, downloaded and unpacked into
# BUILD/classic-sdl and loaded through LD_LIBRARY_PATH; it is never installed. Where it
# cannot be had, only the maintained library is measured.
build=${1:-build}
seconds=${2:-10}
bench=$build/presentation_bench
classic=$build/classic-sdl
if [ ! -x "$bench" ]; then
  echo "no $bench: build the presentation_bench target first" >&2
  exit 1
fi
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)" >&2; exit 1; }

# The classic library and whichever of its dependencies are not installed here.
if ! ls "$classic"/root/usr/lib/*/libSDL-1.2.so.0 >/dev/null 2>&1; then
  mkdir -p "$classic/debs"
  packages=libsdl1.2debian
  for dependency in $(apt-cache depends libsdl1.2debian 2>/dev/null | sed -n 's/^ *Depends: *//p' | grep -v '^<'); do
    dpkg-query -W -f='${Status}\n' "$dependency" 2>/dev/null | grep -q "install ok installed" ||
      packages="$packages $dependency"
  done
  (cd "$classic/debs" && apt-get download $packages >/dev/null 2>&1) || echo "could not download $packages" >&2
  for deb in "$classic"/debs/*.deb; do
    [ -e "$deb" ] && dpkg -x "$deb" "$classic/root"
  done
fi
classic_dir=$(dirname "$(ls "$classic"/root/usr/lib/*/libSDL-1.2.so.0 2>/dev/null | head -1)")
[ -e "$classic_dir/libSDL-1.2.so.0" ] || classic_dir=

echo "| library | desktop | window | start-up beyond the pause (ms) | drawing median / 99th (ms) | present median (ms) | present interval median / 1st / 99th (ms) | CPU at 50 fps (%) | peak memory (MB) |"
echo "|---|---|---|---|---|---|---|---|---|"
for desktop in 1024x768 2560x1440; do
  for library in maintained classic; do
    if [ $library = classic ]; then
      [ -n "$classic_dir" ] || continue
      preload="LD_LIBRARY_PATH=$classic_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
    else
      preload="SWAYBOARD_BENCH=1"
    fi
    # A virtual X server that fails to come up is tried once more before the row is given up.
    for try in 1 2; do
      line=$(xvfb-run -a -s "-screen 0 ${desktop}x24" env "$preload" SDL_AUDIODRIVER=dummy \
        "$bench" --seconds "$seconds" 2>"$build/presentation_bench.err" | grep '^library=')
      [ -n "$line" ] && break
    done
    if [ -z "$line" ]; then
      echo "| $library | $desktop | did not run: $(head -c 200 "$build/presentation_bench.err" | tr '\n|' '  ') | | | | | | |"
      continue
    fi
    echo "$line" | awk -v desktop="$desktop" -v name="$library" '{
      for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
      printf "| %s %s | %s | %s | %.0f | %.2f / %.2f | %.2f | %.2f / %.2f / %.2f | %.1f | %.1f |\n",
        name, v["library"], desktop, v["window"], v["startup_ms"], v["draw_ms_median"], v["draw_ms_p99"],
        v["present_ms_median"], v["interval_ms_median"], v["interval_ms_p1"], v["interval_ms_p99"],
        v["cpu_percent"], v["peak_rss_mb"] }'
  done
done
