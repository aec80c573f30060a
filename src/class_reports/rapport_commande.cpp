// "seance1 --class-report [FOLDER | --lrs] FILE.pdf [--all]" and "seance1 --class-report [FOLDER | --lrs] --csv [--all]".

#include "class_reports/lecture_lrs.h"
#include "class_reports/rapport.h"
#include "content/banque.h"
#include "settings/reglages.h"
#include "statements/lecture_journal.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace resultats {

namespace {

void Ecrire(FILE* f, const QString& texte) {
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f);
}

const char kUsage[] = "Usage : seance1 --class-report [DOSSIER | --lrs] FICHIER.pdf [--all]\n"
                      "        seance1 --class-report [DOSSIER | --lrs] --csv [--all]\n";

}  // namespace

int CommandeRapport(const QString& dossierDemande, const QString& pdf, bool csv, bool toutes, bool lrs) {
    if (csv == !pdf.isEmpty() || (lrs && !dossierDemande.isEmpty())) {
        Ecrire(stderr, QString::fromUtf8(kUsage));
        return 2;
    }

    // The slides' text is read with their fonts, and the charts are graphics items: both want a
    // widgets application, though nothing is shown, and no display is needed.
    std::unique_ptr<QApplication> app;
    static int argc = 1;
    static char nom[] = "seance1";
    static char* argv[] = {nom, nullptr};
    if (!QCoreApplication::instance()) {
        // Always offscreen: the same report on any screen, and from a terminal with no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }

    // The course is the one the command runs in, as for the lesson: its bank is the one the report
    // is about, and a broken one is named rather than guessed at.
    const content::LectureGift banque = content::Charger(QDir::currentPath());
    if (!banque.Reussie()) {
        Ecrire(stderr, QStringLiteral("Le rapport n'a pas été écrit : %1\n").arg(banque.Texte()));
        return 1;
    }
    CalculRapport calcul(toutes, *banque.banque);
    Lecture lecture;
    QString dossier = dossierDemande;
    if (lrs) {
        const ConfigLrs config = Reglages::Lire().lrs;
        const LectureLrs lue = LireLrs(config, [&](const QJsonObject& d) { calcul.Ajouter(d); }, kParPageCommandes);
        if (!lue.erreur.isEmpty()) {
            Ecrire(stderr, QStringLiteral("Aucun résultat : %1.\n").arg(lue.erreur));
            return 1;
        }
        dossier = AdresseDeclarations(config).toString();
    } else {
        if (dossier.isEmpty()) dossier = Reglages::Lire().dossier;
        if (dossier.isEmpty() || !QDir(dossier).exists()) {
            Ecrire(stderr, QStringLiteral("Aucun résultat : le dossier « %1 » n'existe pas.\n").arg(dossier));
            return 1;
        }
        lecture.recevoir = [&](const QJsonObject& d) { calcul.Ajouter(d); };
        lecture.essentiel = true;
        LireDossier(dossier, lecture);
    }
    const RapportClasse rapport = calcul.Resultat();
    // The slides are those of the course folder the command runs in, as for the lesson.
    const Diapos diapos = LireDiapos(QDir::currentPath(), *banque.banque);

    int statut = 0;
    if (csv) {
        const QByteArray octets = CsvRapport(rapport, diapos.pages);
        std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), stdout);
        std::fflush(stdout);
    } else {
        const QString erreur = EcrirePdfRapport(rapport, diapos, pdf, dossier);
        if (!erreur.isEmpty()) {
            Ecrire(stderr, QStringLiteral("Le rapport n'a pas été écrit : %1.\n").arg(erreur));
            statut = 1;
        } else {
            Ecrire(stdout, QStringLiteral("Rapport de classe écrit dans « %1 » : %2 séance(s), %3 feuilles.\n")
                               .arg(QDir::toNativeSeparators(pdf))
                               .arg(rapport.cours.test.seances)
                               .arg(FeuillesRapport(rapport)));
        }
    }
    if (diapos.textes.join(QString()).trimmed().isEmpty())
        Ecrire(stderr, QStringLiteral("Aucune diapositive lisible dans « %1 » : lancez la commande dans le dossier de "
                                      "la leçon pour savoir où chaque question est enseignée.\n")
                           .arg(QDir::toNativeSeparators(QDir(QDir::currentPath()).filePath(QStringLiteral("Seance1")))));
    for (const LigneIgnoree& l : lecture.ignorees) {
        const QString ou = l.ligne > 0 ? QStringLiteral("%1, ligne %2").arg(l.fichier).arg(l.ligne) : l.fichier;
        Ecrire(stderr, QStringLiteral("Ignoré : %1 : %2\n").arg(ou, l.raison));
    }
    return statut;
}

}  // namespace resultats
