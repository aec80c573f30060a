// The lesson from the keyboard. Every key goes through the handler a click would run, so what a
// key may do at any moment is exactly what a click may do then (page buttons disabled during the
// evaluation, answers ignored during the pause after a validation).

#include "course_window/cour1p.h"

#include <algorithm>

void Cour1p::PreparerClavier() {
    Form.OnKeyPreview = [this](int key) { return Form_KeyPreview(key); };
    Form.TabOrder = [this] {
        std::vector<platform::Control*> ordre;
        // On page 0 the previous button does nothing: Tab starts on the next one.
        if (NumPage > 0) ordre.push_back(&B_Pag_P);
        ordre.push_back(&B_Pag_S);
        for (platform::OptionButton* reponse : ReponsesAffichees()) ordre.push_back(reponse);
        ordre.push_back(&B_Valider);
        ordre.push_back(&B_Fermer);
        ordre.push_back(&Image1);
        if (B_Suivante) ordre.insert(ordre.begin(), B_Suivante.get());
        if (B_Menu) ordre.insert(ordre.begin(), B_Menu.get());
        return ordre;
    };
}

std::vector<platform::OptionButton*> Cour1p::ReponsesAffichees() {
    std::vector<platform::OptionButton*> reponses;
    for (int i = 0; i < Option1.Count(); ++i) {
        if (Option1(i).Reachable()) reponses.push_back(&Option1(i));
    }
    std::sort(reponses.begin(), reponses.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
    return reponses;
}

bool Cour1p::Form_KeyPreview(int key) {
    const std::vector<platform::OptionButton*> reponses = ReponsesAffichees();
    const auto focalisee = std::find_if(reponses.begin(), reponses.end(), [](auto* r) { return r->HasFocus(); });
    switch (key) {
        case Qt::Key_Right:
        case Qt::Key_PageDown:
            if (B_Pag_S.Reachable()) B_Pag_S.Click();
            return true;
        case Qt::Key_Left:
        case Qt::Key_PageUp:
            if (B_Pag_P.Reachable()) B_Pag_P.Click();
            return true;
        case Qt::Key_R:
            // "Répéter": what the page said to a screen reader, again.
            RepeterAnnonce();
            return true;
        case Qt::Key_Escape:
            // An accidental key must never end the lesson; only Fermer does.
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            // Moves between the answers without choosing one.
            if (reponses.empty()) return true;
            const auto n = static_cast<std::ptrdiff_t>(reponses.size());
            std::ptrdiff_t i = focalisee - reponses.begin();
            if (focalisee == reponses.end()) {
                i = key == Qt::Key_Down ? 0 : n - 1;
            } else {
                i = std::clamp<std::ptrdiff_t>(i + (key == Qt::Key_Down ? 1 : -1), 0, n - 1);
            }
            reponses[static_cast<size_t>(i)]->SetFocus();
            return true;
        }
        case Qt::Key_Space:
            if (focalisee == reponses.end()) return false;  // a focused button presses itself
            (*focalisee)->Click();
            return true;
        case Qt::Key_1:
        case Qt::Key_2:
        case Qt::Key_3:
        case Qt::Key_4: {
            const auto place = static_cast<size_t>(key - Qt::Key_1);
            if (place >= reponses.size()) return true;
            reponses[place]->SetFocus();
            reponses[place]->Click();
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (B_Valider.Reachable()) {
                B_Valider.Click();
                return true;
            }
            for (platform::CommandButton* bouton : {&B_Pag_P, &B_Pag_S, &B_Fermer, B_Menu.get(), B_Suivante.get()}) {
                if (bouton && bouton->HasFocus()) {
                    bouton->Click();
                    return true;
                }
            }
            return false;
        default:
            return false;
    }
}
