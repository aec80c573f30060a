#include "course/seance_jouee.h"

#include "class_reports/progression.h"
#include "content/course_identity.h"
#include "content/regles_cours.h"
#include "content/seance.h"

#include <QMessageBox>
#include <QPointer>

namespace cours {

SeanceJouee::SeanceJouee(const content::Seance& seance, const resultats::Reglages& reglages, const content::ReglesCours& regles)
    : suivi_(reglages, seance.banque, seance.numero, seance.titre), cour_(&suivi_, &seance) {
    suivi_.RegleDeReussite(resultats::Reussie, regles.seuil);
    // Told once, and the lesson goes on: a box that waits for nothing.
    suivi_.SurResultatsPerdus([fenetre = QPointer<QWidget>(cour_.Form.Widget()),
                               nom = content::NomSeance(seance.numero, seance.titre)](const QString& texte) {
        if (!fenetre) return;
        auto* avis = new QMessageBox(QMessageBox::Warning, nom, texte, QMessageBox::Ok, fenetre);
        avis->setAttribute(Qt::WA_DeleteOnClose);
        avis->setWindowModality(Qt::NonModal);
        avis->show();
    });
}

void SeanceJouee::Demarrer() {
    cour_.Form_Load();
    cour_.Form.Show();
    // Not left to the window manager: after the course's menu the window may show without being
    // activated, and a second activation does nothing.
    cour_.Form_Activate();
}

}  // namespace cours
