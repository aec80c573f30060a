// The quiz engine: showing a question, choosing an answer, validating it.

#include "content/banque.h"
#include "content/bareme.h"
#include "content/script_seance.h"
#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "course_window/observateur_lecon.h"
#include "platform/platform.h"

#include <vector>

using namespace M_Orvalis2;
using platform::P;
using platform::UiFont;

namespace {
QString TexteNote(double note) { return QStringLiteral("Performance : ") + content::TexteSur20(note) + QStringLiteral("/20"); }
}  // namespace

void Cour1p::Evaluation1() {
    Picture1.SetScaleLeft(0);
    Picture1.SetScaleTop(0);
    Label4.SetVisible(false);

    Label2.SetCaption(QStringLiteral("EVALUATION"));
    Label2.Move((Picture1.Width() - Label2.Width()) / 2, 20 * EchelleY);
    Label2.SetVisible(true);

    Label6.SetCaption(QString::number(NumQuestion));
    Label6.Move((Picture1.Width() - Label6.Width()) / 2, Label2.Top() + Label2.Height() + 20 * EchelleY);
    Label6.SetVisible(true);

    // The caption goes in before the move, so that the answers are placed under the wrapped text.
    Label3.SetWidth(0.9 * Picture1.Width());
    Label3.SetCaption(Question);
    Label3.Move(50 * EchelleX, Label6.Top() + Label6.Height() + 30 * EchelleY);
    Label3.SetFont(UiFont(13.5, false));
    Label3.SetVisible(true);

    Option1(0).Resize(700 * EchelleX, 50 * EchelleY);
    Option1(0).SetCaption(Reponse1);
    const QString* reponses[] = {&Reponse1, &Reponse2, &Reponse3, &Reponse4};
    for (int i = 1; i <= 3; ++i) {
        Option1(i).Resize(Option1(0).Width(), Option1(0).Height());
        Option1(i).SetCaption(*reponses[i]);
    }

    P().Randomize();
    const int k = 1 + static_cast<int>(4 * P().Rnd());

    // Slot s, top to bottom, holds member (s + k - 1) mod 4: a rotation of the stored order.
    double top = Label3.Top() + Label3.Height() + 40 * EchelleY;
    std::vector<platform::OptionButton*> places;
    for (int s = 0; s < 4; ++s) {
        platform::OptionButton& bouton = Option1((s + k - 1) % 4);
        if (!places.empty()) top = places.back()->Top() + places.back()->Height() + 20 * EchelleY;
        bouton.Move(Label3.Left(), top);
        places.push_back(&bouton);
    }
    platform::OptionButton* dessous = places.back();
    // A screen reader lists the answers as they stand, never in the order that tells the right one.
    Option1.StackInOrder(places);

    B_Valider.Move(dessous->Left() + B_Valider.Width(), dessous->Top() + dessous->Height() + 30 * EchelleY);

    Label9.SetLeft(Image1.Left() + Image1.Width() + 12 * EchelleX);
    Label9.SetCaption(TexteNote(Note));
    Label9.SetVisible(true);
    Picture5.SetWidth(Label9.Width() + Image1.Width() + 25 * EchelleX);

    for (int i = 0; i < 4; ++i) Option1(i).SetValue(false);
    for (int i = 0; i < 4; ++i) Option1(i).SetVisible(true);
    B_Valider.SetVisible(true);

    validationEnCours_ = false;
    AnnoncerQuestion();
    // Deviation: the keyboard starts every question on the answer at the top of the screen. Left
    // where it was, the focus would stay on the control it had, and member 0 always holds the right
    // answer: Space then Enter would repeat the last verdict, right or wrong, without reading.
    places.front()->SetFocus();
    P().Beep();
}

void Cour1p::Option1_Click(int16_t Index) {
    // Deviation: answers chosen during the pause after a validation are ignored (and the validated
    // choice stays selected); otherwise a second validation would score the question twice and
    // skip the next one.
    if (validationEnCours_) {
        Option1(choixValide_).SetValue(true);
        return;
    }
    choixValide_ = Index;
    ReponseJuste = Index == 0 ? Vrai : Faux;
    B_Valider.SetEnabled(true);
}

void Cour1p::B_Valider_Click() {
    if (validationEnCours_) return;
    validationEnCours_ = true;
    const bool juste = ReponseJuste != Faux;

    const content::Bareme bareme{banque_->Nombre(), script_->penalite};
    Note = bareme.Apres(Note, juste ? 1 : 0);
    if (ReponseJuste) {
        ReponseJuste = Faux;
        P().Beep();
        FichierSon = QStringLiteral("Bravo.wav");
    } else {
        FichierSon = QStringLiteral("SonMCM.wav");
    }
    JouerSon();
    Label9.SetCaption(TexteNote(Note));
    AnnoncerReponse(juste);
    B_Valider.SetEnabled(false);
    if (observateur_) observateur_->ReponseValidee(NumQuestion, choixValide_, juste, Note);

    int32_t secondes = 2;
    FaireUnePause(secondes);

    if (NumQuestion < banque_->Nombre()) {
        NumQuestion = static_cast<int16_t>(NumQuestion + 1);
    } else {
        NumPage = static_cast<int16_t>(NumPage + 1);
    }
    AfficherPage();
}
