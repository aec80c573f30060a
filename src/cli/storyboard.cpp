// seance1 --storyboard FICHIER.pdf [--seance N], in the course's folder

#include "cli/commands.h"
#include "storyboard/storyboard.h"

#include <QDir>

namespace cli {

const Commande kStoryboard{
    .option = "storyboard",
    .syntaxe = "FICHIER.pdf",
    .resume = "Toute la leçon sur papier, depuis le cours du dossier courant.",
    .detail = "Déroule la leçon sans écran et écrit chacune de ses étapes dans FICHIER.pdf, pour l'enseignant ou "
              "l'auteur du cours.",
    .graphique = true,
    .executer = Storyboard,
    .valeur = "FICHIER.pdf",
    .lireValeur = LireFichier,
    .options = {&kSeance},
    .avant = storyboard::PrepareForPaper,
};

Output Storyboard(const Demande& d) {
    const storyboard::Outcome outcome = storyboard::Write(QDir::currentPath(), d.fichier, d.seance);
    return Output::Line(outcome.ok, outcome.message);
}

}  // namespace cli
