#include "about/apropos.h"

#include "content/course_identity.h"
#include "course_window/texte_parle.h"
#include "platform/platform.h"
#include "resources/media.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

using platform::P;
using platform::UiFont;

namespace {

Apropos* g_instance = nullptr;

const QString kDescription = QStringLiteral("Ce cours d'électricité fera partie du logiciel TESSARIN 2");

struct Position {
    double left, top, width, height;
};

// The publisher's logo, decoded once: the window is loaded anew at every click on the course's logo.
const QImage& LogoKorvane() {
    static const QImage logo(QString::fromLatin1(resources::kKorvaneLogo));
    return logo;
}

void Placer(platform::Control& c, const Position& p) {
    c.Move(p.left, p.top);
    c.Resize(p.width, p.height);
}

void Ligne(platform::Label& label, const Position& p, const QString& texte, bool gras = false) {
    label.SetFont(UiFont(9.75, gras));
    Placer(label, p);
    label.SetCaption(texte);
    label.SetAutoSize(true);
}

}  // namespace

Apropos::Apropos()
    : Form(QStringLiteral("Apropos")),
      picIcon(&Form, QStringLiteral("picIcon")),
      Label1(&Form, QStringLiteral("Label1")),
      Label2(&Form, QStringLiteral("Label2")),
      Label3(&Form, QStringLiteral("Label3")),
      Label4(&Form, QStringLiteral("Label4")),
      Label5(&Form, QStringLiteral("Label5")),
      Label6(&Form, QStringLiteral("Label6")),
      Label7(&Form, QStringLiteral("Label7")),
      lblTitle(&Form, QStringLiteral("lblTitle")),
      lblVersion(&Form, QStringLiteral("lblVersion")),
      lblDescription(&Form, QStringLiteral("lblDescription")),
      lblDisclaimer(&Form, QStringLiteral("lblDisclaimer")),
      cmdOK(&Form, QStringLiteral("cmdOK")) {
    Form.SetWidth(6030);
    Form.SetHeight(2790);
    Form.SetFixedDialog();
    Form.SetIcon(QPixmap(QString::fromLatin1(resources::kIcon32)));
    Form.SetBackColor(QColor(240, 240, 240));

    Placer(picIcon, {120, 120, 2730, 720});
    picIcon.SetBackColor(QColor(240, 240, 240));
    picIcon.SetPicture(platform::Picture::FromImage(LogoKorvane(), P().TwipsPerPixelX(), P().TwipsPerPixelY()),
                       QStringLiteral("korvane"));

    Ligne(Label1, {120, 960, 1080, 240}, QStringLiteral("KORVANE"), true);
    Ligne(Label2, {120, 1200, 2550, 240}, QStringLiteral("14, rue des Tanneurs"));
    Ligne(Label3, {120, 1440, 2370, 240}, QStringLiteral("67000 Strasbourg - France"));
    Ligne(Label4, {120, 1680, 1830, 240}, QStringLiteral("Tél. : 01 99 00 41 20"));
    Ligne(Label5, {120, 1920, 1815, 240}, QStringLiteral("Fax : 01 99 00 41 21"));
    Ligne(Label6, {120, 2160, 1635, 240}, QStringLiteral("contact@korvane.fr"));
    Ligne(Label7, {120, 2400, 1560, 240}, content::kSiteWeb);

    lblTitle.SetFont(UiFont(12, true));
    Placer(lblTitle, {3195, 240, 2565, 300});
    lblTitle.SetCaption(content::kTitre);
    lblTitle.SetAutoSize(true);

    Ligne(lblVersion, {3195, 540, 690, 240}, QString());

    lblDescription.SetFont(UiFont(9.75));
    Placer(lblDescription, {3195, 1005, 2655, 240});
    lblDescription.SetWordWrap(true);
    lblDescription.SetAutoSize(true);

    Ligne(lblDisclaimer, {3195, 1905, 1725, 240}, QStringLiteral("© 2026 KORVANE"));

    Placer(cmdOK, {4485, 2265, 1260, 345});
    cmdOK.SetFont(UiFont(9.75));
    cmdOK.SetCaption(QStringLiteral("OK"));
    cmdOK.OnClick = [this] { cmdOK_Click(); };

    // cmdOK is both the default and the cancel button.
    Form.OnKey = [this](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) cmdOK.Click();
    };
    Form.OnClose = [this] { Decharger(); };
}

Apropos::~Apropos() = default;

Apropos* Apropos::Instance() { return g_instance; }

void Apropos::Afficher(int seance, const QString& titre) {
    const bool ouverture = !g_instance;
    if (ouverture) {
        g_instance = new Apropos();
        g_instance->Form_Load();
    }
    g_instance->Nommer(seance, titre);
    g_instance->Form.Show();
    if (ouverture) g_instance->AnnoncerTextes();
}

void Apropos::AnnoncerTextes() {
    // The course first, then its publisher, as a screen reader would best hear them.
    QStringList textes;
    for (const platform::Label* l : {&lblTitle, &lblVersion, &lblDescription, &lblDisclaimer, &Label1, &Label2,
                                     &Label3, &Label4, &Label5, &Label6, &Label7}) {
        const QString ligne = l->Caption().trimmed();
        textes << (ligne.endsWith(u'.') ? ligne : ligne + u'.');
    }
    Form.Announce(TexteParle(textes.join(u' ')));
}

void Apropos::Form_Load() {
    Form.SetCaption(QStringLiteral("À propos de KORVANE"));
    lblVersion.SetCaption(QStringLiteral("Version %1.%2.%3")
                              .arg(SEANCE_VERSION_MAJOR)
                              .arg(SEANCE_VERSION_MINOR)
                              .arg(SEANCE_VERSION_PATCH));
    lblDescription.SetCaption(kDescription + QStringLiteral("   (séance 1)"));
}

void Apropos::Nommer(int seance, const QString& titre) {
    // Séance 1's window says what it always said; another séance its own number and title; the
    // course's menu the course.
    if (seance >= 1) {
        lblTitle.SetCaption(seance == 1 ? content::kTitre : content::NomSeance(seance, titre));
        lblDescription.SetCaption(kDescription + QStringLiteral("   (séance %1)").arg(seance));
    } else {
        lblTitle.SetCaption(titre.isEmpty() ? content::kTitre : titre);
        lblDescription.SetCaption(kDescription);
    }
}

void Apropos::cmdOK_Click() { Decharger(); }

void Apropos::Decharger() {
    if (g_instance != this) return;
    g_instance = nullptr;
    Form.Hide();
    // The button or key event that got here is still running on these widgets.
    QTimer::singleShot(0, QCoreApplication::instance(), [this] { delete this; });
}
