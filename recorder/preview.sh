#!/bin/sh
# preview.sh -- makes the README's still (PNG) and short animated loop (WebP) with the recorder
#
# Usage: preview.sh CAPTURE OUT_DIR
# A fixed seed, so the same build makes the same pictures. The loop is frames 701 to 900
# (a page dropping out and the next sliding in), every other frame, at half size so that
# it stays near a megabyte; the still keeps every pixel at full size.
set -eu
capture=$1
out=$2
SEED=1
STILL_FRAME=400
LOOP_START_S=14   # frame 701
LOOP_SECONDS=4

command -v ffmpeg >/dev/null || { echo "preview.sh: ffmpeg is not installed (apt-get install ffmpeg)" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

"$capture" --frames $STILL_FRAME --from $STILL_FRAME --seed $SEED --png "$work"
cp "$work/frame-$(printf %06d $STILL_FRAME).png" "$out/preview.png"

"$capture" --frames $(( (LOOP_START_S + LOOP_SECONDS) * 50 )) --seed $SEED --video "$work/show.mkv"
ffmpeg -v error -y -ss $LOOP_START_S -t $LOOP_SECONDS -i "$work/show.mkv" -an \
  -vf "fps=25,scale=400:300:flags=area" -c:v libwebp_anim -lossless 0 -quality 60 -compression_level 6 -loop 0 \
  "$out/preview.webp"
ls -l "$out/preview.png" "$out/preview.webp"
