// seance1 --prepare-class-folder DOSSIER [--group GROUPE]

#include "class_reports/dossier_classe.h"
#include "cli/commands.h"

namespace cli {

namespace {

const Option kGroup{"group", "GROUPE", "le groupe du dossier (par défaut celui de l'enseignant)", [](const QString& groupe, Demande& d) {
                        d.groupe = groupe;
                        return QString();
                    }};

}  // namespace

const Commande kPrepareClassFolder{
    .option = "prepare-class-folder",
    .syntaxe = "DOSSIER [--group GROUPE]",
    .resume = "Prépare le dossier des résultats : chacun y dépose son fichier, seul l'enseignant lit tout.",
    .detail = "À lancer une fois par l'enseignant. Crée DOSSIER au besoin et le rend boîte de dépôt (mode 3733) : il "
              "appartient à l'enseignant et à son groupe (ou à GROUPE), chaque apprenant peut y créer son fichier mais "
              "ne peut ni lister le dossier, ni lire, modifier ou supprimer le fichier d'un autre. GROUPE ne doit "
              "compter aucun apprenant.",
    .graphique = false,
    .executer = PrepareClassFolder,
    .valeur = "DOSSIER",
    .lireValeur = [](const QString& dossier, Demande& d) {
        d.dossier = dossier;
        return QString();
    },
    .options = {&kGroup},
};

Output PrepareClassFolder(const Demande& d) {
    Output o;
    const resultats::Preparation p = resultats::PreparerDossierClasse(d.dossier, d.groupe);
    if (!p.ok) return o.Fail(QStringLiteral("Dossier de la classe non préparé : %1\n").arg(p.message));
    return o.Out(p.message + QLatin1Char('\n'));
}

}  // namespace cli
