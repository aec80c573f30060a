#!/usr/bin/env bash
# The class loop as a class lives it, on a real X server (Xvfb) with real accounts, a real LRS
# (Learning Locker's statement service, in memory) taking the statements: Noé takes the lesson (three
# answers, then Fermer) while the class folder is missing, then while it is read-only; the teacher
# prepares it (seance1 --prepare-class-folder); Léa answers all twenty questions; Noé comes back and
# what he answered before joins the folder. Then: what each learner's file holds and who may read it, what the LRS held right
# after each Fermer, and the teacher's --results and --class-report from the folder and from the LRS.
#   scripts/class-loop-on-screen.sh [BUILD_FOLDER]   (default: build; needs root, Node.js and the
#   test LRS that scripts/setup.sh installs)
# Exits 1 when a statement is missing or a learner could read another's file, 77 when it cannot run here.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/display.sh"
source "$SEANCE_ROOT/scripts/lib/accounts.sh"
BUILD=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
need_root "useradd, runuser"
need_command node "the LRS"
LRS_JS=$BUILD/xapi-lrs/node_modules/xapi-statements/dist/index.js
[ -f "$LRS_JS" ] || cannot_run_here "$LRS_JS is missing: run ./test first"
install_packages xdotool curl

WORK=$(mktemp -d /tmp/seance1-classe-XXXXXX)
on_exit "rm -rf '$WORK'"
chmod 755 "$WORK"
CLASSE=$WORK/classe
COURS=$WORK/cours
PROF=seance1-prof
LEARNERS=(seance1-lea seance1-noe)
PORT=18087
failures=0
check() { if eval "$2"; then echo "  ok: $1"; else echo "  FAULT: $1"; failures=$((failures + 1)); fi; }

cp -r "$BUILD/demo" "$COURS"
chmod -R a+rX "$COURS"
for who in prof lea noe; do make_account $who; done

(cd "$WORK" && MODELS_REPO=memory STORAGE_REPO=memory AUTH_REPO=test EVENTS_REPO=test EXPRESS_PORT=$PORT \
  EXPRESS_MORGAN_DIRECTORY="$WORK/lrs-logs" exec node "$LRS_JS" >"$WORK/lrs.log" 2>&1) &
stop_on_exit $!
start_xvfb 1920x1080
for _ in $(seq 60); do grep -q "Listening on port" "$WORK/lrs.log" && break; sleep 0.5; done
LRS=http://127.0.0.1:$PORT/xAPI/
lrs_count() {
  curl -s -u classe:secret -H 'X-Experience-API-Version: 1.0.3' "${LRS}statements?limit=1000" |
    node -e 'let s="";process.stdin.on("data",d=>s+=d).on("end",()=>console.log(JSON.parse(s).statements.length))'
}


settings() {  # the learner's settings: the class folder and the LRS
  local home; home=$(account_home "$1")
  mkdir -p "$home/.config/seance1"
  printf '[resultats]\ndossier=%s\n[lrs]\nadresse=%s\ncle=classe\nsecret=secret\n' "$CLASSE" "$LRS" >"$home/.config/seance1/seance1.ini"
  chown -R "$1:" "$home/.config"
  chmod 600 "$home/.config/seance1/seance1.ini"
}

lesson() {  # learner, answers: the lesson in the learner's account, answered from the keyboard
  local u=$1 answers=$2 status=0
  settings "$u"
  (cd "$COURS" && exec runuser -u "$u" -- env DISPLAY="$DISPLAY" SEANCE1_RESULTATS="$CLASSE" "$BUILD/src/seance1" --seance 1 2>"$WORK/$u.err") &
  local lesson=$!
  sleep 3
  for _ in $(seq 19); do xdotool key Right; sleep 0.4; done
  sleep 2
  for _ in $(seq "$answers"); do xdotool key 1 Return; sleep 3.2; done
  import -window root "$WORK/$u.png" 2>/dev/null || true
  xdotool mousemove 27 17 click 1
  wait "$lesson" || status=$?
  echo "$u: $answers answers, Fermer ended the lesson with status $status; the LRS then held $(lrs_count) statements"
  [ "$status" -eq 0 ] || failures=$((failures + 1))
}

own_lines() { cat "$(account_home "$1")"/.local/share/seance1/*.jsonl 2>/dev/null | wc -l; }

echo "The class folder is missing (a share not mounted):"
lesson seance1-noe 3
check "the lesson did not make the class folder" '[ ! -e "$CLASSE" ]'
check "Noé's 4 statements are in his own journal" '[ "$(own_lines seance1-noe)" -eq 4 ]'
check "the LRS held them right after Fermer" '[ "$(lrs_count)" -eq 4 ]'

echo "The class folder is there but read-only:"
mkdir "$CLASSE"
chown "$PROF:" "$CLASSE"
chmod 555 "$CLASSE"
lesson seance1-noe 3
check "nothing was written in the class folder" '[ -z "$(ls -A "$CLASSE")" ]'
check "Noé's own journal holds both sessions, 8 statements" '[ "$(own_lines seance1-noe)" -eq 8 ]'

echo "The teacher prepares the class folder:"
runuser -u "$PROF" -- "$BUILD/src/seance1" --prepare-class-folder "$CLASSE"
ls -ld "$CLASSE"
lesson seance1-lea 20
# Léa finishes: her twenty answers, the session's own statements and the verdict (passed or failed).
check "the LRS held Léa's 23 statements right after Fermer" '[ "$(lrs_count)" -eq 31 ]'
lesson seance1-noe 3
check "the LRS held all 35 statements right after Noé's Fermer" '[ "$(lrs_count)" -eq 35 ]'
check "Léa, in a prepared folder: no warning on the standard error" '! grep -q "Séance 1 (résultats)" "$WORK/seance1-lea.err"'

echo "The class folder, as the teacher lists it:"
ls -l "$CLASSE"
LEA_FILE=$(ls "$CLASSE" | grep '^seance1-lea@' | grep '\.jsonl$')
NOE_FILE=$(ls "$CLASSE" | grep '^seance1-noe@' | grep '\.jsonl$')
check "Léa's file holds her 23 statements" '[ "$(wc -l <"$CLASSE/$LEA_FILE")" -eq 23 ]'
check "Noé's file holds his three sessions, 12 statements, each once" '[ "$(wc -l <"$CLASSE/$NOE_FILE")" -eq 12 ] && [ "$(grep -o "\"id\":\"[0-9a-f-]*\",\"object\"" "$CLASSE/$NOE_FILE" | sort -u | wc -l)" -eq 12 ]'
check "Léa's file is 0640, group the teacher's" '[ "$(stat -c %a:%G "$CLASSE/$LEA_FILE")" = "640:$PROF" ]'
check "Noé cannot list the class folder" '! runuser -u seance1-noe -- ls "$CLASSE" >/dev/null 2>&1'
check "Noé cannot read Léa's file" '! runuser -u seance1-noe -- cat "$CLASSE/$LEA_FILE" >/dev/null 2>&1'
check "Noé cannot delete Léa's file" '! runuser -u seance1-noe -- rm -f "$CLASSE/$LEA_FILE" 2>/dev/null && [ -f "$CLASSE/$LEA_FILE" ]'
check "Noé cannot take Léa's name for a new file" '! runuser -u seance1-noe -- sh -c ": > \"$CLASSE/$LEA_FILE\"" 2>/dev/null'

echo "The teacher's view, from the folder and from the LRS:"
runuser -u "$PROF" -- "$BUILD/src/seance1" --results "$CLASSE"
settings "$PROF"
runuser -u "$PROF" -- "$BUILD/src/seance1" --results --lrs
(cd "$COURS" && runuser -u "$PROF" -- "$BUILD/src/seance1" --class-report "$CLASSE" --csv | head -12)
check "the results from the LRS match the folder's" \
  '[ "$(runuser -u "$PROF" -- "$BUILD/src/seance1" --results "$CLASSE" --csv | cut -d";" -f2-)" = "$(runuser -u "$PROF" -- "$BUILD/src/seance1" --results --lrs --csv | cut -d";" -f2-)" ]'
[ "$failures" -eq 0 ] && echo "Tout est conforme." || { echo "$failures fault(s)"; exit 1; }
