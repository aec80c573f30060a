// The closing page (séance 1's page 20), reached from the last validation. No slide, no loop.

#include "content/course_identity.h"
#include "course_window/cour1p.h"

void Cour1p::PageCloture(const QString& texte) {
    B_Valider.SetVisible(false);
    for (int i = 0; i < 4; ++i) Option1(i).SetVisible(false);
    Label3.SetVisible(false);

    Label2.SetAutoSize(true);
    Label2.SetWordWrap(true);
    Label2.SetWidth(550 * EchelleX);
    Label2.SetCaption(texte);
    Label2.Move((Picture1.Width() - Label2.Width()) / 2, 140 * EchelleY);
    Label2.SetVisible(true);

    Label6.SetCaption(content::kSiteWeb);  // the publisher's web address, as in the About window
    Label6.Move((Picture1.Width() - Label6.Width()) / 2, Label2.Top() + Label2.Height() + 40 * EchelleY);
    Label6.SetVisible(true);

    if (DansUnCours()) MontrerSuiteCours();
}
