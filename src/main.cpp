#include "course_window/cour1p.h"
#include "platform/real_platform.h"
#include "storyboard/storyboard.h"
#include "resultats/bilan.h"
#include "resultats/suivi.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QPointer>
#include <QStyleFactory>
#include <exception>

int main(int argc, char** argv) {
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
    try {
        Cour1p cour(&suivi);
        // Told once, and the lesson goes on: a box that waits for nothing.
        suivi.SurResultatsPerdus([fenetre = QPointer<QWidget>(cour.Form.Widget())](const QString& texte) {
            if (!fenetre) return;
            auto* avis = new QMessageBox(QMessageBox::Warning, QStringLiteral("Séance 1"), texte, QMessageBox::Ok, fenetre);
            avis->setAttribute(Qt::WA_DeleteOnClose);
            avis->setWindowModality(Qt::NonModal);
            avis->show();
        });
        platform::RunHandler([&] { cour.Form_Load(); });
        cour.Form.Show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        realPlatform.Fatal(QStringLiteral("La leçon s'est arrêtée sur une erreur imprévue : %1.").arg(QString::fromUtf8(e.what())));
    }
}
