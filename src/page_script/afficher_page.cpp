// The page routine: the entry work common to every page, around the current page of the séance's
// script, and the replay of the pages a click storm left waiting.

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
    NomDiapo = NomDiapoScript();
    Picture2.SetVisible(false);
    Picture3.SetVisible(false);
    Picture4.SetVisible(false);
    Label1.SetCaption(QString::number(NumPage));
    PageScriptee(NbCycles);
}

void Cour1p::EtapeDiapo() {
    const platform::Picture diapo = platform::LoadPicture(Repertoire + NomDiapo);
    if (!DiapositivesEcran()) {
        Picture1.SetPicture(diapo, NomDiapo);
        Centrer(Picture1);
        return;
    }
    const QRectF zone = ZoneDiapo(diapo.SizeTwips());
    // Set before the picture, so that the box takes its size at once and is drawn once.
    Picture1.SetZoom(zone.width() / diapo.SizeTwips().width());
    Picture1.SetPicture(diapo, NomDiapo);
    Picture1.Move(zone.left(), zone.top());
    PreparerDiapoSuivante();
}

void Cour1p::PreparerDiapoSuivante() {
    if (rattrapage_ || NumPage < 0 || NumPage >= static_cast<int>(script_->pages.size())) return;
    // This page's next step, or the next page's first slide.
    const std::vector<content::EtapeScript>& etapes = script_->pages[static_cast<size_t>(NumPage)].etapes;
    QString suivante;
    bool apres = false;
    for (const content::EtapeScript& e : etapes) {
        if (!e.diapositive) continue;
        if (apres) {
            suivante = e.fichier;
            break;
        }
        apres = e.fichier == NomDiapo;
    }
    if (suivante.isEmpty() && NumPage + 1 < static_cast<int>(script_->pages.size()))
        suivante = script_->pages[static_cast<size_t>(NumPage + 1)].diapositive;
    if (suivante.isEmpty()) return;
    try {
        const platform::Picture diapo = platform::LoadPicture(Repertoire + suivante);
        Picture1.DrawAhead(diapo, ZoneDiapo(diapo.SizeTwips()).width() / diapo.SizeTwips().width());
    } catch (const platform::FileError&) {
        // Said when its page comes, as for any slide.
    }
}

void Cour1p::EtapeImage(platform::PictureBox& box, int id) {
    box.SetPicture(platform::LoadResourcePicture(id), id);
}
