#include "course_window/cour1p.h"

#include "about/apropos.h"
#include "content/banque.h"
#include "content/script_seance.h"
#include "content/seance.h"
#include "course_window/m_orvalis2.h"
#include "course_window/observateur_lecon.h"
#include "platform/platform.h"
#include "resources/media.h"

#include <QCursor>
#include <QPalette>
#include <QPixmap>
#include <algorithm>

using namespace M_Orvalis2;
using platform::P;
using platform::UiFont;

namespace {
const QColor kFond(128, 128, 255);
const QColor kFondDiapo(227, 228, 234);
const QColor kRougeFonce(192, 0, 0);
// The system's window colours: a white background with dark text.
QColor SystemWindow() { return QPalette().color(QPalette::Base); }
QColor SystemWindowText() { return QPalette().color(QPalette::Text); }

// A short line with the year, small enough for the notice label's 735 × 255 twips.
const QString kMention = QStringLiteral("© 2026");

const content::Seance& SeanceOuIntegree(const content::Seance* seance) { return seance ? *seance : content::Seance::Integree(); }
}  // namespace

Cour1p::Cour1p(ObservateurLecon* observateur, const content::Seance* seance)
    : Form(QStringLiteral("Cour1p")),
      Picture1(&Form, QStringLiteral("Picture1")),
      Label2(&Picture1, QStringLiteral("Label2")),
      Label3(&Picture1, QStringLiteral("Label3")),
      Label4(&Picture1, QStringLiteral("Label4")),
      Label6(&Picture1, QStringLiteral("Label6")),
      Option1(&Picture1, QStringLiteral("Option1"), 4),
      B_Valider(&Picture1, QStringLiteral("B_Valider")),
      B_Fermer(&Form, QStringLiteral("B_Fermer")),
      Picture2(&Form, QStringLiteral("Picture2")),
      Picture3(&Form, QStringLiteral("Picture3")),
      Picture4(&Form, QStringLiteral("Picture4")),
      Legende(&Form, QStringLiteral("Legende")),
      Picture5(&Form, QStringLiteral("Picture5")),
      Image1(&Picture5, QStringLiteral("Image1")),
      Label9(&Picture5, QStringLiteral("Label9")),
      Picture6(&Form, QStringLiteral("Picture6")),
      B_Pag_P(&Picture6, QStringLiteral("B_Pag_P")),
      Label1(&Picture6, QStringLiteral("Label1")),
      B_Pag_S(&Picture6, QStringLiteral("B_Pag_S")),
      Timer1(QStringLiteral("Timer1")),
      observateur_(observateur),
      banque_(&SeanceOuIntegree(seance).banque),
      script_(&SeanceOuIntegree(seance).script),
      seance_(SeanceOuIntegree(seance).numero),
      titre_(SeanceOuIntegree(seance).titre) {
    for (size_t i = 0; i < script_->pages.size(); ++i) {
        const auto& animation = script_->pages[i].animation;
        if (animation && animation->genre == content::AnimationScript::Genre::Courants) pageCourants_ = int(i);
    }
    Form.SetBorderless();
    Form.SetCaption(QStringLiteral("Form1"));
    Form.SetBackColor(kFond);
    Form.SetIcon(QPixmap(QString::fromLatin1(resources::kIcon32)));
    Form.OnActivate = [this] { Form_Activate(); };

    Picture1.SetBackColor(kFondDiapo);
    Picture1.SetAutoSize(true);

    Label2.SetVisible(false);
    Label2.SetForeColor(kRougeFonce);
    Label2.SetFont(UiFont(13.5, true));
    Label2.SetAutoSize(true);

    Label3.SetVisible(false);
    Label3.SetForeColor(kRougeFonce);
    Label3.SetFont(UiFont(13.5, true));
    Label3.SetWordWrap(true);
    Label3.SetAutoSize(true);

    Label4.SetFont(UiFont(9.75));
    Label4.Move(0, 0);
    Label4.SetWidth(735);
    Label4.SetHeight(255);

    Label6.SetVisible(false);
    Label6.SetFont(UiFont(12, true));
    Label6.SetAutoSize(true);

    for (int i = 0; i < Option1.Count(); ++i) {
        Option1(i).SetVisible(false);
        Option1(i).SetBackColor(kFondDiapo);
        Option1(i).SetFont(UiFont(12));
    }
    Option1.OnClick = [this](int16_t index) { Option1_Click(index); };

    B_Valider.SetCaption(QStringLiteral("Valider"));
    B_Valider.SetVisible(false);
    B_Valider.SetEnabled(false);
    B_Valider.SetFont(UiFont(9.75, true));
    B_Valider.SetWidth(1000);
    B_Valider.SetHeight(375);
    B_Valider.OnClick = [this] { B_Valider_Click(); };

    B_Fermer.SetCaption(QStringLiteral("Fermer"));
    B_Fermer.SetFont(UiFont(9.75));
    B_Fermer.SetWidth(735);
    B_Fermer.SetHeight(420);
    B_Fermer.OnClick = [this] { B_Fermer_Click(); };

    for (platform::PictureBox* box : {&Picture2, &Picture3, &Picture4}) {
        box->SetVisible(false);
        box->SetAutoSize(false);
    }

    Legende.SetVisible(false);
    Legende.SetWordWrap(true);
    Legende.SetAlignment(Qt::AlignCenter);
    Legende.SetFont(UiFont(14));
    Legende.SetOpaque(QColor(32, 32, 48));
    Legende.SetForeColor(Qt::white);

    Picture5.SetBackColor(Qt::white);
    PreparerLogo(Image1);
    Image1.OnClick = [this] { Image1_Click(); };

    Label9.SetVisible(false);
    Label9.SetFont(UiFont(9.75));
    Label9.SetOpaque(SystemWindow());
    Label9.SetForeColor(SystemWindowText());
    Label9.SetTop(50);
    Label9.SetAutoSize(true);

    Picture6.SetBackColor(SystemWindow());
    Picture6.SetWidth(1700);

    B_Pag_P.SetGraphical(QPixmap(QString::fromLatin1(resources::kArrowLeft)), Qt::white);
    B_Pag_P.Move(0, -20);
    B_Pag_P.SetWidth(600);
    B_Pag_P.SetHeight(460);
    B_Pag_P.OnClick = [this] { B_Pag_P_Click(); };

    Label1.SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1.SetFont(UiFont(18, true));
    Label1.SetOpaque(SystemWindow());
    Label1.SetForeColor(SystemWindowText());
    Label1.Move(620, -20);
    Label1.SetWidth(420);
    Label1.SetHeight(435);

    B_Pag_S.SetGraphical(QPixmap(QString::fromLatin1(resources::kArrowRight)), Qt::white);
    B_Pag_S.Move(1100, -20);
    B_Pag_S.SetWidth(600);
    B_Pag_S.SetHeight(460);
    B_Pag_S.OnClick = [this] { B_Pag_S_Click(); };

    Timer1.OnTick = [this] { Timer1_Timer(); };
    Timer1.SetInterval(100);
    Timer1.SetEnabled(true);

    PreparerClavier();
    PreparerLecteurEcran();
}

Cour1p::~Cour1p() = default;

double Cour1p::LargeurEcran() const { return P().ScreenSizePixels().width() * P().TwipsPerPixelX(); }
double Cour1p::HauteurEcran() const { return P().ScreenSizePixels().height() * P().TwipsPerPixelY(); }

void PreparerLogo(platform::Image& logo) {
    logo.Move(0, 0);
    logo.SetWidth(390);
    logo.SetHeight(390);
    logo.SetPicture(QPixmap(QString::fromLatin1(resources::kLogo)));
    logo.SetCursor(QCursor(QPixmap(QString::fromLatin1(resources::kHandCursor)), resources::kHandHotspotX,
                           resources::kHandHotspotY));
}

void Cour1p::Centrer(platform::Control& box) {
    box.Move((LargeurEcran() - box.Width()) / 2, (HauteurEcran() - box.Height()) / 2);
}

bool Cour1p::DiapositivesEcran() const {
    return script_->diapositives == content::ScriptSeance::Diapositives::Ecran;
}

QRectF Cour1p::ZoneDiapo(QSizeF naturelle) const {
    // A séance with narrations keeps the caption band's room under its slides.
    const double largeur = LargeurEcran(), hauteur = HauteurEcran() - (script_->AvecSons() ? HauteurLegende() : 0);
    if (naturelle.isEmpty()) return QRectF(QPointF((largeur - naturelle.width()) / 2, (hauteur - naturelle.height()) / 2), naturelle);
    // Fermer and the logo top left, the page buttons top right, and the gap they keep from the screen's edge.
    const double barre = std::max(B_Fermer.Top() + B_Fermer.Height(), Picture6.Top() + Picture6.Height()) + 3 * EchelleY;
    const double cote = std::max(Picture5.Left() + Picture5.Width(), largeur - Picture6.Left()) + 3 * EchelleX;
    const auto ajuster = [&](const QRectF& zone) {
        if (zone.width() <= 0 || zone.height() <= 0) return QRectF();
        const QSizeF taille = naturelle * std::min(zone.width() / naturelle.width(), zone.height() / naturelle.height());
        return QRectF(zone.center() - QPointF(taille.width() / 2, taille.height() / 2), taille);
    };
    const QRectF dessous = ajuster(QRectF(0, barre, largeur, hauteur - barre));
    const QRectF entre = ajuster(QRectF(cote, 0, largeur - 2 * cote, hauteur));
    return entre.width() > dessous.width() ? entre : dessous;
}

void Cour1p::Form_Load() {
    EchelleX = static_cast<float>(P().TwipsPerPixelX());
    EchelleY = static_cast<float>(P().TwipsPerPixelY());
    Form.SetWidth(LargeurEcran());
    Form.SetHeight(HauteurEcran());
    Picture1.SetHeight(Form.Height() - 55 * EchelleY);
    Picture1.SetWidth(Picture1.Height() * 4 / 3);
    Centrer(Picture1);
    NumPage = 0;
}

void Cour1p::Form_Activate() {
    if (premierFocusFait_) return;
    premierFocusFait_ = true;

    Repertoire = P().CurrentDirectory() + QLatin1Char('/') + content::NomDossierSeance(seance_) + QLatin1Char('/');
    NomDiapo = script_->pages.front().diapositive;
    if (DiapositivesEcran()) MisEnPage();  // the slide is fitted beside the corner controls: they go first
    EtapeDiapo();

    Label4.SetCaption(kMention);
    Label4.SetLeft((Picture1.Width() - Label4.Width()) / 2);
    // Deviation: the top is measured from the top of the slide the label lies in, without adding the
    // slide's top on the screen, which would mix the screen's coordinates with the slide's own and
    // push the notice line down, clipped, on any screen taller than the slide.
    Label4.SetTop(Picture1.Height() - Label4.Height() - 101 * EchelleY);

    Note = 0;
    NumQuestion = 1;
    MisEnPage();
}

void Cour1p::MisEnPage() {
    B_Fermer.Move(3 * EchelleX, 3 * EchelleY);
    Picture6.SetHeight(B_Fermer.Height());
    Picture6.Move((LargeurEcran() - Picture6.Width()) - 3 * EchelleX, B_Fermer.Top());
    Label1.SetCaption(QString::number(NumPage));
    Picture5.SetLeft(B_Fermer.Left() + B_Fermer.Width());
    Picture5.SetTop(B_Fermer.Top());
    Picture5.SetHeight(B_Fermer.Height());
    Picture5.SetWidth(Image1.Width());
}

void Cour1p::B_Pag_P_Click() {
    if (NumPage > 0) ChangerPage(static_cast<int16_t>(NumPage - 1));
}

void Cour1p::B_Pag_S_Click() {
    if (NumPage < PageEvaluation()) ChangerPage(static_cast<int16_t>(NumPage + 1));
}

void Cour1p::ChangerPage(int16_t page) {
    // Deviation: each click runs the new page nested inside the running one, so a learner who keeps
    // clicking would stack page runs until the program runs out of stack. Beyond kProfondeurMax
    // nested runs a click does not nest: it records its page and raises Interrompre; every loop and
    // wait on the stack then leaves at its next test, as if its page had been left, and the
    // outermost run replays the recorded pages in order (each one's entry work and set-up, its
    // loop cut before its first yield, as a click in the same instant would cut it) and shows the
    // newest one in full. Once page 19 is recorded the page buttons count as disabled, as they
    // would be the moment it showed.
    if (!pagesEnAttente_.empty() && pagesEnAttente_.back() == PageEvaluation()) return;
    const bool rafale = !pagesEnAttente_.empty() || profondeur_ >= kProfondeurMax;
    ArreterNarration();  // the page is left: its sound goes with it
    Interrompre = Vrai;
    NumPage = page;
    if (rafale) {
        pagesEnAttente_.push_back(page);
        return;
    }
    AfficherPage();
}

int16_t Cour1p::PageEvaluation() const { return static_cast<int16_t>(script_->PageEvaluation()); }

bool Cour1p::PageCourante(int16_t page) const { return NumPage == page && pagesEnAttente_.empty() && !quittee_; }

void Cour1p::Image1_Click() { Apropos::Afficher(seance_, titre_); }

void Cour1p::B_Fermer_Click() {
    // Deviation: in a course of several séances, Fermer before the closing page leaves the séance for
    // the course's menu rather than ending the program: the learner chooses again there.
    if (cours_ && NumPage <= PageEvaluation()) {
        QuitterSeance(false);
        return;
    }
    Form.Hide();
    if (observateur_) observateur_->LeconFermee();  // before the end: nothing runs after it
    P().EndProgram(0);
}

void Cour1p::Timer1_Timer() {
    // The counter stops at its top value instead of overflowing; no page waits for a tick that high.
    if (Compteur < INT16_MAX) Compteur = static_cast<int16_t>(Compteur + 1);
    // A narration's caption goes when it ends, whether or not its page's run goes on.
    if (narration_ && !NarrationEnCours()) {
        narration_ = false;
        Legende.SetVisible(false);
    }
}

void Cour1p::Ceder(std::optional<int32_t> wakeAt) {
    ++cessions_;
    P().Yield(wakeAt);
}

void Cour1p::FaireUnePause(int32_t& secondes) {
    const QDateTime debut = P().Now();
    // Deviation: rather than testing the clock on every pass of a yield that returns at once, the
    // wait sleeps between events and is woken at the whole second at which it is over, so it ends at
    // the same second without keeping a processor busy for the whole pause.
    const QDateTime fin = debut.addSecs(qint64(secondes) + 1);
    for (;;) {
        const QDateTime maintenant = P().Now();
        if (debut.secsTo(maintenant) > secondes) return;
        // A clock set back meanwhile is looked at again every second.
        const qint64 reste = std::clamp<qint64>(P().MsecsUntil(fin), 1, 1000);
        Ceder(static_cast<int32_t>(static_cast<uint32_t>(P().TickCount()) + static_cast<uint32_t>(reste)));
        if (Interrompre) return;
    }
}

void Cour1p::PauseCourte(int32_t d) {
    const uint64_t cessionsAvant = cessions_;
    TopDepart = P().TickCount();
    for (;;) {
        const int32_t maintenant = P().TickCount();
        // Deviation: the time elapsed since TopDepart is compared, in wrapping arithmetic, rather than
        // the sum TopDepart + d, which overflows near the counter's top and never ends after its wrap.
        const auto ecoule = static_cast<int32_t>(static_cast<uint32_t>(maintenant) - static_cast<uint32_t>(TopDepart));
        if (ecoule >= d || ecoule < 0) break;
        if (Interrompre) break;
        Ceder(static_cast<int32_t>(static_cast<uint32_t>(TopDepart) + static_cast<uint32_t>(d)));
    }
    if (cessions_ != cessionsAvant) return;
    // Deviation: a wait that ends without yielding, right after another that did the same with no
    // yield between them, yields once. Whatever flag a caller's loop fails to test, a loop built on
    // these waits can never spin without handling events, the click on Fermer among them.
    if (attenteSecheA_ == cessions_) Ceder();
    attenteSecheA_ = cessions_;
}

void Cour1p::DansUnCours(SuiteCours suite) {
    cours_ = std::make_unique<SuiteCours>(std::move(suite));
    Form.SetAccessibleName(QStringLiteral("Séance %1").arg(seance_));
    // Made now, in front of the course's controls, so that a séance played alone has none of them.
    B_Menu = std::make_unique<platform::CommandButton>(&Form, QStringLiteral("B_Menu"));
    B_Suivante = std::make_unique<platform::CommandButton>(&Form, QStringLiteral("B_Suivante"));
    B_Menu->SetCaption(QStringLiteral("Retour au menu"));
    B_Menu->SetAccessibleName(QStringLiteral("Retour au menu"));
    B_Menu->SetAccessibleDescription(QStringLiteral("Revient au menu des séances"));
    B_Menu->OnClick = [this] { QuitterSeance(false); };
    B_Suivante->SetCaption(QStringLiteral("Séance suivante"));
    B_Suivante->SetAccessibleName(QStringLiteral("Séance suivante"));
    B_Suivante->SetAccessibleDescription(QStringLiteral("Commence la séance suivante"));
    B_Suivante->OnClick = [this] { QuitterSeance(true); };
    for (platform::CommandButton* b : {B_Menu.get(), B_Suivante.get()}) {
        b->SetFont(UiFont(9.75, true));
        b->SetWidth(1800);
        b->SetHeight(420);
        b->SetVisible(false);
    }
}

void Cour1p::MontrerSuiteCours() {
    // Beside Fermer and the logo (which shows the score by now), on the lesson's top bar.
    B_Menu->Move(Picture5.Left() + Picture5.Width() + 10 * EchelleX, B_Fermer.Top());
    B_Menu->SetHeight(B_Fermer.Height());
    B_Menu->SetVisible(true);
    const bool suivante = cours_->suivanteOuverte && cours_->suivanteOuverte(Note);
    if (suivante) {
        B_Suivante->Move(B_Menu->Left() + B_Menu->Width() + 10 * EchelleX, B_Fermer.Top());
        B_Suivante->SetHeight(B_Fermer.Height());
        B_Suivante->SetVisible(true);
        B_Suivante->SetFocus();
        Annoncer(QStringLiteral("La séance suivante est ouverte : bouton Séance suivante."));
    } else {
        B_Menu->SetFocus();
        Annoncer(QStringLiteral("La séance suivante n'est pas encore ouverte : bouton Retour au menu."));
    }
}

void Cour1p::QuitterSeance(bool suivante) {
    if (quittee_) return;
    quittee_ = true;
    ArreterNarration();
    // As a click storm unwinds: every loop and wait on the stack leaves at its next test, and no page
    // starts any more (AfficherPage, DebutBoucle).
    Interrompre = Vrai;
    Form.Hide();
    if (observateur_) observateur_->LeconFermee();
    cours_->quitter(suivante);
}
