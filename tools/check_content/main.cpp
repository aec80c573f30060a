// check_content [FOLDER]
//
// For course authors: checks that FOLDER (by default the current directory) holds everything the
// lesson reads: Seance1/Diapo0.emf to Diapo18.emf, the photographs Seance1/Img<k>.jpg, and the
// wave files Bravo.wav and SonMCM.wav, and the course's rules (cours.toml). Each picture is loaded with
// the lesson's own loader. Prints one line per missing or broken file and per mistake of the rules, and a
// summary; exits 0 when the lesson will run as written, 1 otherwise.

#include "content/lesson_content.h"

#include "platform/real_platform.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    // A checker needs no display: pictures are decoded, not shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage : check_content [DOSSIER]\n");
        return 2;
    }
    const QString folder = args.size() == 2 ? args[1] : QDir::currentPath();

    platform::RealPlatform realPlatform;
    platform::SetPlatform(&realPlatform);
    const content::Report report = content::CheckFolder(folder);
    platform::SetPlatform(nullptr);

    QTextStream out(stdout);
    for (const QString& line : report.problems) out << line << '\n';
    for (const QString& line : report.regles) out << line << '\n';
    for (const QString& line : report.warnings) out << line << '\n';
    if (!report.regles.isEmpty())
        out << QStringLiteral("%1 erreur(s) dans les règles du cours : tant qu'elles y sont, chaque séance s'ouvre après la "
                              "précédente, au-dessus de 15/20.\n").arg(report.regles.size());
    if (report.CourseWillRun() && report.regles.isEmpty()) {
        out << QStringLiteral("%1 fichiers vérifiés dans « %2 » : la leçon peut se dérouler")
                   .arg(report.checked)
                   .arg(QDir::toNativeSeparators(folder));
        out << (report.warnings.isEmpty() ? QStringLiteral(".\n") : QStringLiteral(", sans les sons signalés.\n"));
        return 0;
    }
    if (report.CourseWillRun()) return 1;
    out << QStringLiteral("%1 problème(s) dans « %2 » : la leçon s'arrêterait au premier fichier en cause.\n")
               .arg(report.problems.size())
               .arg(QDir::toNativeSeparators(folder));
    return 1;
}
