#include "cli/ligne_de_commande.h"
#include "course_window/cour1p.h"
#include "platform/real_platform.h"
#include "resultats/suivi.h"

#include <QApplication>
#include <exception>

int main(int argc, char** argv) {
    // Commands need no display: they are read and run before any graphical application exists.
    const cli::Analyse analyse = cli::Analyser(cli::Arguments(argc, argv));
    if (analyse.issue != cli::Issue::Lecon) return cli::Executer(analyse, argc, argv);

    QApplication app(argc, argv);
    cli::PreparerApplication();
    platform::RealPlatform realPlatform;
    platform::SetPlatform(&realPlatform);
    resultats::Suivi suivi(resultats::Reglages::Lire());
    resultats::Installer(&suivi);
    try {
        Cour1p cour;
        platform::RunHandler([&] { cour.Form_Load(); });
        cour.Form.Show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        realPlatform.Fatal(QStringLiteral("La leçon s'est arrêtée sur une erreur imprévue : %1.").arg(QString::fromUtf8(e.what())));
    }
}
