// The two electron strips (séance 1's page 14): the upper one drifts one way for ever (direct
// current), the lower one, shown from the fifth cycle, drifts seven steps forward and seven back
// (alternating current).

#include "course_window/cour1p.h"
#include "platform/platform.h"

#include <array>

namespace {

struct Pas {
    int haut;  // frame of Picture2
    int bas;   // frame of Picture3
};

constexpr std::array<Pas, 14> kCycle{{
    {116, 117}, {117, 118}, {118, 119}, {119, 120}, {120, 121}, {121, 122}, {122, 116},
    {116, 122}, {117, 121}, {118, 120}, {119, 119}, {120, 118}, {121, 117}, {122, 116},
}};

constexpr int32_t kAttente = 230;

}  // namespace

void Cour1p::MiseEnPlaceBandes() {
    // The strips and their captions keep their own size, on any slide.
    Picture2.SetZoom(1);
    Picture3.SetZoom(1);
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

void Cour1p::AnimCourantAlternatif(int16_t page) {
    int16_t cycles = 0;
    for (;;) {
        if (!PageCourante(page)) return;
        if (cycles < 4) {
            ++cycles;
        } else if (cycles < 5) {
            ++cycles;
            Picture3.SetVisible(true);
            Label3.SetVisible(true);
        }
        PauseCourte(kAttente);
        for (size_t i = 0; i < kCycle.size(); ++i) {
            // No yield between this check and the frames, so nothing is drawn over another page.
            if (!PageCourante(page)) return;
            EtapeImage(Picture2, kCycle[i].haut);
            EtapeImage(Picture3, kCycle[i].bas);
            // The last pair is held by the wait that starts the next cycle.
            if (i + 1 < kCycle.size()) PauseCourte(kAttente);
        }
    }
}
