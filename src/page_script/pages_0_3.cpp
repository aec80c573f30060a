// Pages 0 to 3: the title slide, then three slides that bring in their photographs one second apart.

#include "course_window/cour1p.h"

void Cour1p::Page0() {
    EtapeDiapo();
    Label4.SetVisible(true);
}

void Cour1p::Page1() {
    Label4.SetVisible(false);
    BouclePage(40, [this](int16_t top) {
        switch (top) {
            case 1: EtapeDiapo(); break;
            case 10:
                EtapePhoto(Picture2, QStringLiteral("Img1.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 100; },
                           [&] { return Picture1.Top() + 100; });
                break;
            case 20:
                EtapePhoto(Picture3, QStringLiteral("Img2.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - 300; },
                           [&] { return Picture2.Top() + Picture2.Height() + 300; });
                break;
            case 30:
                EtapePhoto(Picture4, QStringLiteral("Img3.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - Picture4.Width() - 600; },
                           [&] { return Picture1.Top() + Picture1.Height() - Picture4.Height() - 120; });
                break;
        }
    });
}

void Cour1p::Page2() {
    BouclePage(40, [this](int16_t top) {
        switch (top) {
            case 1: EtapeDiapo(); break;
            case 10:
                EtapePhoto(Picture2, QStringLiteral("Img6.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 300; },
                           [&] { return Picture1.Top() + 300; });
                break;
            case 20:
                EtapePhoto(Picture3, QStringLiteral("Img7.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - 2700; },
                           [&] { return Picture2.Top() + Picture2.Height() + 1000; });
                break;
            case 30:
                EtapePhoto(Picture4, QStringLiteral("Img8.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - Picture4.Width() - 900; },
                           [&] { return Picture1.Top() + Picture1.Height() - Picture4.Height() - 500; });
                break;
        }
    });
}

void Cour1p::Page3() {
    BouclePage(40, [this](int16_t top) {
        switch (top) {
            case 1: EtapeDiapo(); break;
            case 10:
                EtapePhoto(Picture2, QStringLiteral("Img9.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture2.Width() - 150; },
                           [&] { return Picture1.Top() + 150; });
                break;
            case 20:
                EtapePhoto(Picture3, QStringLiteral("Img10.jpg"),
                           [&] { return Picture1.Left() + Picture1.Width() - Picture3.Width() - 400; },
                           [&] { return Picture2.Top() + Picture2.Height() + 200; });
                break;
        }
    });
}
