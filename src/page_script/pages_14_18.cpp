// Pages 14 to 18: the direct/alternating current strips, then four slides before the evaluation.

#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "platform/platform.h"

using namespace M_Orvalis2;
using platform::P;

void Cour1p::Page14() {
    DebutBoucle();
    for (;;) {
        if (Interrompre || NumPage != 14) return;
        Ceder();
        switch (Compteur) {
            case 1: EtapeDiapo(); break;
            case 11:
                if (NumPage != 14) return;
                MiseEnPlaceBandes();
                AnimCourantAlternatif();
                break;
            case 20: return;
            default: break;
        }
    }
}

void Cour1p::MiseEnPlaceBandes() {
    Picture2.SetAutoSize(true);
    EtapeImage(Picture2, 116);
    Picture2.Move(Picture1.Left() + Picture1.Width() - Picture2.Width() - 52 * EchelleX,
                  Picture1.Top() + 120 * EchelleY);
    Picture2.SetVisible(true);

    // The captions live inside the slide but are placed against the strips, which lie on the
    // window: with the slide's origin at its own position, both speak window coordinates.
    Picture1.SetScaleLeft(Picture1.Left());
    Picture1.SetScaleTop(Picture1.Top());

    Label2.SetCaption(QStringLiteral("Courant continu"));
    Label2.Move(Picture2.Left() + 45 * EchelleX, Picture2.Top() + Picture2.Height() + 2 * EchelleY);
    Label2.SetVisible(true);

    Picture3.SetAutoSize(true);
    EtapeImage(Picture3, 116);
    Picture3.Move(Picture2.Left(), Label2.Top() + Label2.Height() + 150 * EchelleY);

    Label3.SetWordWrap(false);
    Label3.SetCaption(QStringLiteral("Courant alternatif"));
    Label3.Move(Label2.Left(), Picture3.Top() + Picture3.Height() + 2 * EchelleY);
}

void Cour1p::Page15() {
    Label2.SetVisible(false);
    Label3.SetVisible(false);
    Label3.SetWordWrap(true);
    BouclePage(20, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page16() {
    DebutBoucle();
    for (;;) {
        if (Interrompre) return;
        Ceder();
        switch (Compteur) {
            case 1: EtapeDiapo(); break;
            case 7:
                if (NumPage != 16) return;
                EtapePhoto(Picture2, QStringLiteral("Img20.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 165 * EchelleX; },
                           [&] { return Picture1.Top() + 46 * EchelleY; });
                break;
            case 20: return;
            default: break;
        }
    }
}

void Cour1p::Page17() {
    BouclePage(10, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page18() {
    BouclePage(10, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
    // The evaluation that follows starts from its first question, whichever way the loop ended.
    NumQuestion = 1;
}
