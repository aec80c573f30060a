// seance1 --class-report [DOSSIER | --lrs] FICHIER.pdf [--all] [--seance N], or … --csv [--all] [--seance N]

#include "class_reports/bilan.h"
#include "class_reports/lecture_classe.h"
#include "class_reports/rapport.h"
#include "cli/commands.h"
#include "content/banque.h"
#include "content/nom_dossier.h"
#include "content/lesson_content.h"
#include "content/regles_cours.h"
#include "content/seance.h"

#include <QDir>
#include <algorithm>

namespace cli {

namespace {

const Option kAll{"all", nullptr, "tous les passages", [](const QString&, Demande& d) {
                      d.tout = true;
                      return QString();
                  }};

bool EstPdf(const QString& s) { return s.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }

Refus Positionnels(const QStringList& p, Demande& d) {
    qsizetype permis = 1;
    if (d.csv) {
        if (EstPdf(p.value(0)))
            return {QStringLiteral("--class-report écrit FICHIER.pdf ou, avec --csv, sur la sortie standard : pas les deux"), {}};
        d.dossier = p.value(0);
    } else {
        if (p.isEmpty() || !EstPdf(p.last())) return {QStringLiteral("il manque FICHIER.pdf (ou --csv) après --class-report"), {}};
        permis = 2;
        d.fichier = p.last();
        if (p.size() == 2) d.dossier = p[0];
    }
    if (Refus r = EnTrop(p, permis, d); !r.Vide()) return r;
    if (d.lrs && !d.dossier.isEmpty())
        return {{},
                QStringLiteral("Usage : seance1 --class-report [DOSSIER | --lrs] FICHIER.pdf [--all]\n"
                               "        seance1 --class-report [DOSSIER | --lrs] --csv [--all]")};
    return {};
}

}  // namespace

const Commande kClassReport{
    .option = "class-report",
    .syntaxe = "[DOSSIER | --lrs] FICHIER.pdf | --csv [--all]",
    .resume = "Rapport de la classe, en PDF ou en CSV.",
    .detail = "Écrit le rapport de la classe dans FICHIER.pdf, ou en CSV sur la sortie standard ; --all y met "
              "tous les passages, --seance N le fait sur la séance N du cours (1 par défaut). Dans un cours de "
              "plusieurs séances, une fois la séance 1 dépassée, il s'achève sur la progression de la classe : une "
              "ligne par apprenant, une colonne par séance (meilleure note, réussie ou non, passages).",
    .graphique = true,
    .executer = ClassReport,
    .options = {&kCsv, &kLrs, &kAll, &kSeance},
    .positionnels = Positionnels,
};

Output ClassReport(const Demande& d) {
    Output o;
    // The course is the one the command runs in, as for the lesson: the séance's bank is the one the
    // report is about, and a broken one is named rather than guessed at.
    const QString cours = QDir::currentPath();
    const content::LectureGift banque = content::Charger(cours, d.seance);
    if (!banque.Reussie()) return o.Fail(QStringLiteral("Le rapport n'a pas été écrit : %1\n").arg(banque.Texte()));
    resultats::CalculRapport calcul(d.tout, *banque.banque, d.seance);

    // A course of several séances gets the class's progress through it too, from the same reading.
    const QList<int> seances = content::Seances(cours);
    const bool progression = seances.size() >= 2;
    resultats::Comptage sessions(0, false);
    const resultats::Destinataire vers{[&](const QJsonObject& s) {
                                           calcul.Ajouter(s);
                                           if (progression) sessions.Ajouter(s);
                                       },
                                       [&](const resultats::Essentiel& e) {
                                           calcul.Ajouter(e);
                                           if (progression) sessions.Ajouter(e);
                                       }};
    // An LRS is asked séance by séance; a folder's journals hold them all.
    QList<int> lues{d.seance};
    if (d.lrs && progression)
        for (const int s : seances)
            if (s != d.seance) lues << s;
    const resultats::LectureClasse lue = resultats::LireClasse(d.dossier, d.lrs, vers, lues);
    if (!lue.erreur.isEmpty()) return o.Fail(QStringLiteral("Aucun résultat : %1.\n").arg(lue.erreur));
    // The slides are those of the reported séance in the course folder the command runs in, as for the lesson.
    const resultats::Diapos diapos = resultats::LireDiapos(cours, *banque.banque, d.seance);
    resultats::RapportClasse rapport = calcul.Resultat();
    rapport.titre = content::TitreDeDiapositive(diapos.textes.value(0));
    // Only once the class has gone past séance 1: until then séance 1's report says it all, as it
    // always did.
    std::optional<resultats::ProgressionClasse> classe;
    const std::vector<resultats::BilanSeance> bilans = progression ? sessions.Bilans() : std::vector<resultats::BilanSeance>();
    if (std::any_of(bilans.begin(), bilans.end(), [](const resultats::BilanSeance& b) { return b.seance != 1; }))
        classe = resultats::CalculerProgression(bilans, seances, content::LireReglesCours(cours).seuil);
    const resultats::ProgressionClasse* avancement = classe ? &*classe : nullptr;

    if (d.csv) {
        o.Out(resultats::CsvRapport(rapport, diapos.pages, avancement));
    } else if (const QString erreur = resultats::EcrirePdfRapport(rapport, diapos, d.fichier, lue.source, avancement);
               !erreur.isEmpty()) {
        o.Fail(QStringLiteral("Le rapport n'a pas été écrit : %1.\n").arg(erreur));
    } else {
        o.Out(QStringLiteral("Rapport de classe écrit dans « %1 » : %2 passage(s), %3 feuilles.\n")
                  .arg(QDir::toNativeSeparators(d.fichier))
                  .arg(rapport.cours.test.seances)
                  .arg(resultats::FeuillesRapport(rapport, avancement)));
    }
    if (diapos.textes.join(QString()).trimmed().isEmpty())
        o.Err(QStringLiteral("Aucune diapositive lisible dans « %1 » : lancez la commande dans le dossier de "
                             "la leçon pour savoir où chaque question est enseignée.\n")
                  .arg(QDir::toNativeSeparators(QDir(cours).filePath(content::NomDossierSeance(d.seance)))));
    Skipped(o, lue.ignorees);
    return o;
}

}  // namespace cli
