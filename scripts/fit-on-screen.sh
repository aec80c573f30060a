#!/usr/bin/env bash
# The lesson fitted to a small screen ("[affichage] ajuster=oui"), on a real X server: the demo
# course's 1024 x 768 slides on a 1280 x 720 screen (a 1920 x 1080 one at 150 %). Checks over AT-SPI
# that each slide lies whole on the screen with its photographs and answers inside it, clicks with
# xdotool where the buttons are drawn (pages, an answer, Valider) and checks the score and the journal;
# saves screenshots to OUT (default /tmp/fit-on-screen).
#   scripts/fit-on-screen.sh [BUILD_DIR] [OUT]        SCREEN=WxH picks another screen
set -euo pipefail
SEANCE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
out=$(mkdir -p "${2:-/tmp/fit-on-screen}" && cd "${2:-/tmp/fit-on-screen}" && pwd)
screen=${SCREEN:-1280x720}
source "$SEANCE_ROOT/scripts/setup.sh"
install_packages dbus at-spi2-core python3-gi gir1.2-atspi-2.0 xdotool
cmake --build "$build" --target seance1 demo_content >/dev/null

if [ -z "${SEANCE_FIT_INSIDE:-}" ]; then
  SEANCE_FIT_INSIDE=1 exec dbus-run-session -- "$0" "$build" "$out"
fi
home=$(mktemp -d)
mkdir -p "$home/config/seance1" "$home/data"
printf '[affichage]\najuster=oui\n' >"$home/config/seance1/seance1.ini"
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
# The right answer of the first question, from the bank the lesson uses.
(cd "$build/demo" && "$build/src/seance1" --export-questions "$home/questions.gift" >/dev/null)
right1=$(awk '/^::Q01/ { q = 1 } q && /^[[:space:]]*=/ { sub(/^[[:space:]]*=/, ""); gsub(/\\/, ""); print; exit }' "$home/questions.gift")

/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb $bus 2>/dev/null || true; rm -rf "$home"' EXIT
sleep 1
(cd "$build/demo" && QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$build/src/seance1" >/dev/null 2>&1) &
app=$!
status=0
/usr/bin/python3 "$SEANCE_ROOT/scripts/atspi_fit.py" "${screen%x*}" "${screen#*x}" "$out" "$home/data/seance1" "$right1" || status=$?
ended=0
wait "$app" || ended=$?
app=""
echo "Fermer ended the lesson with status $ended"
[ "$status" -eq 0 ] && [ "$ended" -eq 0 ]
