#include "slides.h"

#include "photos.h"

#include <QtMath>
#include <cmath>

namespace demo {

namespace {

// Colours of the course.
const QColor kBackground(250, 249, 243);
const QColor kInk(25, 35, 70);
const QColor kTitle(22, 52, 128);
const QColor kAccent(214, 110, 24);
const QColor kMuted(110, 115, 130);
const QColor kMinus(40, 110, 210);   // electrons, negative charges
const QColor kPlus(205, 45, 40);     // protons, positive charges
const QColor kNeutral(150, 150, 150);  // neutrons
const QColor kCopper(196, 110, 50);
const QColor kWire(60, 60, 60);

TextStyle Body(double px = 21) {
    TextStyle s;
    s.px = px;
    s.color = kInk;
    return s;
}

TextStyle Bold(double px, QColor color = kInk) {
    TextStyle s;
    s.px = px;
    s.bold = true;
    s.color = color;
    return s;
}

TextStyle Small(QColor color = kMuted) {
    TextStyle s;
    s.px = 15;
    s.color = color;
    return s;
}

// French typography: a non-breaking space before : ; ? ! and inside « », so that no line
// starts with a colon or a closing quote.
QString Fr(const char* utf8) {
    QString s = QString::fromUtf8(utf8);
    const QChar nbsp(0x00A0);
    s.replace(QStringLiteral(" :"), QString(nbsp) + QLatin1Char(':'));
    s.replace(QStringLiteral(" ;"), QString(nbsp) + QLatin1Char(';'));
    s.replace(QStringLiteral(" ?"), QString(nbsp) + QLatin1Char('?'));
    s.replace(QStringLiteral(" !"), QString(nbsp) + QLatin1Char('!'));
    s.replace(QStringLiteral("« "), QStringLiteral("«") + nbsp);
    s.replace(QStringLiteral(" »"), QString(nbsp) + QStringLiteral("»"));
    return s;
}

void Background(Canvas& c) {
    c.SetPen(QColor(), 0);
    c.SetBrush(kBackground);
    c.Rect(QRectF(0, 0, kSlideWidth, kSlideHeight));
    c.SetBrush(kTitle);
    c.Rect(QRectF(0, 0, 12, kSlideHeight));
}

// Title, with an orange rule under it as far as the page leaves room.
void Title(Canvas& c, const char* text, double ruleEnd) {
    Line(c, 40, 26, Fr(text), Bold(34, kTitle));
    c.SetPen(QColor(), 0);
    c.SetBrush(kAccent);
    c.Rect(QRectF(40, 76, ruleEnd - 40, 4));
}

void Footer(Canvas& c, int page) {
    Line(c, 40, 738, Fr("Séance 1 · page %1").arg(page), Small());
}

void Frame(Canvas& c, int page, const char* title, double ruleEnd) {
    Background(c);
    Title(c, title, ruleEnd);
    Footer(c, page);
}

// A charged particle: a disc with its sign.
void Particle(Canvas& c, QPointF at, double r, const QColor& fill, const QString& sign) {
    c.SetPen(fill.darker(140), 1.5);
    c.SetBrush(fill);
    c.Ellipse(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
    if (sign.isEmpty()) return;
    TextStyle s = Bold(std::round(r * 1.5), Qt::white);
    Line(c, at.x(), at.y() - LineHeight(s) / 2, sign, s, Align::Center);
}

QString Minus() { return QString(QChar(0x2212)); }

// A nucleus of protons and neutrons with electrons on one or two orbits.
void Atom(Canvas& c, QPointF centre, double orbit, int inner, int outer) {
    c.SetBrush(QColor());
    c.SetPen(kMuted, 1.5);
    c.Ellipse(QRectF(centre.x() - orbit, centre.y() - orbit, 2 * orbit, 2 * orbit));
    if (outer > 0) {
        const double o2 = orbit * 1.6;
        c.Ellipse(QRectF(centre.x() - o2, centre.y() - o2, 2 * o2, 2 * o2));
        for (int i = 0; i < outer; ++i) {
            const double a = 2 * M_PI * i / outer + 0.4;
            Particle(c, centre + QPointF(std::cos(a), std::sin(a)) * o2, 9, kMinus, Minus());
        }
    }
    const QPointF nucleus[] = {{-8, -7}, {8, -6}, {0, 8}, {-10, 7}, {10, 8}, {0, -12}};
    for (int i = 0; i < 6; ++i)
        Particle(c, centre + nucleus[i], 8, i % 2 ? kNeutral : kPlus, i % 2 ? QString() : QStringLiteral("+"));
    for (int i = 0; i < inner; ++i) {
        const double a = 2 * M_PI * i / inner - 0.3;
        Particle(c, centre + QPointF(std::cos(a), std::sin(a)) * orbit, 9, kMinus, Minus());
    }
}

// A cell seen as a diagram: long thin plate (+) and short thick plate (−).
void CellSymbol(Canvas& c, QPointF centre, double scale = 1) {
    c.SetPen(kWire, 3 * scale);
    c.Polyline(QPolygonF({centre + QPointF(-40, 0) * scale, centre + QPointF(-8, 0) * scale}));
    c.Polyline(QPolygonF({centre + QPointF(8, 0) * scale, centre + QPointF(40, 0) * scale}));
    c.SetPen(kWire, 3 * scale);
    c.Polyline(QPolygonF({centre + QPointF(-8, -26) * scale, centre + QPointF(-8, 26) * scale}));
    c.SetPen(kWire, 8 * scale);
    c.Polyline(QPolygonF({centre + QPointF(8, -13) * scale, centre + QPointF(8, 13) * scale}));
    Line(c, centre.x() - 22 * scale, centre.y() - 52 * scale, QStringLiteral("+"), Bold(20 * scale, kPlus), Align::Center);
    Line(c, centre.x() + 22 * scale, centre.y() - 52 * scale, Minus(), Bold(20 * scale, kMinus), Align::Center);
}

// A lamp: a circle with a cross.
void LampSymbol(Canvas& c, QPointF centre, double r, bool lit) {
    if (lit) {
        c.SetPen(QColor(), 0);
        c.SetBrush(QColor(255, 236, 140));
        c.Ellipse(QRectF(centre.x() - r * 1.6, centre.y() - r * 1.6, r * 3.2, r * 3.2));
    }
    c.SetPen(kWire, 3);
    c.SetBrush(kBackground);
    c.Ellipse(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r));
    const double d = r * 0.7071;
    c.Polyline(QPolygonF({centre + QPointF(-d, -d), centre + QPointF(d, d)}));
    c.Polyline(QPolygonF({centre + QPointF(-d, d), centre + QPointF(d, -d)}));
}

// A measuring instrument: a circle with its letter.
void MeterSymbol(Canvas& c, QPointF centre, const QString& letter) {
    c.SetPen(kWire, 3);
    c.SetBrush(Qt::white);
    c.Ellipse(QRectF(centre.x() - 22, centre.y() - 22, 44, 44));
    TextStyle s = Bold(24, kTitle);
    Line(c, centre.x(), centre.y() - LineHeight(s) / 2, letter, s, Align::Center);
}

void Wire(Canvas& c, const QPolygonF& path) {
    c.SetPen(kWire, 3);
    c.SetBrush(QColor());
    c.Polyline(path);
}

void Box(Canvas& c, const QRectF& r, const QColor& fill, const QColor& border) {
    c.SetPen(border, 2);
    c.SetBrush(fill);
    c.Rect(r);
}

// ----------------------------------------------------------------------------------------------

void Page0(Canvas& c) {
    Background(c);
    c.SetPen(QColor(), 0);
    c.SetBrush(kTitle);
    c.Rect(QRectF(0, 0, kSlideWidth, 250));
    c.SetBrush(kAccent);
    c.Rect(QRectF(0, 250, kSlideWidth, 6));
    Line(c, 512, 60, Fr("Cours d'électricité"), Bold(52, Qt::white), Align::Center);
    Line(c, 512, 140, Fr("Séance 1 : les bases"), Bold(34, QColor(255, 214, 150)), Align::Center);
    c.Bitmap(QRectF(432, 290, 160, 160), EmblemBitmap());
    Line(c, 512, 480, Fr("De l'atome au circuit électrique"), Bold(28, kTitle), Align::Center);
    Line(c, 512, 530, Fr("La matière et l'atome · les charges · le courant · la tension · l'intensité"),
         Body(20), Align::Center);
    Line(c, 512, 566, Fr("Une évaluation de vingt questions clôt la séance."), Body(20), Align::Center);
    Line(c, 512, 716, Fr("Passez d'une page à l'autre avec les flèches, en haut à droite de l'écran."),
         Small(), Align::Center);
}

void Page1(Canvas& c) {
    Frame(c, 1, "La matière", 740);
    double y = 104;
    TextStyle b = Body();
    y = Paragraph(c, 40, y, 700, Fr("Tout ce qui nous entoure est de la matière : l'eau, l'air, le bois, le cuivre…"), b) + 12;
    y = Bullet(c, 40, y, 700,
               Fr("Divisons une goutte d'eau de plus en plus finement : la plus petite partie qui soit "
                  "encore de l'eau s'appelle la molécule."), b) + 8;
    y = Bullet(c, 40, y, 700,
               Fr("Une molécule est la combinaison de deux atomes ou plus. La molécule d'eau réunit deux "
                  "atomes d'hydrogène (H) et un atome d'oxygène (O) : H2O."), b) + 8;
    y = Bullet(c, 40, y, 700,
               Fr("L'atome est la plus petite particule qu'on puisse obtenir en divisant un élément "
                  "(le cuivre, le fer, l'oxygène…)."), b) + 8;

    // Drop -> molecule -> atom, across the bottom left.
    const double cy = 660;
    c.SetPen(QColor(60, 120, 200), 2);
    c.SetBrush(QColor(150, 200, 250));
    c.Polygon(QPolygonF({{80, cy - 45}, {105, cy - 5}, {110, cy + 15}, {100, cy + 35}, {80, cy + 42},
                         {60, cy + 35}, {50, cy + 15}, {55, cy - 5}}));
    Line(c, 80, cy + 52, Fr("goutte"), Small(kInk), Align::Center);
    Arrow(c, {130, cy}, {185, cy}, kAccent);
    Particle(c, {250, cy}, 26, kPlus, QStringLiteral("O"));
    Particle(c, {222, cy - 24}, 15, QColor(90, 150, 230), QStringLiteral("H"));
    Particle(c, {278, cy - 24}, 15, QColor(90, 150, 230), QStringLiteral("H"));
    Line(c, 250, cy + 52, Fr("molécule"), Small(kInk), Align::Center);
    Arrow(c, {305, cy}, {360, cy}, kAccent);
    Particle(c, {420, cy}, 30, kPlus, QStringLiteral("O"));
    Line(c, 420, cy + 52, Fr("atome"), Small(kInk), Align::Center);
}

void Page2(Canvas& c) {
    Frame(c, 2, "L'atome", 620);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 580,
               Fr("Au centre, le noyau : la partie lourde, inerte et électriquement positive de l'atome."), b) + 8;
    y = Bullet(c, 40, y, 580,
               Fr("Le noyau contient des protons, chargés positivement (+), et des neutrons, "
                  "sans charge électrique."), b) + 8;
    y = Bullet(c, 40, y, 580,
               Fr("Autour du noyau tournent les électrons : des particules minuscules, électriquement "
                  "négatives (−), qui n'ont pratiquement pas de masse."), b) + 8;
    y = Bullet(c, 40, y, 580,
               Fr("Un atome complet a autant d'électrons que de protons : il est électriquement neutre."), b);

    // Legend of the particles, bottom left.
    const double ly = 530;
    Particle(c, {60, ly}, 11, kPlus, QStringLiteral("+"));
    Line(c, 80, ly - 12, Fr("proton"), Body(19));
    Particle(c, {60, ly + 40}, 11, kNeutral, QString());
    Line(c, 80, ly + 28, Fr("neutron"), Body(19));
    Particle(c, {60, ly + 80}, 11, kMinus, Minus());
    Line(c, 80, ly + 68, Fr("électron"), Body(19));
    Atom(c, {340, 610}, 62, 6, 0);
    Line(c, 340, 690, Fr("noyau et électrons"), Small(kInk), Align::Center);
}

void Page3(Canvas& c) {
    Frame(c, 3, "Les électrons libres", 700);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 660,
               Fr("Les électrons de la couche extérieure d'un atome sont peu retenus par son noyau."), b) + 8;
    y = Bullet(c, 40, y, 660,
               Fr("Dans un métal comme le cuivre, certains électrons quittent leur atome et passent "
                  "d'un atome à l'autre : ce sont les électrons libres."), b) + 8;
    y = Bullet(c, 40, y, 660,
               Fr("Quand les électrons libres se déplacent tous dans le même sens, ils donnent naissance "
                  "à de l'électricité."), b);

    // A piece of copper: a lattice of atoms with electrons wandering between them.
    const QRectF metal(40, 480, 940, 220);
    Box(c, metal, QColor(250, 226, 200), kCopper);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 12; ++col)
            Particle(c, {95.0 + col * 78, 525.0 + row * 65}, 17, kCopper, QStringLiteral("+"));
    const QPointF free[] = {{135, 555}, {290, 590}, {450, 548}, {600, 610}, {760, 560},
                            {905, 600}, {210, 630}, {530, 655}, {840, 650}};
    for (const QPointF& p : free) Particle(c, p, 8, kMinus, Minus());
    Line(c, 40, 706, Fr("Dans le cuivre : atomes fixes (+) et électrons libres (−) qui circulent entre eux."),
         Small(kInk));
}

void Generic(Canvas& c, int page) {
    Frame(c, page, "Électricité", 560);
}

}  // namespace

void DrawSlide(int page, Canvas& c) {
    switch (page) {
    case 0: Page0(c); break;
    case 1: Page1(c); break;
    case 2: Page2(c); break;
    case 3: Page3(c); break;
    default: Generic(c, page); break;
    }
}

}  // namespace demo
