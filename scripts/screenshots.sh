#!/usr/bin/env bash
# Makes the README's pictures from the real lesson on the demo course: page 0, page 13 (the circuit
# animation) and the first question of the evaluation, into docs/.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
# SCREEN=WxH picks the virtual screen (1366x768 by default); QT_SCALE_FACTOR is passed on.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
build=${1:-$SEANCE_ROOT/build}
out=${2:-$SEANCE_ROOT/docs}
screen=${SCREEN:-1366x768}

if [ ! -x "$build/tools/screenshots/screenshots" ] || [ ! -d "$build/demo/Seance1" ]; then
  cmake --build "$build" --target screenshots demo_content
fi
mkdir -p "$out"
start_xvfb "$screen"
"$build/tools/screenshots/screenshots" "$build/demo" "$out" 0:800 13:15000 19:1000
