// A page of the séance's script. The loop, its pauses, its meeting with navigation and the
// evaluation are the lesson's own; what the page shows, where and when, comes from the script
// (séance 1's from the one the program holds).

#include "content/script_seance.h"
#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "course_window/sl_mm.h"
#include "platform/platform.h"
#include "platform/wave_decode.h"

#include <algorithm>

using namespace M_Orvalis2;

void Cour1p::PageTitre() {
    EtapeDiapo();
    Label4.SetVisible(true);
}

QString Cour1p::NomDiapoScript() const {
    if (NumPage < 0 || NumPage >= static_cast<int>(script_->pages.size())) return {};
    return script_->pages[static_cast<size_t>(NumPage)].diapositive;
}

platform::PictureBox& Cour1p::Cadre(int cadre) {
    switch (cadre) {
        case 1: return Picture2;
        case 2: return Picture3;
        case 3: return Picture4;
        default: return Picture1;
    }
}

void Cour1p::PlacerSelon(platform::PictureBox& box, const content::Place& place) {
    const auto lire = [this](int cadre, content::Expression::Mesure mesure) {
        const platform::PictureBox& b = Cadre(cadre);
        switch (mesure) {
            case content::Expression::Mesure::Gauche: return b.Left();
            case content::Expression::Mesure::Haut: return b.Top();
            case content::Expression::Mesure::Largeur: return b.Width();
            case content::Expression::Mesure::Hauteur: return b.Height();
            default: return 0.0;
        }
    };
    // Read after the load: the box has its picture's size.
    const double l = place.gauche.Evaluer(lire, EchelleX, Picture1.Zoom());
    const double t = place.haut.Evaluer(lire, EchelleY, Picture1.Zoom());
    box.Move(l, t);
}

void Cour1p::EtapeScriptee(const content::EtapeScript& etape) {
    if (etape.diapositive) {
        NomDiapo = etape.fichier;
        EtapeDiapo();
        return;
    }
    platform::PictureBox& box = Cadre(etape.cadre);
    box.SetAutoSize(true);
    box.SetZoom(Picture1.Zoom());  // a photograph grows with its slide
    box.SetPicture(platform::LoadPicture(Repertoire + etape.fichier), etape.fichier);
    PlacerSelon(box, etape.place);
    box.SetVisible(true);
}

void Cour1p::PageScriptee(int16_t& NbCycles) {
    if (NumPage < 0 || NumPage >= static_cast<int>(script_->pages.size())) return;
    const content::PageScript& page = script_->pages[static_cast<size_t>(NumPage)];
    // A page that holds the next-page button holds it from its entry; every other title or slide
    // page lets it go (from the evaluation on, the page buttons stay locked).
    const bool tenue = script_->Attend(page);
    if ((page.type == content::PageScript::Type::Titre || page.type == content::PageScript::Type::Diapositive) &&
        script_->AttendQuelquePart())
        TenirPageSuivante(tenue);
    switch (page.type) {
        case content::PageScript::Type::Titre: PageTitre(); return;
        case content::PageScript::Type::Evaluation: PageQuestion(); return;
        case content::PageScript::Type::Cloture: PageCloture(page.texte); return;
        case content::PageScript::Type::Diapositive: break;
    }
    const int16_t numero = NumPage;
    // What another page left up: the title's notice line, the strips' captions. Hidden already
    // everywhere else, so these change nothing there.
    Label4.SetVisible(false);
    Label2.SetVisible(false);
    Label3.SetVisible(false);
    // The strips' page turned the lower caption's word wrap off; the evaluation's question needs it.
    if (pageCourants_ >= 0 && numero > pageCourants_) Label3.SetWordWrap(true);

    DebutBoucle();
    for (;;) {
        if (Interrompre) break;
        Ceder();
        const int16_t top = Compteur;
        if (top == page.fin) {
            if (tenue) FinDeCourse(numero);
            break;
        }
        // « après le son »: the run ends once its last sound has started and ended.
        if (page.finApresSon && NumPage == numero && top > page.sons.back().instant && !NarrationEnCours()) {
            if (tenue) FinDeCourse(numero);
            break;
        }
        // Deviation: a pass acts on Compteur only while its page is still the current one. A loop that
        // goes on after the learner left (for the title page, or for the evaluation within its first
        // tick) would otherwise bring its photograph back over the new page, or load a slide for a page
        // that has none and end the lesson on a missing file.
        if (NumPage != numero) continue;
        for (const content::EtapeScript& etape : page.etapes)
            if (etape.instant == top) EtapeScriptee(etape);
        for (const content::SonScript& son : page.sons)
            if (son.instant == top) JouerNarration(son);
        if (page.animation && page.animation->instant == top) {
            // The animation keeps control until the page is left: the page's run has ended.
            if (tenue) FinDeCourse(numero);
            if (page.animation->genre == content::AnimationScript::Genre::Courants) {
                MiseEnPlaceBandes();
                AnimCourantAlternatif(numero);
            } else {
                AnimationScriptee(numero, *page.animation, NbCycles);
            }
            break;
        }
    }
    // The evaluation that follows starts from its first question, whichever way the loop ended.
    // Deviation: not once the evaluation has begun inside this loop's yield. Séance 1's page 18 runs
    // one second, less than the pause after the first answer; a teacher's page may run longer and
    // would take the learner back to question 1 while question 2 is on the screen.
    if (numero == PageEvaluation() - 1 && NumPage < PageEvaluation()) NumQuestion = 1;
}

void Cour1p::TenirPageSuivante(bool tenir) {
    pageSuivanteTenue_ = tenir;
    B_Pag_S.SetEnabled(!tenir);
    B_Pag_S.SetToolTip(tenir ? QStringLiteral("Attendez la fin de la page") : QString());
    B_Pag_S.SetAccessibleDescription(tenir ? QStringLiteral("Attend la fin de la page") : QString());
}

void Cour1p::FinDeCourse(int16_t page) {
    if (!PageCourante(page) || !pageSuivanteTenue_) return;
    TenirPageSuivante(false);
    Annoncer(QStringLiteral("Fin de la page, la page suivante est possible."));
}

void Cour1p::JouerNarration(const content::SonScript& son) {
    FichierSon = Repertoire + son.fichier;
    JouerSon();
    // Timed by the file's own length, on the lesson's clock: the caption stays its time even without
    // a sound output.
    narration_ = true;
    narrationDebut_ = platform::P().TickCount();
    narrationMs_ = platform::SoundMilliseconds(FichierSon);
    Legende.SetCaption(son.texte);
    Legende.SetAccessibleName(son.texte);
    PlacerLegende();
    Legende.SetVisible(true);
    Annoncer(son.texte);
}

void Cour1p::ArreterNarration() {
    if (!narration_) return;
    narration_ = false;
    SL_MM::Instance().MMC1.Command = QStringLiteral("stop");
    Legende.SetVisible(false);
}

bool Cour1p::NarrationEnCours() const {
    const auto ecoule = static_cast<int32_t>(static_cast<uint32_t>(platform::P().TickCount()) - static_cast<uint32_t>(narrationDebut_));
    return narration_ && ecoule >= 0 && ecoule < narrationMs_;
}

double Cour1p::HauteurLegende() const { return 64 * EchelleY; }

void Cour1p::PlacerLegende() {
    // Under the slide, as wide; over its foot when the screen has no room below it.
    Legende.SetWidth(Picture1.Width());
    Legende.SetHeight(HauteurLegende());
    Legende.Move(Picture1.Left(), std::min(Picture1.Top() + Picture1.Height(), HauteurEcran() - HauteurLegende()));
}

void Cour1p::AnimationScriptee(int16_t page, const content::AnimationScript& animation, int16_t& NbCycles) {
    const bool circuit = animation.genre == content::AnimationScript::Genre::Circuit;
    const int nombre = circuit ? 5 : static_cast<int>(animation.images.size());
    platform::PictureBox& box = Cadre(animation.cadre);
    const auto image = [&](int i) {
        if (circuit) {
            EtapeImage(box, 111 + i);
        } else {
            const QString& fichier = animation.images[static_cast<size_t>(i)];
            box.SetPicture(platform::LoadPicture(Repertoire + fichier), fichier);
        }
    };
    box.SetAutoSize(true);
    box.SetZoom(Picture1.Zoom());
    image(0);
    PlacerSelon(box, animation.place);
    box.SetVisible(true);
    for (;;) {
        if (!PageCourante(page)) return;
        for (int i = 0; i < nombre; ++i) {
            PauseCourte(animation.intervalleMs);
            if (!PageCourante(page)) return;
            image(i);
        }
        if (!animation.photo) continue;
        const content::AnimationScript::Photo& photo = *animation.photo;
        if (NbCycles < photo.apres - 1) {
            ++NbCycles;
        } else if (NbCycles < photo.apres) {
            ++NbCycles;
            platform::PictureBox& cadre = Cadre(photo.cadre);
            cadre.SetAutoSize(true);
            cadre.SetZoom(Picture1.Zoom());
            if (!PageCourante(page)) return;
            cadre.SetPicture(platform::LoadPicture(Repertoire + photo.fichier), photo.fichier);
            PlacerSelon(cadre, photo.place);
            cadre.SetVisible(true);
        }
    }
}
