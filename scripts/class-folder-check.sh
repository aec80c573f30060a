#!/bin/bash
# The class folder with real accounts: a teacher prepares it with seance1 --prepare-class-folder,
# learners drop their results file in it the way the lesson does (mode 0640), and one learner then
# tries everything against another's file. Needs root (it makes and removes three test accounts).
#
#   sudo scripts/class-folder-check.sh [BUILD_DIR]
#
# Prints one line per expectation and exits 1 if any failed, 77 when it cannot run here.
source "$(dirname "$0")/lib/common.sh"
source "$SEANCE_ROOT/scripts/lib/accounts.sh"
# Each expectation reads a command's status: a failing command must not end the script.
set -u +e +o pipefail
BUILD=$(readlink -f "${1:-$SEANCE_ROOT/build}")
SEANCE1="$BUILD/src/seance1"
need_root "test accounts"
[ -x "$SEANCE1" ] || cannot_run_here "$SEANCE1 is missing (cmake --build $BUILD)"

PROF=seance1-prof LEA=seance1-lea NOE=seance1-noe ZOE=seance1-zoe
BASE=$(mktemp -d /tmp/seance1-classe.XXXXXX)
on_exit "rm -rf '$BASE'"
chmod 755 "$BASE"
CLASSE="$BASE/srv/4B"
MACHINE=$(hostname)
echecs=0
for u in prof lea noe zoe; do make_account $u; done
# The place an administrator gives the teacher for class folders; the teacher's command makes 4B in it.
install -d -o $PROF -g $PROF -m 755 "$BASE/srv"
# The learners run the lesson's check on a course they can read.
cp -r "$BUILD/demo" "$BASE/cours" && chmod -R a+rX "$BASE/cours"

attendu() {  # attendu succès|refus DESCRIPTION COMMANDE...
    local voulu=$1 quoi=$2; shift 2
    local sortie
    sortie=$("$@" 2>&1); local rc=$?
    if { [ "$voulu" = succès ] && [ $rc = 0 ]; } || { [ "$voulu" = refus ] && [ $rc != 0 ]; }; then
        echo "ok      ($voulu) $quoi${sortie:+ — ${sortie//$'\n'/ | }}"
    else
        echo "ÉCHEC   (attendu : $voulu, code $rc) $quoi${sortie:+ — ${sortie//$'\n'/ | }}"
        echecs=$((echecs + 1))
    fi
}
# A file made as the lesson makes its journal: created only if new, readable by the folder's group.
deposer() { as "$1" sh -c 'umask 027; set -C; printf "%s\n" "$2" > "$1"' sh "$2" "$3"; }

echo "== L'enseignant prépare le dossier"
attendu refus "groupe inexistant" as $PROF "$SEANCE1" --prepare-class-folder "$CLASSE" --group groupe-inexistant
attendu refus "groupe dont l'enseignant n'est pas membre" as $PROF "$SEANCE1" --prepare-class-folder "$CLASSE" --group $LEA
attendu succès "préparation" as $PROF "$SEANCE1" --prepare-class-folder "$CLASSE"
attendu refus "un autre compte ne peut pas le préparer" as $LEA "$SEANCE1" --prepare-class-folder "$CLASSE"
stat -c '   %A %U:%G %n' "$CLASSE"

echo "== Léa et Noé déposent leurs résultats"
FLEA="$CLASSE/$LEA@$MACHINE.jsonl"
FNOE="$CLASSE/$NOE@$MACHINE.jsonl"
attendu succès "Léa : seance1 --check" as $LEA sh -c 'cd "$1" && SEANCE1_RESULTATS="$2" "$3" --check 2>/dev/null' sh "$BASE/cours" "$CLASSE" "$SEANCE1"
attendu succès "Léa crée son fichier" deposer $LEA "$FLEA" '{"id":"lea-1","result":{"score":{"raw":17}}}'
attendu succès "Léa complète son fichier" as $LEA sh -c 'printf "%s\n" "{\"id\":\"lea-2\"}" >> "$1"' sh "$FLEA"
attendu succès "Noé crée son fichier" deposer $NOE "$FNOE" '{"id":"noe-1"}'
stat -c '   %A %U:%G %n' "$FLEA" "$FNOE"

echo "== Noé contre le fichier de Léa"
attendu refus "lister le dossier" as $NOE ls "$CLASSE"
attendu refus "lire" as $NOE cat "$FLEA"
attendu refus "compléter" as $NOE sh -c 'echo "{\"id\":\"faux\"}" >> "$1"' sh "$FLEA"
attendu refus "remplacer le contenu" as $NOE sh -c 'echo "{}" > "$1"' sh "$FLEA"
attendu refus "supprimer" as $NOE rm -f "$FLEA"
attendu refus "renommer" as $NOE mv "$FLEA" "$CLASSE/autre.jsonl"
attendu refus "remplacer par un autre fichier" as $NOE sh -c 'echo "{}" > "$1/x" && mv -f "$1/x" "$2"' sh "$CLASSE" "$FLEA"
attendu refus "créer un fichier du même nom" deposer $NOE "$FLEA" '{"id":"squat"}'
attendu refus "changer ses droits" as $NOE chmod 666 "$FLEA"
attendu succès "relire son propre fichier" as $NOE cat "$FNOE"
[ "$(sed -n 1p "$FLEA")" = '{"id":"lea-1","result":{"score":{"raw":17}}}' ] && [ "$(wc -l <"$FLEA")" = 2 ] \
    && echo "ok      le fichier de Léa est intact" || { echo "ÉCHEC   le fichier de Léa a changé"; echecs=$((echecs + 1)); }

echo "== Un nom pris d'avance (Noé crée le fichier de Zoé avant elle)"
FZOE="$CLASSE/$ZOE@$MACHINE.jsonl"
as $NOE sh -c 'umask 0; : > "$1"' sh "$FZOE"
stat -c '   %A %U:%G %n' "$FZOE"
attendu refus "Zoé : seance1 --check le signale" as $ZOE sh -c 'cd "$1" && SEANCE1_RESULTATS="$2" "$3" --check 2>/dev/null' sh "$BASE/cours" "$CLASSE" "$SEANCE1"

echo "== L'enseignant"
attendu succès "lister le dossier" as $PROF ls -l "$CLASSE"
attendu succès "lire le fichier de Léa" as $PROF cat "$FLEA"
attendu succès "retirer le fichier pris d'avance" as $PROF rm -f "$FZOE"
attendu succès "seance1 --results" as $PROF "$SEANCE1" --results "$CLASSE"

echo
if [ $echecs = 0 ]; then echo "Tout est conforme."; else echo "$echecs échec(s)."; fi
[ $echecs = 0 ]
