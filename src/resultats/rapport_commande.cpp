// "seance1 --class-report [FOLDER] FILE.pdf [--all]" and "seance1 --class-report [FOLDER] --csv [--all]".

#include "resultats/journal.h"
#include "resultats/rapport.h"
#include "resultats/reglages.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>

namespace resultats {

namespace {

void Ecrire(FILE* f, const QString& texte) {
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f);
}

const char kUsage[] = "Usage : seance1 --class-report [DOSSIER] FICHIER.pdf [--all]\n"
                      "        seance1 --class-report [DOSSIER] --csv [--all]\n";

}  // namespace

bool EstCommandeRapport(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--class-report") == 0) return true;
    return false;
}

int CommandeRapport(const QStringList& args) {
    bool csv = false, toutes = false;
    QString dossier, pdf;
    for (const QString& a : args.mid(1)) {
        if (a == QLatin1String("--class-report")) {
        } else if (a == QLatin1String("--csv")) {
            csv = true;
        } else if (a == QLatin1String("--all")) {
            toutes = true;
        } else if (!a.startsWith(QLatin1String("--")) && a.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) && pdf.isEmpty()) {
            pdf = a;
        } else if (!a.startsWith(QLatin1String("--")) && dossier.isEmpty()) {
            dossier = a;
        } else {
            Ecrire(stderr, QStringLiteral("Option inconnue : %1\n").arg(a) + QString::fromUtf8(kUsage));
            return 2;
        }
    }
    if (csv == !pdf.isEmpty()) {
        Ecrire(stderr, QString::fromUtf8(kUsage));
        return 2;
    }

    // The slides' text is read with their fonts, and the charts are graphics items: both want a
    // widgets application, though nothing is shown, and no display is needed.
    std::unique_ptr<QApplication> app;
    static int argc = 1;
    static QByteArray nom = args.value(0, QStringLiteral("seance1")).toLocal8Bit();
    static char* argv[] = {nom.data(), nullptr};
    if (!QCoreApplication::instance()) {
        // Always offscreen: the same report on any screen, and from a terminal with no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }

    if (dossier.isEmpty()) dossier = Reglages::Lire().dossier;
    if (dossier.isEmpty() || !QDir(dossier).exists()) {
        Ecrire(stderr, QStringLiteral("Aucun résultat : le dossier « %1 » n'existe pas.\n").arg(dossier));
        return 1;
    }

    CalculRapport calcul(toutes);
    Lecture lecture;
    lecture.recevoir = [&](const QJsonObject& d) { calcul.Ajouter(d); };
    lecture.essentiel = true;
    LireDossier(dossier, lecture);
    const RapportClasse rapport = calcul.Resultat();
    // The slides are those of the course folder the command runs in, as for the lesson.
    const Diapos diapos = LireDiapos(QDir::currentPath());

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
