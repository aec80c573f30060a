#!/bin/bash
# The course of the demo (séances 1 and 2) on a real X server with real accounts: Léa scores 15/20 at
# séance 1 and finds séance 2 still closed, on the closing page and on the menu; she scores 15,5 and
# it opens; Noé, on the same machine, sees his own progress only. Screenshots of the menu at
# 1920 × 1080 and at 1280 × 720, and of the closing pages, into OUT.
#
#   sudo scripts/course-on-screen.sh [BUILD_DIR] [OUT]
#
# Prints what each run saw and exits 1 if an expectation failed, 77 when it cannot run here.
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
source "$SEANCE_ROOT/scripts/lib/accounts.sh"
set -u +e +o pipefail
BUILD=$(readlink -f "${1:-$SEANCE_ROOT/build}")
OUT=$(readlink -m "${2:-/tmp/seance1-course}")
SEANCE1="$BUILD/src/seance1"
need_root "test accounts"
install_packages dbus dbus-x11 at-spi2-core python3-gi gir1.2-atspi-2.0 xdotool imagemagick
need_command xdotool "keys"
need_command import "screenshots (ImageMagick)"
need_command dbus-run-session "a session bus per learner"
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null || cannot_run_here "needs python3-gi and gir1.2-atspi-2.0"
[ -x /usr/libexec/at-spi-bus-launcher ] || cannot_run_here "needs at-spi2-core"
[ -x "$SEANCE1" ] || cannot_run_here "$SEANCE1 is missing (cmake --build $BUILD)"
mkdir -p "$OUT"

WORK=$(mktemp -d /tmp/seance1-course.XXXXXX)
on_exit "rm -rf '$WORK'"
chmod 755 "$WORK"
cp -r "$BUILD/demo" "$WORK/cours" && chmod -R a+rX "$WORK/cours"
cp "$SEANCE_ROOT/scripts/course_on_screen.py" "$SEANCE_ROOT/scripts/lib/atspi_lesson.py" "$WORK/"
(cd "$WORK/cours" && QT_QPA_PLATFORM=offscreen "$SEANCE1" --export-questions "$WORK/questions.gift" >/dev/null 2>&1)
chmod a+r "$WORK"/*
# What the learners' runs leave (errors, screenshots), writable by each.
mkdir -m 1777 "$WORK/runs"
for u in lea noe; do make_account $u; done
echecs=0
attendu() {  # attendu DESCRIPTION FILE PATTERN: the run's output holds the pattern
  if grep -q -- "$3" "$2"; then echo "ok      $1"; else echo "ÉCHEC   $1 (rien comme « $3 »)"; echecs=$((echecs + 1)); fi
}
absent() {
  if grep -q -- "$3" "$2"; then echo "ÉCHEC   $1 (« $3 » vu)"; echecs=$((echecs + 1)); else echo "ok      $1"; fi
}

# One learner's run in a session bus of their own with its accessibility bus, the program and the
# driver both as that account.
joue() {  # joue WHO SCORE NAME
  local user=seance1-$1 log="$WORK/$3.txt"
  as "$user" env DISPLAY="$DISPLAY" PYTHONPATH="$WORK" dbus-run-session -- sh -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
    sleep 1
    (cd "$1/cours" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb exec "$2" 2>"$1/runs/$5.err") & app=$!
    /usr/bin/python3 "$1/course_on_screen.py" "$1/questions.gift" "$3" "$4"; rc=$?
    sleep 1; kill $app $bus 2>/dev/null; wait $app 2>/dev/null
    exit $rc' sh "$WORK" "$SEANCE1" "$2" "$WORK/runs/$3" "$3" >"$log" 2>&1
  echo "-- $3 (exit $?)"; cat "$log"
  cp "$WORK/runs/$3"-*.png "$OUT/" 2>/dev/null
}

start_xvfb 1920x1080
joue lea 15 lea-15
attendu "Léa, 15/20 : la page de clôture n'offre que le retour au menu" "$WORK/lea-15.txt" "closing: score 15/20; buttons: .*Retour au menu"
absent  "Léa, 15/20 : pas de « Séance suivante »" "$WORK/lea-15.txt" "closing: .*Séance suivante"
attendu "Léa, 15/20 : le menu garde la séance 2 fermée" "$WORK/lea-15.txt" "menu after: Séance 2,.*pas encore ouverte"
attendu "Léa, 15/20 : sa note au menu" "$WORK/lea-15.txt" "menu after: Séance 1,.*15 sur 20"
joue lea 15.5 lea-155
attendu "Léa, 15,5/20 : la page de clôture offre « Séance suivante »" "$WORK/lea-155.txt" "closing: score 15.5/20; buttons: .*Séance suivante"
attendu "Léa, 15,5/20 : le menu ouvre la séance 2" "$WORK/lea-155.txt" "menu after: Séance 2,.*à faire"
attendu "Léa, 15,5/20 : séance 1 réussie" "$WORK/lea-155.txt" "menu after: Séance 1,.*réussie"
joue noe 15 noe-15
attendu "Noé ne voit que sa progression : pas de note avant sa séance" "$WORK/noe-15.txt" "menu at start: Séance 1,.*Pas encore de note"
attendu "Noé : séance 2 fermée pour lui" "$WORK/noe-15.txt" "menu after: Séance 2,.*pas encore ouverte"

# The menu at a smaller screen, as Léa sees it now.
start_xvfb 1280x720
as seance1-lea env DISPLAY="$DISPLAY" sh -c 'cd "$1/cours" && exec "$2" >/dev/null 2>&1' sh "$WORK" "$SEANCE1" &
app=$!
sleep 6
import -display "$DISPLAY" -window root "$OUT/menu-1280x720.png"
kill $app 2>/dev/null; wait $app 2>/dev/null
cp "$OUT/lea-155-menu.png" "$OUT/menu-1920x1080.png" 2>/dev/null

echo "Captures : $OUT"
[ $echecs = 0 ] && echo "Tout est conforme." || echo "$echecs attente(s) non tenue(s)."
[ $echecs = 0 ]
