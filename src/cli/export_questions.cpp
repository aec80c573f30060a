// seance1 --export-questions FICHIER.gift [--seance N], in the course's folder

#include "cli/commands.h"
#include "content/export_questions.h"

#include <QDir>

namespace cli {

const Commande kExportQuestions{
    .option = "export-questions",
    .syntaxe = "FICHIER.gift",
    .resume = "Les questions de la leçon en GIFT, pour Moodle.",
    .detail = "Écrit les questions que la leçon pose (SeanceN/questions.gift du dossier courant, N donné par "
              "--seance, 1 par défaut ; pour la séance 1 sans ce fichier, les questions d'origine) dans FICHIER.gift, "
              "au format GIFT que Moodle importe tel quel.",
    .graphique = false,
    .executer = ExportQuestions,
    .valeur = "FICHIER.gift",
    .lireValeur = LireFichier,
    .options = {&kSeance},
};

Output ExportQuestions(const Demande& d) {
    const content::Export e = content::ExporterQuestions(QDir::currentPath(), d.fichier, d.seance);
    return Output::Line(e.ok, e.message);
}

}  // namespace cli
