#!/usr/bin/env bash
# The evaluation's keyboard on a real X server, read over AT-SPI: séance 1 and séance 2 of the demo,
# each question starting on the answer at the top of the screen, the answers listed in screen order,
# nothing telling the right one apart.   scripts/answer-focus-on-screen.sh [BUILD_DIR] [QUESTIONS]
# Exits 77 when it cannot run here.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
build=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
questions=${2:-6}
in_atspi_session "$@"
install_packages xdotool
need_command xdotool "keys"
cmake --build "$build" --target seance1 demo_content >/dev/null
start_xvfb 1920x1080
status=0
for seance in 1 2; do
  echo "séance $seance:"
  (cd "$build/demo" && QT_QPA_PLATFORM=xcb exec "$build/src/seance1" --seance "$seance" >/dev/null 2>&1) &
  pid=$!
  /usr/bin/python3 "$SEANCE_ROOT/scripts/answer_focus.py" "$questions" || status=1
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
exit "$status"
