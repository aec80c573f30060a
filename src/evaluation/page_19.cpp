// Page 19: the evaluation. Runs once per question; the validation brings it back with the next number.

#include "content/question_bank.h"
#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"

using namespace M_Orvalis2;

void Cour1p::Page19() {
    // The learner answers all twenty questions before leaving: nothing enables these again.
    B_Pag_P.SetEnabled(false);
    B_Pag_S.SetEnabled(false);
    Interrompre = Faux;

    if (NumQuestion >= 1 && NumQuestion <= content::kNombreQuestions) {
        // The questions stand on the plain slide area.
        if (NumQuestion == 1) Picture1.SetPicture(platform::Picture());
        const content::EntreeBanque& entree = content::Banque(NumQuestion);
        Question = QString::fromUtf16(entree.Question);
        Reponse1 = QString::fromUtf16(entree.Reponse1);
        Reponse2 = QString::fromUtf16(entree.Reponse2);
        Reponse3 = QString::fromUtf16(entree.Reponse3);
        Reponse4 = QString::fromUtf16(entree.Reponse4);
    }

    Evaluation1();
}
