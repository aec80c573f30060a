#include "cli/ligne_de_commande.h"
#include "content/lesson_content.h"
#include "content/regles_cours.h"
#include "content/seance.h"
#include "course/parcours.h"
#include "course/seance_jouee.h"
#include "course/seances_du_cours.h"
#include "platform/real_platform.h"
#include "settings/reglages.h"

#include <QApplication>
#include <QTimer>
#include <exception>

int main(int argc, char** argv) {
    // Commands need no display: they are read and run before any graphical application exists.
    const cli::Analyse analyse = cli::Analyser(cli::Arguments(argc, argv));
    if (analyse.issue != cli::Issue::Lecon) return cli::Executer(analyse, argc, argv);

    QApplication app(argc, argv);
    cli::PreparerApplication();
    platform::RealPlatform realPlatform;
    platform::SetPlatform(&realPlatform);
    const QString dossier = realPlatform.CurrentDirectory();
    // A folder of several séances starts on the course's menu; one with only Seance1/, or a séance
    // asked for by number, starts on its page 0.
    if (!analyse.demande.seanceDonnee && cours::EstUnCours(dossier)) {
        const resultats::Reglages reglages = resultats::Reglages::Lire();
        if (reglages.ajuster) {
            QSizeF largest;
            for (const int n : content::Seances(dossier)) largest = largest.expandedTo(content::LargestSlide(dossier, n));
            realPlatform.FitOnScreen(largest);
        }
        cours::Parcours parcours(dossier, reglages);
        QTimer::singleShot(0, [&] { platform::RunHandler([&] { parcours.Executer(); }); });
        return QApplication::exec();
    }
    // Read before anything starts: a broken questions file or séance script stops the lesson here,
    // with no window shown and no result written.
    content::Seance seance;
    platform::RunHandler([&] {
        seance = content::SeanceAJouer(dossier, analyse.demande.seance);
        content::LireTitre(seance);
    });
    const resultats::Reglages reglages = resultats::Reglages::Lire();
    // Deviation: on request, a course whose slides are larger than the screen is drawn smaller, the
    // whole lesson at one scale, so that the learner sees each slide whole where it would be cut
    // (the demo's 1024 × 768 slides on a 1280 × 720 screen). Off by default.
    if (reglages.ajuster) realPlatform.FitOnScreen(content::LargestSlide(seance));
    try {
        const content::ReglesCours regles = content::LireReglesCours(dossier);
        cours::SeanceJouee jouee(seance, reglages, regles);
        platform::RunHandler([&] { jouee.Demarrer(); });
        return QApplication::exec();
    } catch (const std::exception& e) {
        realPlatform.Fatal(QStringLiteral("La leçon s'est arrêtée sur une erreur imprévue : %1.").arg(QString::fromUtf8(e.what())));
    }
}
