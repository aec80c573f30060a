#include "course_window/cour1p.h"
#include "platform/real_platform.h"
#include "storyboard/storyboard.h"
#include "resultats/bilan.h"
#include "resultats/rapport.h"
#include "resultats/suivi.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <exception>

int main(int argc, char** argv) {
    if (resultats::EstCommandeRapport(argc, argv)) {
        QStringList args;
        for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
        return resultats::CommandeRapport(args);
    }
    if (resultats::EstCommandeResultats(argc, argv)) return resultats::CommandeResultats(argc, argv);

    const bool storyboard = storyboard::Requested(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Séance 1"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(platform::UiFont(9.75));
    if (storyboard) return storyboard::Main(QApplication::arguments());

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
