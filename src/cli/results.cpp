// seance1 --results [DOSSIER] [--csv] [--lrs] [--seance N]

#include "class_reports/bilan.h"
#include "class_reports/lecture_classe.h"
#include "cli/commands.h"
#include "content/lesson_content.h"

#include <QDir>

namespace cli {

namespace {

Refus Positionnels(const QStringList& p, Demande& d) {
    d.dossier = p.value(0);
    if (Refus r = EnTrop(p, 1, d); !r.Vide()) return r;
    if (d.lrs && !d.dossier.isEmpty())
        return {{}, QStringLiteral("--lrs lit le LRS des réglages : ne nommez pas de dossier avec.")};
    return {};
}

}  // namespace

const Commande kResults{
    .option = "results",
    .syntaxe = "[DOSSIER] [--csv] [--lrs]",
    .resume = "Résultats de la classe, une ligne par passage.",
    .detail = "Lit les journaux du dossier des résultats (ou, avec --lrs, le LRS des réglages) et écrit une ligne par "
              "passage (une fois qu'un apprenant a suivi une séance) : date, numéro de la séance du cours, apprenant, compte, "
              "note sur 20, temps passé, questions répondues, terminé ou non. Avec --seance N, les seuls passages de la "
              "séance N.",
    .graphique = false,
    .executer = Results,
    .options = {&kCsv, &kLrs, &kSeance},
    .positionnels = Positionnels,
};

void Skipped(Output& o, const std::vector<resultats::LigneIgnoree>& ignorees) {
    for (const resultats::LigneIgnoree& l : ignorees) {
        const QString ou = l.ligne > 0 ? QStringLiteral("%1, ligne %2").arg(l.fichier).arg(l.ligne) : l.fichier;
        o.Err(QStringLiteral("Ignoré : %1 : %2\n").arg(ou, l.raison));
    }
}

Output Results(const Demande& d) {
    Output o;
    // Every séance unless one is asked for: a folder's journals hold them all; an LRS is asked for
    // each séance of the course the command runs in, as it is asked by activity.
    resultats::Comptage comptage(d.seanceDonnee ? d.seance : 0);
    QList<int> seances{d.seance};
    if (d.lrs && !d.seanceDonnee) {
        seances = content::Seances(QDir::currentPath());
        if (seances.isEmpty()) seances = {1};
    }
    const resultats::LectureClasse lue = resultats::LireClasse(d.dossier, d.lrs, resultats::Vers(comptage), seances);
    if (!lue.erreur.isEmpty()) return o.Fail(QStringLiteral("Aucun résultat : %1.\n").arg(lue.erreur));
    const std::vector<resultats::BilanSeance> bilans = comptage.Bilans();
    o.Out(d.csv ? resultats::CsvBilans(bilans) : resultats::TexteBilans(bilans).toUtf8());
    if (!d.csv && bilans.empty()) o.Out(QStringLiteral("Aucun passage enregistré dans %1.\n").arg(lue.source));
    Skipped(o, lue.ignorees);
    return o;
}

}  // namespace cli
