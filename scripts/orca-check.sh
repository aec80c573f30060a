#!/usr/bin/env bash
# The lesson heard through a real screen reader, as a blind learner follows it: Orca in French with its
# default settings, speaking through speech-dispatcher into a transcript instead of a sound card. On a
# virtual display, in a private D-Bus session with the accessibility bus, the lesson runs on the demo
# course and scripts/orca_lesson.py drives it with keys only, then checks what was said and prints it.
#   scripts/orca-check.sh [BUILD_DIR]        (root: installs what it needs; exits 77 when it cannot run)
#   scripts/orca-check.sh [BUILD_DIR] menu   the course's menu instead (scripts/orca_menu.py)
# SEANCE_ORCA_KEEP=DIR keeps the logs of a failed run (Orca's debug log, speech-dispatcher's, the lesson's).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
build=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
need_root "installs Orca and speech-dispatcher, makes the French locale"
install_packages orca speech-dispatcher libao4 xdotool locales
in_atspi_session "$build" "${2:-}"
cmake --build "$build" --target seance1 demo_content >/dev/null

# Orca speaks the language of the locale: French, as a French learner's desktop would.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  localedef -i fr_FR -f UTF-8 fr_FR.UTF-8 || cannot_run_here "cannot make the fr_FR.UTF-8 locale"
fi

work=$(mktemp -d /tmp/seance1-orca.XXXXXX)
on_exit "rm -rf '$work'"
transcript=$work/transcript.txt
# A home of its own: Orca's default settings, libao's null output, no sound card needed.
mkdir -p "$work/home" "$work/run" "$work/speechd/modules" "$work/log"
chmod 700 "$work/run"
echo "default_driver=null" >"$work/home/.libao"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export SPEECHD_ADDRESS=unix_socket:$work/run/speechd.sock

# speech-dispatcher with one output module, the generic one, whose "synthesis" appends each
# utterance to the transcript. Symbols are worded as for any voice, so punctuation read aloud
# shows in the transcript as the words a learner would hear.
cat >"$work/speechd/speechd.conf" <<CONF
LogLevel 3
LogDir "$work/log"
AudioOutputMethod "libao"
DefaultLanguage "fr"
SymbolsPreproc "char"
SymbolsPreprocFile "gender-neutral.dic"
SymbolsPreprocFile "font-variants.dic"
SymbolsPreprocFile "symbols.dic"
SymbolsPreprocFile "emojis.dic"
SymbolsPreprocFile "orca.dic"
SymbolsPreprocFile "orca-chars.dic"
AddModule "transcript" "sd_generic" "transcript.conf"
DefaultModule transcript
CONF
cat >"$work/speechd/modules/transcript.conf" <<CONF
GenericExecuteSynth "printf '%s\\\\n' '\$DATA' >> $transcript"
GenericMaxChunkLength 100000
GenericLanguage "fr" "fr" "utf-8"
GenericLanguage "fr-FR" "fr" "utf-8"
AddVoice "fr" "MALE1" "transcript"
DefaultVoice "transcript"
CONF

export LANG=fr_FR.UTF-8 LANGUAGE=fr
speech-dispatcher -s -t 0 -C "$work/speechd" -c unix_socket -S "$work/run/speechd.sock" -L "$work/log" \
  >"$work/log/speechd.out" 2>&1 &
stop_on_exit $!
start_xvfb 1024x768
for i in $(seq 50); do [ -S "$work/run/speechd.sock" ] && break; sleep 0.1; done
[ -S "$work/run/speechd.sock" ] || cannot_run_here "speech-dispatcher did not start ($(tail -3 "$work/log/speechd.out"))"

# The accessibility bus is up once it gives its address and listens there; Orca gives up without it.
for i in $(seq 100); do
  address=$(dbus-send --session --dest=org.a11y.Bus --print-reply=literal /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null || true)
  socket=$(sed -n 's/.*unix:path=\([^,]*\).*/\1/p' <<<"$address")
  if [ -n "$address" ] && { [ -z "$socket" ] || [ -S "$socket" ]; }; then break; fi
  sleep 0.1
done
orca --replace --debug-file="$work/log/orca-debug.out" >"$work/log/orca.out" 2>&1 &
orca=$!
stop_on_exit $orca
# Orca is ready when it has said so.
for i in $(seq 150); do [ -s "$transcript" ] && break; sleep 0.1; done
[ -s "$transcript" ] || { tail -20 "$work/log/orca.out" >&2; echo "orca-check: Orca said nothing at start" >&2; exit 1; }
# It speaks before it has registered for every event; a window that comes meanwhile goes unheard.
sleep 3
: >"$transcript"

# The bank the lesson asks, with its right answers, for the learner of the script to answer by ear.
(cd "$build/demo" && QT_QPA_PLATFORM=offscreen "$build/src/seance1" --export-questions "$work/questions.gift" >/dev/null)
if [ "${2:-}" = menu ]; then
  (cd "$build/demo" && QT_QPA_PLATFORM=xcb exec "$build/src/seance1" >"$work/log/seance1.out" 2>&1) &
else
  (cd "$build/demo" && QT_QPA_PLATFORM=xcb exec "$build/src/seance1" --seance 1 >"$work/log/seance1.out" 2>&1) &
fi
stop_on_exit $!
status=0
if [ "${2:-}" = menu ]; then
  /usr/bin/python3 "$SEANCE_ROOT/scripts/orca_menu.py" "$transcript" || status=$?
else
  /usr/bin/python3 "$SEANCE_ROOT/scripts/orca_lesson.py" "$transcript" "$work/questions.gift" || status=$?
fi
if [ "$status" -ne 0 ] && [ -n "${SEANCE_ORCA_KEEP:-}" ]; then cp -r "$work/log" "$SEANCE_ORCA_KEEP"; fi
exit "$status"
