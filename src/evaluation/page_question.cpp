// The evaluation's page (séance 1's page 19). Runs once per question; the validation brings it back
// with the next number.

#include "content/banque.h"
#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"

using namespace M_Orvalis2;

void Cour1p::PageQuestion() {
    // The learner answers every question before leaving: nothing enables these again.
    B_Pag_P.SetEnabled(false);
    B_Pag_S.SetEnabled(false);
    Interrompre = Faux;

    if (NumQuestion >= 1 && NumQuestion <= banque_->Nombre()) {
        // The questions stand on the plain slide area.
        if (NumQuestion == 1) Picture1.SetPicture(platform::Picture());
        const content::EntreeQuestion& entree = banque_->Entree(NumQuestion);
        Question = entree.question;
        Reponse1 = entree.reponses[0];
        Reponse2 = entree.reponses[1];
        Reponse3 = entree.reponses[2];
        Reponse4 = entree.reponses[3];
    }

    Evaluation1();
}
