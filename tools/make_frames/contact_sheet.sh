#!/usr/bin/env bash
# Lays the drawn pictures out at twice their size on one PNG, to look them over:
#   tools/make_frames/contact_sheet.sh BUILD_DIR/resources OUT.png
# Needs ImageMagick (montage, convert).
set -euo pipefail
src=$1 out=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for f in "$src"/frames/*.bmp "$src"/images/*.png; do
  convert "$f" -background '#E3E4EA' -flatten -filter point -resize 200% "$tmp/$(basename "${f%.*}").png"
done
montage "$tmp"/11[1-5].png -tile 5x1 -geometry +6+6 -background '#C0C4D0' "$tmp/a_circuit.png"
montage "$tmp"/11[6-9].png "$tmp"/12[0-2].png -tile 1x7 -geometry +4+4 -background '#C0C4D0' "$tmp/b_strip.png"
montage "$tmp"/{logo26,icon32,hand,arrow_left,arrow_right,korvane,icon256}.png -tile 7x1 -geometry +8+8 \
  -background '#C0C4D0' "$tmp/c_pictures.png"
convert "$tmp/a_circuit.png" "$tmp/b_strip.png" "$tmp/c_pictures.png" -background '#C0C4D0' -gravity west \
  -append "$out"
