// The page routine: the entry work and dispatch common to every page, and the steps and loop that
// the page branches are written with.

#include "content/script_seance.h"
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
    NomDiapo = script_ ? NomDiapoScript() : QStringLiteral("Diapo") + NumPageTexte + QStringLiteral(".emf");
    Picture2.SetVisible(false);
    Picture3.SetVisible(false);
    Picture4.SetVisible(false);
    Label1.SetCaption(QString::number(NumPage));

    if (script_) {
        PageScriptee(NbCycles);
        return;
    }

    switch (NumPage) {
        case 0: Page0(); break;
        case 1: Page1(); break;
        case 2: Page2(); break;
        case 3: Page3(); break;
        case 4: Page4(); break;
        case 5: Page5(); break;
        case 6: Page6(); break;
        case 7: Page7(); break;
        case 8: Page8(); break;
        case 9: Page9(); break;
        case 10: Page10(); break;
        case 11: Page11(); break;
        case 12: Page12(); break;
        case 13: Page13(NbCycles); break;
        case 14: Page14(); break;
        case 15: Page15(); break;
        case 16: Page16(); break;
        case 17: Page17(); break;
        case 18: Page18(); break;
        case 19: Page19(); break;
        case 20: Page20(content::kTexteClotureSeance1); break;
        default: break;
    }
}

void Cour1p::EtapeDiapo() {
    Picture1.SetPicture(platform::LoadPicture(Repertoire + NomDiapo), NomDiapo);
    Centrer(Picture1);
}

void Cour1p::EtapePhoto(platform::PictureBox& box, const QString& fichier, const std::function<double()>& left,
                        const std::function<double()>& top) {
    box.SetAutoSize(true);
    box.SetPicture(platform::LoadPicture(Repertoire + fichier), fichier);
    // The formulas read the box's size after the load: the photograph's own.
    const double l = left();
    const double t = top();
    box.Move(l, t);
    box.SetVisible(true);
}

void Cour1p::BouclePage(int16_t dernierTop, const std::function<void(int16_t)>& agir) {
    const int16_t page = NumPage;
    DebutBoucle();
    for (;;) {
        if (Interrompre) return;
        Ceder();
        const int16_t top = Compteur;
        if (top == dernierTop) return;
        // Deviation: a pass acts on Compteur only while its page is still the current one. A loop that
        // goes on after the learner left (for page 0, or for page 19 within its first tick) would
        // otherwise bring its photograph back over the new page, or load a slide named after a page
        // that has none ("Diapo19.emf") and end the lesson on a missing file.
        if (NumPage == page) agir(top);
    }
}

void Cour1p::EtapeImage(platform::PictureBox& box, int id) {
    box.SetPicture(platform::LoadResourcePicture(id), id);
}
