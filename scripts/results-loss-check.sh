#!/usr/bin/env bash
# Where a session's results go with real accounts, whatever state the class folder is in. Two
# learners' accounts and a teacher's are made for the check (lib/accounts.sh); each session runs as
# the learner (runuser) through the results side of the lesson: tools/results_session, three answers
# and the end (four statements), with the account's own settings, home and name. Prints, for each
# case, the exit status and the distinct statements found in the class folder and in the account's
# own journal. Needs root; removes what it made.
#   scripts/results-loss-check.sh [BUILD_FOLDER]   (default: build)
# Exits 1 when a statement went missing, 77 when it cannot run here.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/accounts.sh"
BUILD=$(cd "${1:-$SEANCE_ROOT/build}" && pwd)
PROG=$BUILD/tools/results_session/results_session
need_root "useradd, runuser, mount"
[ -x "$PROG" ] || cannot_run_here "$PROG is missing: build the project first"

WORK=$(mktemp -d /tmp/seance1-pertes-XXXXXX)
on_exit "rm -rf '$WORK'"
chmod 755 "$WORK"
CLASSE=$WORK/classe
A=seance1-lea
B=seance1-noe
PROF=seance1-prof
HOST=$(hostname)
# The teacher's group reads the class folder; the learners are in it.
make_account prof
make_account lea "$PROF"
make_account noe "$PROF"
on_exit "umount '$CLASSE' 2>/dev/null"
install -m 755 "$PROG" "$WORK/seance"

own() { echo "$(account_home "$1")/.local/share/seance1/$1@$HOST.jsonl"; }
cls() { echo "$CLASSE/$1@$HOST.jsonl"; }
# Distinct statement ids of a journal (the statement's id is the only "id" holding a UUID).
ids() {
  if [ -f "$1" ]; then { grep -oE '"id":"[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"' "$1" || true; } | sort -u | wc -l; else echo 0; fi
}
lines() { if [ -f "$1" ]; then grep -c . "$1" || true; else echo 0; fi; }

# One session as the account; prints its status and the notices it showed.
session() {
  local u=$1 status=0
  runuser -u "$u" -- env -i HOME="$(account_home "$u")" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    SEANCE1_RESULTATS="$CLASSE" "$WORK/seance" >"$WORK/out.$u" 2>"$WORK/err.$u" || status=$?
  echo "$status"
}

fresh() {
  umount "$CLASSE" 2>/dev/null || true
  rm -rf "$CLASSE"
  for u in "$A" "$B"; do rm -rf "$(account_home "$u")/.local/share/seance1" "$(account_home "$u")/.config/seance1"; done
}
# A class folder as a teacher sets one up: the teacher's group writes and reads, each removes only their own.
class_folder() { mkdir -p "$CLASSE" && chown root:"$PROF" "$CLASSE" && chmod 3770 "$CLASSE"; }

failed=0
expect() {  # what, got, wanted
  local mark=ok
  [ "$2" = "$3" ] || { mark="LOST (wanted $3)"; failed=1; }
  printf '  %-58s %-4s %s\n' "$1" "$2" "$mark"
}

echo "1. class folder mode 555 (root's): the learner cannot write there"
fresh; mkdir -m 555 "$CLASSE"
s=$(session "$A")
expect "status" "$s" 0
expect "statements in the class folder" "$(ids "$(cls "$A")")" 0
expect "statements in the own journal" "$(ids "$(own "$A")")" 4
expect "notices shown" "$(grep -c '^avis' "$WORK/out.$A" || true)" 0
chown root:"$PROF" "$CLASSE"; chmod 3770 "$CLASSE"
s=$(session "$A")
expect "next start, folder opened: statements in the class folder" "$(ids "$(cls "$A")")" 8
expect "  lines there (each statement once)" "$(lines "$(cls "$A")")" 8
expect "  the file's mode and owner" "$(stat -c '%a %U' "$(cls "$A")")" "640 $A"

echo "2. class folder missing (share not mounted): two learners start"
fresh
expect "status of $A" "$(session "$A")" 0
expect "status of $B" "$(session "$B")" 0
expect "class folder made by the lesson" "$([ -e "$CLASSE" ] && echo yes || echo no)" no
expect "statements in $A's own journal" "$(ids "$(own "$A")")" 4
expect "statements in $B's own journal" "$(ids "$(own "$B")")" 4
class_folder
session "$A" >/dev/null; session "$B" >/dev/null
expect "share mounted, next starts: $A's statements in the class folder" "$(ids "$(cls "$A")")" 8
expect "$B's statements in the class folder" "$(ids "$(cls "$B")")" 8
expect "  lines in $B's file (each statement once)" "$(lines "$(cls "$B")")" 8

echo "3. a file of $A's name made by $B in the class folder"
fresh; class_folder
# Writable by all, to collect what the lesson would write there.
runuser -u "$B" -- sh -c "echo '{\"id\":\"piege\"}' > '$(cls "$A")' && chmod 666 '$(cls "$A")'"
expect "status" "$(session "$A")" 0
expect "lines in the file $B made (untouched)" "$(lines "$(cls "$A")")" 1
expect "statements in $A's own journal" "$(ids "$(own "$A")")" 4
expect "warning says why" "$(grep -c 'appartient à un autre compte' "$WORK/err.$A" || true)" 1

echo "4. class folder on a full disk (64 KiB tmpfs)"
fresh; mkdir -p "$CLASSE"
if mount -t tmpfs -o size=64k,mode=3770,gid="$(getent group "$PROF" | cut -d: -f3)" tmpfs "$CLASSE"; then
  dd if=/dev/zero of="$CLASSE/plein" bs=4k 2>/dev/null || true
  expect "status" "$(session "$A")" 0
  expect "statements in the class folder" "$(ids "$(cls "$A")")" 0
  expect "statements in the own journal" "$(ids "$(own "$A")")" 4
  rm -f "$CLASSE/plein"
  session "$A" >/dev/null
  expect "room made, next start: statements in the class folder" "$(ids "$(cls "$A")")" 8
  umount "$CLASSE"
else
  echo "  skipped: tmpfs cannot be mounted here"
fi

echo "5. neither the class folder nor the own folder can be written"
fresh
own_folder=$(account_home "$A")/.local/share/seance1
mkdir -p "$own_folder"; chown "$A" "$own_folder"; chmod 500 "$own_folder"
expect "status" "$(session "$A")" 0
expect "notices shown to the learner" "$(grep -c '^avis' "$WORK/out.$A" || true)" 1
grep '^avis' "$WORK/out.$A" | sed 's/^/    /'

exit "$failed"
