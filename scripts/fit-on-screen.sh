#!/usr/bin/env bash
# The lesson fitted to a small screen ("[affichage] ajuster=oui"), on a real X server: the demo
# course's 1024 x 768 slides on a 1280 x 720 screen (a 1920 x 1080 one at 150 %). Checks over AT-SPI
# that each slide lies whole on the screen with its photographs and answers inside it, clicks with
# xdotool where the buttons are drawn (pages, an answer, Valider) and checks the score and the journal;
# saves screenshots to OUT (default /tmp/fit-on-screen).
#   scripts/fit-on-screen.sh [BUILD_DIR] [OUT]        SCREEN=WxH picks another screen
# Exits 77 when it cannot run here.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
build=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
out=$(mkdir -p "${2:-/tmp/fit-on-screen}" && cd "${2:-/tmp/fit-on-screen}" && pwd)
screen=${SCREEN:-1280x720}
in_atspi_session "$build" "$out"
install_packages xdotool
cmake --build "$build" --target seance1 demo_content >/dev/null

home=$(mktemp -d)
on_exit "rm -rf '$home'"
mkdir -p "$home/config/seance1" "$home/data"
printf '[affichage]\najuster=oui\n' >"$home/config/seance1/seance1.ini"
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
# The right answer of the first question, from the bank the lesson uses.
(cd "$build/demo" && "$build/src/seance1" --export-questions "$home/questions.gift" >/dev/null)
right1=$(awk '/^::Q01/ { q = 1 } q && /^[[:space:]]*=/ { sub(/^[[:space:]]*=/, ""); gsub(/\\/, ""); print; exit }' "$home/questions.gift")

start_xvfb "$screen"
(cd "$build/demo" && QT_QPA_PLATFORM=xcb exec "$build/src/seance1" --seance 1 >/dev/null 2>&1) &
app=$!
stop_on_exit $app
status=0
/usr/bin/python3 "$SEANCE_ROOT/scripts/atspi_fit.py" "${screen%x*}" "${screen#*x}" "$out" "$home/data/seance1" "$right1" || status=$?
ended=0
wait "$app" || ended=$?
echo "Fermer ended the lesson with status $ended"
[ "$status" -eq 0 ] && [ "$ended" -eq 0 ]
