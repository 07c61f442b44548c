#!/bin/bash
# Regenerates every PNG in this folder from its SVG source.
#
#   background.svg -> background.png        673 x 452, the page background
#                  -> background.jpg        the same, as the program shows it
#                  -> background@2x.jpg     1346 x 904, for screens at twice the density
#                  -> background-grey.png   673 x 452 RGBA, the chart's pale copy
#   halvora.svg    -> icons/hicolor/<N>x<N>/apps/halvora.png
#
# Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert.
# The PNGs are committed, so the build itself never runs this.
set -euo pipefail

cd "$(dirname "$0")"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "regenerate.sh: $tool not found" >&2; exit 1; }
done

# PNGs without time stamps or other text chunks, so that an unchanged
# drawing gives unchanged files.
strip=(-strip -define png:exclude-chunks=date,time)

rsvg-convert --width 673 --height 452 background.svg -o background.tmp.png
convert background.tmp.png -background '#050e26' -alpha remove -alpha off \
    "${strip[@]}" PNG24:background.png
rm -f background.tmp.png

# The pages show a JPEG copy: it decodes in a third of the PNG's time at
# start-up, and the soft gradients of the picture lose nothing visible.
convert background.png -strip -sampling-factor 4:4:4 -quality 92 background.jpg
rsvg-convert --width 1346 --height 904 background.svg -o background.tmp.png
convert background.tmp.png -background '#050e26' -alpha remove -alpha off \
    -strip -sampling-factor 4:4:4 -quality 92 background@2x.jpg
rm -f background.tmp.png

# The pale-grey copy: greyscale, then contrast -100, then brightness +39.
#  - greyscale: Rec. 601 luma of the sRGB values;
#  - contrast -100: the distance of every level from mid grey shrinks by
#    100 of 255 levels, v' = 0.5 + (v - 0.5) * 155/255, so the scene stays
#    faintly visible instead of flattening to one grey;
#  - brightness +39 on a -100..100 scale: 39 % of full scale is added,
#    v'' = v' + 0.39, clipped at white.
# Together: v'' = 0.6078 v + 0.5861 (0..1 scale).  Stored as 8-bit RGBA
# (32 bits per pixel), fully opaque.
convert background.png -grayscale Rec601Luma \
    -function polynomial 0.6078,0.5861 \
    -alpha set -channel A -evaluate set 100% +channel \
    "${strip[@]}" -define png:color-type=6 -define png:bit-depth=8 \
    PNG32:background-grey.png

for n in 16 24 32 48 64 128 256; do
    dir="icons/hicolor/${n}x${n}/apps"
    mkdir -p "$dir"
    rsvg-convert --width "$n" --height "$n" halvora.svg -o "$dir/halvora.tmp.png"
    convert "$dir/halvora.tmp.png" "${strip[@]}" PNG32:"$dir/halvora.png"
    rm -f "$dir/halvora.tmp.png"
done
