#!/bin/bash
# The class folder with real accounts: a teacher prepares it with seance1 --prepare-class-folder,
# learners drop their results file in it the way the lesson does (mode 0640), and one learner then
# tries everything against another's file. Needs root (it makes and removes three test accounts).
#
#   sudo scripts/class-folder-check.sh [BUILD_DIR]
#
# Prints one line per expectation and exits 1 if any failed.
set -u
BUILD=$(readlink -f "${1:-build}")
SEANCE1="$BUILD/src/seance1"
[ "$(id -u)" = 0 ] || { echo "à lancer en root (comptes de test)" >&2; exit 2; }
[ -x "$SEANCE1" ] || { echo "programme introuvable : $SEANCE1 (cmake --build $BUILD)" >&2; exit 2; }

PROF=seance-prof LEA=seance-lea NOE=seance-noe ZOE=seance-zoe
BASE=$(mktemp -d /tmp/seance-classe.XXXXXX)
chmod 755 "$BASE"
CLASSE="$BASE/srv/4B"
MACHINE=$(hostname)
echecs=0

nettoyer() {
    for u in $PROF $LEA $NOE $ZOE; do userdel -r "$u" >/dev/null 2>&1; done
    rm -rf "$BASE"
}
trap nettoyer EXIT
for u in $PROF $LEA $NOE $ZOE; do
    userdel -r "$u" >/dev/null 2>&1
    useradd -m -d "$BASE/home/$u" -U -s /bin/sh "$u" || exit 1
done
# The place an administrator gives the teacher for class folders; the teacher's command makes 4B in it.
install -d -o $PROF -g $PROF -m 755 "$BASE/srv"
# The learners run the lesson's check on a course they can read.
cp -r "$BUILD/demo" "$BASE/cours" && chmod -R a+rX "$BASE/cours"

en() { local qui=$1; shift; runuser -u "$qui" -- env HOME="$BASE/home/$qui" XDG_CONFIG_HOME="$BASE/home/$qui/.config" "$@"; }
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
deposer() { en "$1" sh -c 'umask 027; set -C; printf "%s\n" "$2" > "$1"' sh "$2" "$3"; }

echo "== L'enseignant prépare le dossier"
attendu refus "groupe inexistant" en $PROF "$SEANCE1" --prepare-class-folder "$CLASSE" --group groupe-inexistant
attendu refus "groupe dont l'enseignant n'est pas membre" en $PROF "$SEANCE1" --prepare-class-folder "$CLASSE" --group $LEA
attendu succès "préparation" en $PROF "$SEANCE1" --prepare-class-folder "$CLASSE"
attendu refus "un autre compte ne peut pas le préparer" en $LEA "$SEANCE1" --prepare-class-folder "$CLASSE"
stat -c '   %A %U:%G %n' "$CLASSE"

echo "== Léa et Noé déposent leurs résultats"
FLEA="$CLASSE/$LEA@$MACHINE.jsonl"
FNOE="$CLASSE/$NOE@$MACHINE.jsonl"
attendu succès "Léa : seance1 --check" en $LEA sh -c 'cd "$1" && SEANCE1_RESULTATS="$2" "$3" --check 2>/dev/null' sh "$BASE/cours" "$CLASSE" "$SEANCE1"
attendu succès "Léa crée son fichier" deposer $LEA "$FLEA" '{"id":"lea-1","result":{"score":{"raw":17}}}'
attendu succès "Léa complète son fichier" en $LEA sh -c 'printf "%s\n" "{\"id\":\"lea-2\"}" >> "$1"' sh "$FLEA"
attendu succès "Noé crée son fichier" deposer $NOE "$FNOE" '{"id":"noe-1"}'
stat -c '   %A %U:%G %n' "$FLEA" "$FNOE"

echo "== Noé contre le fichier de Léa"
attendu refus "lister le dossier" en $NOE ls "$CLASSE"
attendu refus "lire" en $NOE cat "$FLEA"
attendu refus "compléter" en $NOE sh -c 'echo "{\"id\":\"faux\"}" >> "$1"' sh "$FLEA"
attendu refus "remplacer le contenu" en $NOE sh -c 'echo "{}" > "$1"' sh "$FLEA"
attendu refus "supprimer" en $NOE rm -f "$FLEA"
attendu refus "renommer" en $NOE mv "$FLEA" "$CLASSE/autre.jsonl"
attendu refus "remplacer par un autre fichier" en $NOE sh -c 'echo "{}" > "$1/x" && mv -f "$1/x" "$2"' sh "$CLASSE" "$FLEA"
attendu refus "créer un fichier du même nom" deposer $NOE "$FLEA" '{"id":"squat"}'
attendu refus "changer ses droits" en $NOE chmod 666 "$FLEA"
attendu succès "relire son propre fichier" en $NOE cat "$FNOE"
[ "$(sed -n 1p "$FLEA")" = '{"id":"lea-1","result":{"score":{"raw":17}}}' ] && [ "$(wc -l <"$FLEA")" = 2 ] \
    && echo "ok      le fichier de Léa est intact" || { echo "ÉCHEC   le fichier de Léa a changé"; echecs=$((echecs + 1)); }

echo "== Un nom pris d'avance (Noé crée le fichier de Zoé avant elle)"
FZOE="$CLASSE/$ZOE@$MACHINE.jsonl"
en $NOE sh -c 'umask 0; : > "$1"' sh "$FZOE"
stat -c '   %A %U:%G %n' "$FZOE"
attendu refus "Zoé : seance1 --check le signale" en $ZOE sh -c 'cd "$1" && SEANCE1_RESULTATS="$2" "$3" --check 2>/dev/null' sh "$BASE/cours" "$CLASSE" "$SEANCE1"

echo "== L'enseignant"
attendu succès "lister le dossier" en $PROF ls -l "$CLASSE"
attendu succès "lire le fichier de Léa" en $PROF cat "$FLEA"
attendu succès "retirer le fichier pris d'avance" en $PROF rm -f "$FZOE"
attendu succès "seance1 --results" en $PROF "$SEANCE1" --results "$CLASSE"

echo
if [ $echecs = 0 ]; then echo "Tout est conforme."; else echo "$echecs échec(s)."; fi
[ $echecs = 0 ]
