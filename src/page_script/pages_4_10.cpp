// Pages 4 to 10: slides of the middle of the lesson; page 9 adds two photographs. Pages 9 and 10
// act before they yield, so after a navigation they test Interrompre before acting again.

#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "platform/platform.h"

using namespace M_Orvalis2;
using platform::P;

void Cour1p::Page4() {
    BouclePage(40, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page5() {
    BouclePage(40, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page6() {
    BouclePage(40, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page7() {
    BouclePage(40, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page8() {
    BouclePage(10, [this](int16_t top) {
        if (top == 1) EtapeDiapo();
    });
}

void Cour1p::Page9() {
    MisEnPage();
    DebutBoucle();
    for (;;) {
        if (Interrompre) return;
        switch (Compteur) {
            case 1: EtapeDiapo(); break;
            case 10:
                // A loop resumed here after a neighbour's run must not put its photograph over that page.
                if (NumPage != 9) return;
                EtapePhoto(Picture2, QStringLiteral("Img11.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 300; },
                           [&] { return Picture1.Top() + Picture2.Height() - 1000; });
                break;
            case 20:
                EtapePhoto(Picture3, QStringLiteral("Img12.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - 274 * EchelleX; },
                           [&] { return Picture1.Top() + Picture1.Height() - Picture3.Height() - 2 * EchelleY; });
                break;
            case 30: return;
            default: break;
        }
        Ceder();
    }
}

void Cour1p::Page10() {
    MisEnPage();
    DebutBoucle();
    for (;;) {
        if (Interrompre) return;
        if (Compteur == 1) {
            EtapeDiapo();
            Ceder();
        } else if (Compteur == 10) {
            return;
        } else {
            Ceder();
        }
    }
}
