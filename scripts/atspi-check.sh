#!/usr/bin/env bash
# Checks from outside that a screen reader hears the slides: in a private D-Bus session, starts the
# AT-SPI bus, a virtual display and the lesson on the demo course, then asks over AT-SPI (as Orca
# does) for page 1's slide description.   scripts/atspi-check.sh [BUILD_DIR]
# Exits 77 when it cannot run here.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
build=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
in_atspi_session "$build"
cmake --build "$build" --target seance1 demo_content >/dev/null
start_xvfb 1024x768
(cd "$build/demo" && QT_QPA_PLATFORM=xcb exec "$build/src/seance1" --seance 1 >/dev/null 2>&1) &
stop_on_exit $!
/usr/bin/python3 "$SEANCE_ROOT/scripts/atspi_slide_text.py"
