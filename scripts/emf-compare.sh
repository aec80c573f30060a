#!/usr/bin/env bash
# Draws corpus pictures with emf2png beside their reference renderings, one sheet per file
# (ours on the left, the reference on the right), to look at what a number hides.
#   scripts/emf-compare.sh OUT_DIR RELATIVE_PATH...   e.g. libreoffice/LibreOffice_TileImage.emf
# CORPUS (default ../shared/corpus) and BUILD (default build) say where the corpus and emf2png are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${CORPUS:-$root/../shared/corpus}
build=${BUILD:-$root/build}
out=${1:?usage: emf-compare.sh OUT_DIR RELATIVE_PATH...}
shift
[ -x "$build/tools/emf2png/emf2png" ] || cmake --build "$build" --target emf2png
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for rel in "$@"; do
  name=$(basename "${rel%.*}")
  ref="$corpus/emf-ref/${rel%.*}.png"
  "$build/tools/emf2png/emf2png" "$corpus/emf/$rel" "$tmp/ours.png"
  size=$(identify -format '%wx%h' "$ref")
  convert "$tmp/ours.png" -background white -flatten -resize "$size!" "$tmp/ours.png"
  convert "$ref" -background white -flatten "$tmp/ref.png"
  montage -font DejaVu-Sans -pointsize 12 -label "Séance 1 : $name" "$tmp/ours.png" -label 'référence' "$tmp/ref.png" \
    -tile 2x1 -geometry +6+6 "$out/$name.png"
done
