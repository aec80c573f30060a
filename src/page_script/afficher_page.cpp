// The page routine: the entry work common to every page, around the current page of the séance's
// script, and the replay of the pages a click storm left waiting.

#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "platform/platform.h"

#include <vector>

using namespace M_Orvalis2;
using platform::P;

void Cour1p::AfficherPage() {
    if (quittee_) return;  // the séance was left for the course's menu: nothing more shows
    struct Profondeur {
        int& n;
        ~Profondeur() { --n; }
    } profondeur{++profondeur_};
    ExecuterPage();
    // The outermost run replays the pages a click storm left waiting, from the top of the stack.
    while (profondeur_ == 1 && !pagesEnAttente_.empty()) {
        const std::vector<int16_t> pages = std::move(pagesEnAttente_);
        pagesEnAttente_.clear();
        rattrapage_ = true;
        for (size_t i = 0; i + 1 < pages.size(); ++i) {
            NumPage = pages[i];
            ExecuterPage();
        }
        rattrapage_ = false;
        NumPage = pages.back();
        ExecuterPage();
    }
}

void Cour1p::DebutBoucle() {
    Compteur = 0;
    Interrompre = rattrapage_ || quittee_ ? Vrai : Faux;
}

void Cour1p::ExecuterPage() {
    int16_t NbCycles = 0;
    NumPageTexte = QString::number(NumPage);
    NomDiapo = NomDiapoScript();
    Picture2.SetVisible(false);
    Picture3.SetVisible(false);
    Picture4.SetVisible(false);
    Label1.SetCaption(QString::number(NumPage));
    PageScriptee(NbCycles);
}

void Cour1p::EtapeDiapo() {
    Picture1.SetPicture(platform::LoadPicture(Repertoire + NomDiapo), NomDiapo);
    Centrer(Picture1);
}

void Cour1p::EtapeImage(platform::PictureBox& box, int id) {
    box.SetPicture(platform::LoadResourcePicture(id), id);
}
