#!/usr/bin/env bash
# Checks from outside that a screen reader hears the slides: in a private D-Bus session, starts the
# AT-SPI bus, a virtual display and the lesson on the demo course, then asks over AT-SPI (as Orca
# does) for page 1's slide description.   scripts/atspi-check.sh [BUILD_DIR]
set -euo pipefail
SEANCE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
source "$SEANCE_ROOT/scripts/setup.sh"
install_packages dbus at-spi2-core python3-gi gir1.2-atspi-2.0
cmake --build "$build" --target seance1 demo_content >/dev/null

if [ -z "${SEANCE_ATSPI_INSIDE:-}" ]; then
  SEANCE_ATSPI_INSIDE=1 exec dbus-run-session -- "$0" "$build"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb $bus 2>/dev/null || true' EXIT
sleep 1
(cd "$build/demo" && DISPLAY=$display QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  exec "$build/src/seance1" >/dev/null 2>&1) &
app=$!
/usr/bin/python3 "$SEANCE_ROOT/scripts/atspi_slide_text.py"
