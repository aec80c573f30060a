#include "course/menu_cours.h"

#include "about/apropos.h"
#include "content/bareme.h"
#include "course_window/cour1p.h"
#include "course_window/texte_parle.h"
#include "platform/platform.h"
#include "resources/media.h"

#include <QLocale>
#include <QPixmap>
#include <algorithm>

using platform::P;
using platform::UiFont;

namespace cours {

namespace {
// The lesson's colours: its window, its slides' background, its titles.
const QColor kFond(128, 128, 255);
const QColor kFondDiapo(227, 228, 234);
const QColor kRougeFonce(192, 0, 0);
// Pixels: the focused entry's frame, dark red on white and on the slide's grey (over 5:1 on both).
constexpr int kCadreFocus = 5;

}  // namespace

// The learner's French, whatever the system's language.
QString Nombre(double valeur) { return QLocale(QLocale::French, QLocale::France).toString(valeur, 'g', 6); }

namespace {
QString Note(double note) { return Nombre(content::Affichee(note)) + QStringLiteral("/20"); }
}  // namespace

QString TexteEtat(const EntreeMenu& e) {
    if (!e.seance.Disponible()) return QStringLiteral("Indisponible : ") + e.seance.indisponible;
    const QString note = e.etat.meilleure ? QStringLiteral("Meilleure note : ") + Note(*e.etat.meilleure)
                                          : QStringLiteral("Pas encore de note");
    QString etat;
    if (!e.ouverte)
        etat = QStringLiteral("pas encore ouverte : ") + e.condition + QStringLiteral(" l'ouvre");
    else if (e.etat.reussie)
        etat = QStringLiteral("réussie");
    else
        etat = QStringLiteral("à faire");
    return note + QStringLiteral(" — ") + etat;
}

MenuCours::MenuCours()
    : Form(QStringLiteral("MenuCours")),
      B_Fermer(&Form, QStringLiteral("B_Fermer")),
      Picture5(&Form, QStringLiteral("Picture5")),
      Image1(&Picture5, QStringLiteral("Image1")),
      Panneau(&Form, QStringLiteral("Panneau")),
      Titre(&Panneau, QStringLiteral("Titre")),
      Progres(&Panneau, QStringLiteral("Progres")),
      Avis(&Panneau, QStringLiteral("Avis")) {
    Form.SetBorderless();
    Form.SetCaption(QStringLiteral("Form1"));
    Form.SetAccessibleName(QStringLiteral("Menu du cours"));
    Form.SetBackColor(kFond);
    Form.SetIcon(QPixmap(QString::fromLatin1(resources::kIcon32)));

    B_Fermer.SetCaption(QStringLiteral("Fermer"));
    B_Fermer.SetFont(UiFont(9.75));
    B_Fermer.SetWidth(735);
    B_Fermer.SetHeight(420);
    B_Fermer.SetAccessibleName(QStringLiteral("Fermer"));
    B_Fermer.SetAccessibleDescription(QStringLiteral("Termine le cours"));
    B_Fermer.OnClick = [this] {
        if (OnFermer) OnFermer();
    };

    Picture5.SetBackColor(Qt::white);
    Picture5.SetAccessibleName(QStringLiteral("Logo"));
    PreparerLogo(Image1);
    Image1.SetAccessibleName(QStringLiteral("À propos"));
    Image1.SetAccessibleDescription(QStringLiteral("Ouvre la fenêtre À propos"));
    Image1.OnClick = [this] { Apropos::Afficher(0, titreCours_); };

    Panneau.SetBackColor(kFondDiapo);
    Panneau.SetAccessibleName(QStringLiteral("Séances"));
    Titre.SetForeColor(kRougeFonce);
    Titre.SetFont(UiFont(13.5, true));
    Titre.SetAutoSize(true);
    Progres.SetFont(UiFont(12));
    Progres.SetAutoSize(true);
    Avis.SetFont(UiFont(12, true));
    Avis.SetForeColor(kRougeFonce);
    Avis.SetWordWrap(true);
    Avis.SetAlignment(Qt::AlignCenter);

    Form.OnKeyPreview = [this](int key) { return Form_KeyPreview(key); };
    Form.TabOrder = [this] {
        std::vector<platform::Control*> ordre;
        for (auto& e : Entrees) ordre.push_back(e.get());
        ordre.push_back(&B_Fermer);
        ordre.push_back(&Image1);
        return ordre;
    };
}

MenuCours::~MenuCours() = default;

void MenuCours::Montrer(const std::vector<EntreeMenu>& entrees, const QString& titreCours) {
    entrees_ = entrees;
    titreCours_ = titreCours;
    Titre.SetCaption(titreCours.isEmpty() ? QStringLiteral("Choisissez une séance")
                                          : titreCours + QStringLiteral(" : choisissez une séance"));
    const double ex = P().TwipsPerPixelX(), ey = P().TwipsPerPixelY();
    const double largeur = P().ScreenSizePixels().width() * ex, hauteur = P().ScreenSizePixels().height() * ey;
    Form.SetWidth(largeur);
    Form.SetHeight(hauteur);

    // The lesson's top bar: Fermer, then the logo beside it.
    B_Fermer.Move(3 * ex, 3 * ey);
    Picture5.Move(B_Fermer.Left() + B_Fermer.Width(), B_Fermer.Top());
    Picture5.Resize(Image1.Width(), B_Fermer.Height());

    // The entries on a panel the size of a slide, centred as the lesson centres its slides.
    const double marge = 20 * ey;
    Panneau.SetHeight(hauteur - 55 * ey);
    Panneau.SetWidth(std::min(largeur - 6 * ex, Panneau.Height() * 4 / 3));
    Panneau.Move((largeur - Panneau.Width()) / 2, (hauteur - Panneau.Height()) / 2);
    Titre.Move((Panneau.Width() - Titre.Width()) / 2, marge);
    const auto reussies = std::count_if(entrees_.begin(), entrees_.end(), [](const EntreeMenu& e) { return e.etat.reussie; });
    Progres.SetCaption(QStringLiteral("Séances réussies : %1 sur %2").arg(reussies).arg(entrees_.size()));
    Progres.Move((Panneau.Width() - Progres.Width()) / 2, Titre.Top() + Titre.Height() + 6 * ey);
    Avis.SetVisible(false);
    Avis.Resize(Panneau.Width() - 2 * marge, 60 * ey);
    Avis.Move(marge, Panneau.Height() - marge - Avis.Height());

    Entrees.clear();
    const double haut = Progres.Top() + Progres.Height() + marge;
    const double n = std::max<double>(1, double(entrees_.size()));
    const double pas = std::min(80 * ey, (Avis.Top() - haut - marge) / n);
    for (size_t i = 0; i < entrees_.size(); ++i) {
        const EntreeMenu& e = entrees_[i];
        auto bouton = std::make_unique<platform::CommandButton>(&Panneau, QStringLiteral("Entree%1").arg(e.seance.numero));
        const QString nom = QStringLiteral("Séance %1 : %2").arg(e.seance.numero).arg(e.seance.titre);
        const QString etat = TexteEtat(e);
        bouton->SetFont(UiFont(12, e.Jouable()));
        bouton->SetFocusFrame(Qt::white, kRougeFonce, kCadreFocus);
        bouton->SetCaption(nom + QLatin1Char('\n') + etat);
        bouton->Move(marge, haut + double(i) * pas);
        bouton->Resize(Panneau.Width() - 2 * marge, pas - 10 * ey);
        bouton->SetAccessibleName(TexteParle(nom));
        bouton->SetAccessibleDescription(TexteParle(etat));
        bouton->OnClick = [this, i] { Entree_Click(i); };
        bouton->SetVisible(true);
        Entrees.push_back(std::move(bouton));
    }

    Form.Show();
    // The focus on the next séance to do: the first open one not passed yet, else the first.
    size_t cible = 0;
    for (size_t i = 0; i < entrees_.size(); ++i) {
        if (entrees_[i].Jouable() && !entrees_[i].etat.reussie) {
            cible = i;
            break;
        }
    }
    if (!Entrees.empty()) Entrees[cible]->SetFocus();
}

void MenuCours::Entree_Click(size_t i) {
    if (i >= entrees_.size()) return;
    const EntreeMenu& e = entrees_[i];
    if (!e.Jouable()) {
        // Nothing starts: the learner is told why, on screen and aloud; the entry keeps the focus.
        P().Beep();
        Avis.SetCaption(QStringLiteral("Séance %1 : ").arg(e.seance.numero) + TexteEtat(e));
        Avis.SetVisible(true);
        Form.Announce(TexteParle(Avis.Caption()));
        return;
    }
    if (OnChoix) OnChoix(e.seance.numero);
}

bool MenuCours::Form_KeyPreview(int key) {
    const auto focalisee = std::find_if(Entrees.begin(), Entrees.end(), [](const auto& b) { return b->HasFocus(); });
    const auto n = static_cast<std::ptrdiff_t>(Entrees.size());
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            Avis.SetVisible(false);
            if (n == 0) return true;
            std::ptrdiff_t i = focalisee - Entrees.begin();
            if (focalisee == Entrees.end())
                i = key == Qt::Key_Down ? 0 : n - 1;
            else
                i = (i + (key == Qt::Key_Down ? 1 : n - 1)) % n;
            Entrees[size_t(i)]->SetFocus();
            return true;
        }
        case Qt::Key_Home:
        case Qt::Key_End:
            if (n > 0) Entrees[key == Qt::Key_Home ? 0 : size_t(n - 1)]->SetFocus();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (focalisee != Entrees.end()) {
                Entree_Click(size_t(focalisee - Entrees.begin()));
                return true;
            }
            if (B_Fermer.HasFocus()) B_Fermer.Click();
            if (Image1.HasFocus()) Apropos::Afficher(0, titreCours_);
            return B_Fermer.HasFocus() || Image1.HasFocus();
        case Qt::Key_Escape:
            // An accidental key never ends the course; only Fermer does.
            return true;
        default:
            return false;
    }
}

}  // namespace cours
