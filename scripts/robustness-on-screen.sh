#!/usr/bin/env bash
# The lesson on a real X server (Xvfb, 1920 x 1080), clicked from outside as a learner would:
#  1. page 13, then forty flips between pages 13 and 14, a click every 0.35 s: the lesson must keep
#     animating, wait idle (processor share printed), and end on Fermer with status 0;
#  2. page 0 after a visit of page 14 must look, pixel for pixel, as it did at start;
#  3. a burst of random clicks and keys: still responsive (the page number answers), then Fermer.
# Needs xdotool and ImageMagick. Screenshots go to OUT (default /tmp/robustness).
#   scripts/robustness-on-screen.sh [BUILD_DIR] [OUT]
# Exits 77 when it cannot run here.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
BUILD=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
install_packages xdotool
cmake --build "$BUILD" --target seance1 demo_content >/dev/null
OUT=${2:-/tmp/robustness}
mkdir -p "$OUT"
start_xvfb 1920x1080

# The corner controls at 96 dpi: the navigation bar is 1700 twips wide, 3 pixels from the right edge.
PREV="1824 14"; NEXT="1897 14"; FERMER="27 17"
click() { xdotool mousemove $1 $2 click 1; }
shot() { import -window root "$OUT/$1.png"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
start() {
  (cd "$BUILD/demo" && exec "$BUILD/src/seance1" --seance 1) &
  LESSON=$!
  sleep 2
}
fermer() {
  click $FERMER
  local status=0
  wait "$LESSON" || status=$?
  echo "$1: Fermer ended the lesson with status $status"
}
idle_share() {
  local before after
  before=$(cpu_ticks "$LESSON"); sleep 10; after=$(cpu_ticks "$LESSON")
  awk -v d=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f %% of a core\n", 100 * d / hz / 10 }'
}

# 1. The flip.
start
for _ in $(seq 13); do click $NEXT; sleep 0.5; done
sleep 2
for _ in $(seq 40); do click $NEXT; sleep 0.35; click $PREV; sleep 0.35; done
sleep 1
shot flip-a; sleep 0.6; shot flip-b
echo "flip: frames still changing: $(compare -metric AE "$OUT/flip-a.png" "$OUT/flip-b.png" null: 2>&1) pixels differ 0.6 s apart"
echo "flip: processor while it animates: $(idle_share)"
fermer flip

# 2. Page 0 after page 14.
start
shot page0-start
for _ in $(seq 14); do click $NEXT; sleep 0.5; done
sleep 3
shot page14
for _ in $(seq 14); do click $PREV; sleep 0.5; done
sleep 5
shot page0-after-14
echo "page 0 after page 14: $(compare -metric AE "$OUT/page0-start.png" "$OUT/page0-after-14.png" null: 2>&1) pixels differ from the start"
echo "page 0 waiting: $(idle_share)"
fermer "page 0"

# 3. A burst of random clicks and keys, mostly on the corner buttons.
xdotool mousemove 960 540
start
RANDOM=20261207
# No Tab: it could bring the focus to Fermer, and Space would then end the burst early.
KEYS=(Right Left Next Prior space Return Escape 1 2 3 4 Up Down)
for _ in $(seq 600); do
  case $((RANDOM % 6)) in
    0|1) click $NEXT ;;
    2) click $PREV ;;
    3) xdotool mousemove $((RANDOM % 1920)) $((40 + RANDOM % 1000)) click 1 ;;
    4) xdotool key --delay 0 "${KEYS[RANDOM % ${#KEYS[@]}]}" ;;
    5) sleep 0.0$((RANDOM % 10)) ;;
  esac
done
sleep 3
# Whether on a page or in the evaluation, these change the screen: the next page, or an answer validated.
shot burst-a; xdotool key Right 1 Return; sleep 3.5; shot burst-b
echo "burst: still answering: $(compare -metric AE "$OUT/burst-a.png" "$OUT/burst-b.png" null: 2>&1) pixels changed after Right, 1, Enter"
fermer burst
