// seance1 --class-report [DOSSIER | --lrs] FICHIER.pdf [--all], or … --csv [--all]

#include "class_reports/lecture_classe.h"
#include "class_reports/rapport.h"
#include "cli/commands.h"
#include "content/banque.h"

#include <QDir>

namespace cli {

Output ClassReport(const Demande& d) {
    Output o;
    // The course is the one the command runs in, as for the lesson: its bank is the one the report
    // is about, and a broken one is named rather than guessed at.
    const content::LectureGift banque = content::Charger(QDir::currentPath());
    if (!banque.Reussie()) return o.Fail(QStringLiteral("Le rapport n'a pas été écrit : %1\n").arg(banque.Texte()));
    resultats::CalculRapport calcul(d.tout, *banque.banque);
    const resultats::LectureClasse lue =
        resultats::LireClasse(d.dossier, d.lrs, [&](const QJsonObject& s) { calcul.Ajouter(s); });
    if (!lue.erreur.isEmpty()) return o.Fail(QStringLiteral("Aucun résultat : %1.\n").arg(lue.erreur));
    const resultats::RapportClasse rapport = calcul.Resultat();
    // The slides are those of the course folder the command runs in, as for the lesson.
    const resultats::Diapos diapos = resultats::LireDiapos(QDir::currentPath(), *banque.banque);

    if (d.csv) {
        o.Out(resultats::CsvRapport(rapport, diapos.pages));
    } else if (const QString erreur = resultats::EcrirePdfRapport(rapport, diapos, d.fichier, lue.source); !erreur.isEmpty()) {
        o.Fail(QStringLiteral("Le rapport n'a pas été écrit : %1.\n").arg(erreur));
    } else {
        o.Out(QStringLiteral("Rapport de classe écrit dans « %1 » : %2 séance(s), %3 feuilles.\n")
                  .arg(QDir::toNativeSeparators(d.fichier))
                  .arg(rapport.cours.test.seances)
                  .arg(resultats::FeuillesRapport(rapport)));
    }
    if (diapos.textes.join(QString()).trimmed().isEmpty())
        o.Err(QStringLiteral("Aucune diapositive lisible dans « %1 » : lancez la commande dans le dossier de "
                             "la leçon pour savoir où chaque question est enseignée.\n")
                  .arg(QDir::toNativeSeparators(QDir(QDir::currentPath()).filePath(QStringLiteral("Seance1")))));
    Skipped(o, lue.ignorees);
    return o;
}

}  // namespace cli
