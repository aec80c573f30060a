// Pages 11 to 13: two pages that bring three photographs in along the slide's right side, then
// the looping circuit animation. All three check NumPage on every pass and before each picture,
// which is what ends a loop that resumes after the learner has gone to another page.

#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "platform/platform.h"

using namespace M_Orvalis2;
using platform::P;

void Cour1p::PagePhotos(int16_t page, const std::function<void(int16_t top)>& photo) {
    DebutBoucle();
    for (;;) {
        if (Interrompre) return;
        if (NumPage != page) return;
        Ceder();
        switch (Compteur) {
            case 1: EtapeDiapo(); break;
            case 10:
            case 20:
            case 30:
                if (NumPage != page) return;
                photo(Compteur);
                break;
            case 40: return;
            default: break;
        }
    }
}

void Cour1p::Page11() {
    PagePhotos(11, [this](int16_t top) {
        switch (top) {
            case 10:
                EtapePhoto(Picture2, QStringLiteral("Img13.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 9 * EchelleX; },
                           [&] { return Picture1.Top() + 10 * EchelleY; });
                break;
            case 20:
                EtapePhoto(Picture3, QStringLiteral("Img14.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - 9 * EchelleX; },
                           [&] { return Picture2.Top() + Picture2.Height() + 12 * EchelleY; });
                break;
            case 30:
                EtapePhoto(Picture4, QStringLiteral("Img15.jpg"),
                           [&] {
                               return Picture1.Left() + Picture1.Width() - Picture3.Width() - Picture4.Width() -
                                      18 * EchelleX;
                           },
                           [&] { return Picture1.Top() + Picture1.Height() - Picture4.Height() - 20 * EchelleY; });
                break;
        }
    });
}

void Cour1p::Page12() {
    PagePhotos(12, [this](int16_t top) {
        switch (top) {
            case 10:
                EtapePhoto(Picture2, QStringLiteral("Img17.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 9 * EchelleX; },
                           [&] { return Picture1.Top() + 10 * EchelleY; });
                break;
            case 20:
                EtapePhoto(Picture3, QStringLiteral("Img16.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - 40 * EchelleX; },
                           [&] { return Picture2.Top() + Picture2.Height() + 30 * EchelleY; });
                break;
            case 30:
                EtapePhoto(Picture4, QStringLiteral("Img18.jpg"),
                           [&] { return Picture3.Left() - Picture4.Width() - 80 * EchelleX; },
                           [&] { return Picture1.Top() + Picture1.Height() - Picture4.Height() - 21 * EchelleY; });
                break;
        }
    });
}

void Cour1p::Page13(int16_t& NbCycles) {
    Label2.SetVisible(false);
    Label3.SetVisible(false);
    DebutBoucle();
    for (;;) {
        if (Interrompre) return;
        if (NumPage != 13) return;
        Ceder();
        switch (Compteur) {
            case 1: EtapeDiapo(); break;
            case 10:
                if (NumPage != 13) return;
                // The animation keeps control until the page changes.
                AnimationCircuit(NbCycles);
                return;
            case 20: return;
            default: break;
        }
    }
}

void Cour1p::AnimationCircuit(int16_t& NbCycles) {
    Picture2.SetAutoSize(true);
    EtapeImage(Picture2, 111);
    Picture2.Move(Picture1.Left() + Picture1.Width() - Picture2.Width() - 30 * EchelleX, Picture1.Top() + 10 * EchelleY);
    Picture2.SetVisible(true);
    for (;;) {
        if (!PageCourante(13)) return;
        for (int n = 111; n <= 115; ++n) {
            PauseCourte(250);
            if (!PageCourante(13)) return;
            EtapeImage(Picture2, n);
        }
        if (NbCycles < 9) {
            ++NbCycles;
        } else if (NbCycles < 10) {
            ++NbCycles;
            Picture3.SetAutoSize(true);
            if (!PageCourante(13)) return;
            Picture3.SetPicture(platform::LoadPicture(Repertoire + QStringLiteral("Img19.jpg")),
                                QStringLiteral("Img19.jpg"));
            Picture3.Move(Picture1.Left() + Picture1.Width() - Picture3.Width() - 80 * EchelleX,
                          Picture2.Top() + Picture2.Height() + 13 * EchelleY);
            Picture3.SetVisible(true);
        }
    }
}
