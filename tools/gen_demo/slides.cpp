#include "slides.h"

#include "photos.h"
#include "slide_kit.h"

#include <QtMath>
#include <cmath>

namespace demo {

namespace {

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


// ----------------------------------------------------------------------------------------------

void Page0(Canvas& c) {
    TitleBanner(c, Fr("Séance 1 : les bases"));
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

// A round body with a charge written on it and a caption under it.
void ChargedBody(Canvas& c, QPointF at, double r, const QColor& fill, const QString& signs, const QString& caption) {
    c.SetPen(fill.darker(150), 2);
    c.SetBrush(fill);
    c.Ellipse(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
    TextStyle s = Bold(26, Qt::white);
    Line(c, at.x(), at.y() - LineHeight(s) / 2, signs, s, Align::Center);
    Line(c, at.x(), at.y() + r + 8, caption, Body(19), Align::Center);
}

void Page4(Canvas& c) {
    Frame(c, 4, "Les charges électriques", 980);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 940,
               Fr("Un corps qui a autant d'électrons que de protons est électriquement neutre."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Un excès d'électrons dans une matière est appelé charge négative (−)."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Un manque d'électrons donne une charge positive (+) : les protons du noyau ne sont "
                  "plus tous compensés."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Seuls les électrons passent d'un corps à l'autre (par frottement, par contact) ; "
                  "les protons restent dans leurs noyaux."), b);

    ChargedBody(c, {200, 470}, 80, QColor(150, 150, 160), Fr("+ − + −"), Fr("neutre"));
    ChargedBody(c, {512, 470}, 80, kMinus, Fr("− − − −"), Fr("charge négative"));
    ChargedBody(c, {824, 470}, 80, kPlus, Fr("+ + + +"), Fr("charge positive"));
    Line(c, 512, 620, Fr("excès d'électrons → charge négative ; manque d'électrons → charge positive"),
         Bold(20, kTitle), Align::Center);
}

void Page5(Canvas& c) {
    Frame(c, 5, "Attraction et répulsion", 980);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 940, Fr("Deux charges de même signe que l'on approche se repoussent."), b) + 8;
    y = Bullet(c, 40, y, 940, Fr("Deux charges de signes contraires s'attirent."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("C'est cette attraction qui retient les électrons autour du noyau, et qui pousse "
                  "les électrons en excès vers l'endroit où ils manquent."), b);

    struct Pair {
        double y;
        QColor a, b;
        QString sa, sb;
        bool attract;
        const char* caption;
    };
    const Pair pairs[] = {
        {330, kMinus, kMinus, Minus(), Minus(), false, "même signe : répulsion"},
        {460, kPlus, kPlus, QStringLiteral("+"), QStringLiteral("+"), false, "même signe : répulsion"},
        {590, kPlus, kMinus, QStringLiteral("+"), Minus(), true, "signes contraires : attraction"},
    };
    for (const Pair& p : pairs) {
        const double l = p.attract ? 250 : 230, r = p.attract ? 470 : 490;
        Particle(c, {l, p.y}, 30, p.a, p.sa);
        Particle(c, {r, p.y}, 30, p.b, p.sb);
        if (p.attract) {
            Arrow(c, {l + 38, p.y}, {l + 100, p.y}, kAccent);
            Arrow(c, {r - 38, p.y}, {r - 100, p.y}, kAccent);
        } else {
            Arrow(c, {l - 38, p.y}, {l - 100, p.y}, kAccent);
            Arrow(c, {r + 38, p.y}, {r + 100, p.y}, kAccent);
        }
        Line(c, 640, p.y - 14, Fr(p.caption), Body(21));
    }
}

void Page6(Canvas& c) {
    Frame(c, 6, "Le courant électrique", 980);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 940,
               Fr("Le courant électrique est un déplacement d'électrons libres dans un conducteur."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Relions par un fil de cuivre un corps chargé négativement (excès d'électrons) à un corps "
                  "chargé positivement (manque d'électrons) : les électrons libres du fil se mettent en "
                  "mouvement vers la charge positive."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Le courant dure tant que la différence de charges est entretenue."), b);

    ChargedBody(c, {120, 470}, 70, kMinus, Fr("− − −"), Fr("charge négative"));
    ChargedBody(c, {904, 470}, 70, kPlus, Fr("+ + +"), Fr("charge positive"));
    c.SetPen(kCopper.darker(130), 2);
    c.SetBrush(QColor(236, 160, 100));
    c.Rect(QRectF(190, 452, 644, 36));
    for (int i = 0; i < 9; ++i) Particle(c, {225.0 + i * 70, 470}, 11, kMinus, Minus());
    Arrow(c, {330, 530}, {700, 530}, kMinus, 4);
    Line(c, 512, 548, Fr("sens de déplacement des électrons"), Body(19), Align::Center);
}

void Page7(Canvas& c) {
    Frame(c, 7, "Conducteurs et isolants", 980);
    TextStyle b = Body();
    Line(c, 40, 104, Fr("Les conducteurs"), Bold(24, kTitle));
    double y = Paragraph(c, 40, 140, 440,
                         Fr("Ils contiennent beaucoup d'électrons libres et laissent passer le courant : "
                            "le cuivre, l'aluminium, l'argent, le fer, l'eau salée, le corps humain."), b);
    Line(c, 540, 104, Fr("Les isolants"), Bold(24, kTitle));
    double y2 = Paragraph(c, 540, 140, 440,
                          Fr("Ils n'ont presque pas d'électrons libres et ne laissent pas passer le courant : "
                             "le verre, le caoutchouc, les plastiques, la porcelaine, le bois sec, l'air sec."), b);
    y = qMax(y, y2) + 30;

    // A cable cut open: copper core in a plastic sheath.
    const double cy = y + 110;
    c.SetPen(QColor(30, 90, 30), 2);
    c.SetBrush(QColor(60, 160, 70));
    c.Rect(QRectF(160, cy - 45, 520, 90));
    c.SetPen(kCopper.darker(140), 2);
    c.SetBrush(QColor(230, 150, 90));
    c.Rect(QRectF(680, cy - 22, 120, 44));
    c.SetPen(QColor(30, 90, 30), 2);
    c.SetBrush(QColor(60, 160, 70));
    c.Ellipse(QRectF(140, cy - 45, 40, 90));
    Arrow(c, {820, cy - 80}, {760, cy - 24}, kAccent);
    Line(c, 830, cy - 110, Fr("âme en cuivre"), Body(19));
    Line(c, 830, cy - 86, Fr("(conducteur)"), Small(kInk));
    Arrow(c, {420, cy + 110}, {420, cy + 52}, kAccent);
    Line(c, 420, cy + 118, Fr("gaine en plastique (isolant)"), Body(19), Align::Center);
}

void Page8(Canvas& c) {
    Frame(c, 8, "La différence de potentiel", 980);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 940,
               Fr("Entre un corps chargé négativement et un corps chargé positivement, il existe une "
                  "différence de potentiel : une « pression » électrique qui pousse les électrons."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("La différence de potentiel entre deux charges porte encore le nom de tension aux bornes."), b) + 8;
    y = Bullet(c, 40, y, 940, Fr("Elle s'exprime en volts (V)."), b);

    // Two water tanks at different levels, joined by a pipe: the water flows like the electrons.
    const double base = 640;
    c.SetPen(kWire, 2);
    c.SetBrush(QColor(240, 240, 240));
    c.Rect(QRectF(150, base - 250, 160, 250));
    c.Rect(QRectF(560, base - 250, 160, 250));
    c.SetPen(QColor(), 0);
    c.SetBrush(QColor(110, 170, 235));
    c.Rect(QRectF(152, base - 220, 156, 219));
    c.Rect(QRectF(562, base - 80, 156, 79));
    c.SetPen(kWire, 2);
    c.SetBrush(QColor(110, 170, 235));
    c.Rect(QRectF(310, base - 40, 250, 24));
    Arrow(c, {360, base - 70}, {510, base - 70}, kMinus, 3);
    Arrow(c, {760, base - 80}, {760, base - 220}, kAccent, 3);
    Arrow(c, {760, base - 220}, {760, base - 80}, kAccent, 3);
    Line(c, 780, base - 165, Fr("différence de niveau"), Body(19));
    Line(c, 780, base - 141, Fr("= différence de potentiel"), Body(19));
    Line(c, 435, base + 8, Fr("l'eau coule du haut vers le bas"), Small(kInk), Align::Center);
}

void Page9(Canvas& c) {
    Frame(c, 9, "La pile", 740);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 700,
               Fr("Une pile transforme l'énergie chimique en énergie électrique."), b) + 8;
    y = Bullet(c, 40, y, 700,
               Fr("Elle est faite de deux métaux différents (par exemple le zinc et le cuivre ou le carbone) "
                  "plongés dans un électrolyte."), b) + 8;
    y = Bullet(c, 40, y, 700,
               Fr("La réaction chimique accumule des électrons sur la borne négative (−) et en retire à "
                  "la borne positive (+) : une tension apparaît entre les deux bornes."), b) + 8;
    y = Bullet(c, 40, y, 700,
               Fr("Une pile ronde ordinaire fournit une tension de 1,5 volt."), b);

    c.Bitmap(QRectF(60, 560, 90, 150), CellBitmap());
    CellSymbol(c, {300, 650}, 1.4);
    Line(c, 300, 712, Fr("symbole de la pile"), Small(kInk), Align::Center);
}

void Page10(Canvas& c) {
    Frame(c, 10, "Le circuit électrique", 980);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 940,
               Fr("Un circuit électrique est un chemin fermé que suit le courant : un générateur (la pile), "
                  "des fils conducteurs et un récepteur (la lampe)."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Le courant ne circule que si le circuit est fermé. Si le chemin est coupé quelque part, "
                  "le courant s'arrête partout."), b);

    const QRectF loop(300, 330, 420, 260);
    Wire(c, QPolygonF({{loop.center().x() - 40, loop.bottom()}, loop.bottomLeft(), loop.topLeft(),
                       {loop.center().x() - 30, loop.top()}}));
    Wire(c, QPolygonF({{loop.center().x() + 30, loop.top()}, loop.topRight(), loop.bottomRight(),
                       {loop.center().x() + 40, loop.bottom()}}));
    LampSymbol(c, {loop.center().x(), loop.top()}, 30, true);
    CellSymbol(c, {loop.center().x(), loop.bottom()});
    Line(c, loop.center().x(), loop.top() - 82, Fr("récepteur : la lampe"), Body(19), Align::Center);
    Line(c, loop.center().x(), loop.bottom() + 34, Fr("générateur : la pile"), Body(19), Align::Center);
    Line(c, loop.right() + 20, loop.center().y() - 12, Fr("fils conducteurs"), Body(19));
}

void Page11(Canvas& c) {
    Frame(c, 11, "L'intensité du courant", 750);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 715,
               Fr("L'intensité d'un courant est la quantité d'électricité qui traverse le conducteur "
                  "en une seconde."), b) + 8;
    y = Bullet(c, 40, y, 715,
               Fr("Son unité est l'ampère (A) : un courant de 1 ampère fait passer 1 coulomb par seconde."), b) + 8;
    Line(c, 380, y + 4, Fr("1 A = 1 C/s"), Bold(30, kAccent), Align::Center);
    y += 56;
    y = Bullet(c, 40, y, 715,
               Fr("L'appareil qui sert à mesurer l'intensité d'un courant s'appelle l'ampèremètre. "
                  "On le branche en série : le courant le traverse."), b) + 8;
    y = Bullet(c, 40, y, 715, Fr("Dans les schémas, l'intensité est désignée par la lettre I."), b);

    const QRectF loop(70, 600, 380, 110);
    Wire(c, QPolygonF({{loop.center().x() - 40, loop.bottom()}, loop.bottomLeft(), loop.topLeft(),
                       {loop.center().x() - 24, loop.top()}}));
    Wire(c, QPolygonF({{loop.center().x() + 24, loop.top()}, loop.topRight(),
                       {loop.right(), loop.center().y() - 22}}));
    Wire(c, QPolygonF({{loop.right(), loop.center().y() + 22}, loop.bottomRight(),
                       {loop.center().x() + 40, loop.bottom()}}));
    LampSymbol(c, {loop.center().x(), loop.top()}, 22, true);
    MeterSymbol(c, {loop.right(), loop.center().y()}, QStringLiteral("A"));
    CellSymbol(c, {loop.center().x(), loop.bottom()}, 0.8);
}

void Page12(Canvas& c) {
    Frame(c, 12, "La tension", 750);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 710,
               Fr("La tension, ou différence de potentiel, s'exprime en volts (V)."), b) + 8;
    y = Bullet(c, 40, y, 710,
               Fr("On la mesure avec un voltmètre, branché en dérivation entre les bornes du récepteur "
                  "ou du générateur."), b) + 8;
    y = Bullet(c, 40, y, 710,
               Fr("Le volt est l'unité servant à mesurer la tension aux bornes d'un générateur ; il a des "
                  "multiples (le kilovolt) et des sous-multiples (le millivolt)."), b) + 8;
    y = Bullet(c, 40, y, 710, Fr("Dans les schémas, la tension est désignée par la lettre U."), b) + 8;
    y = Paragraph(c, 40, y + 4, 710,
                  Fr("Attention : le voltmètre (l'appareil de mesure) n'est pas le voltamètre, une cuve "
                     "où le courant décompose l'eau."), Body(19));

    const QRectF loop(60, 640, 330, 80);
    Wire(c, QPolygonF({{loop.center().x() - 40, loop.bottom()}, loop.bottomLeft(), loop.topLeft(),
                       {loop.center().x() - 22, loop.top()}}));
    Wire(c, QPolygonF({{loop.center().x() + 22, loop.top()}, loop.topRight(), loop.bottomRight(),
                       {loop.center().x() + 40, loop.bottom()}}));
    LampSymbol(c, {loop.center().x(), loop.top()}, 20, false);
    CellSymbol(c, {loop.center().x(), loop.bottom()}, 0.7);
    Wire(c, QPolygonF({{loop.center().x() - 60, loop.top()}, {loop.center().x() - 60, loop.top() - 50},
                       {loop.center().x() - 22, loop.top() - 50}}));
    Wire(c, QPolygonF({{loop.center().x() + 60, loop.top()}, {loop.center().x() + 60, loop.top() - 50},
                       {loop.center().x() + 22, loop.top() - 50}}));
    MeterSymbol(c, {loop.center().x(), loop.top() - 50}, QStringLiteral("V"));
}

void Page13(Canvas& c) {
    Frame(c, 13, "Le sens du courant", 670);
    TextStyle b = Body();
    double y = 104;
    Line(c, 40, y, Fr("Sens réel, ou électronique"), Bold(23, kMinus));
    y = Paragraph(c, 40, y + 34, 630,
                  Fr("Les électrons vont de la borne négative (−) à la borne positive (+) du générateur, "
                     "en passant par le circuit. Le courant qui se dirige de la charge négative vers la "
                     "charge positive est le courant électronique."), b) + 14;
    Line(c, 40, y, Fr("Sens conventionnel"), Bold(23, kPlus));
    y = Paragraph(c, 40, y + 34, 630,
                  Fr("Avant de connaître les électrons, on a choisi de dire que le courant va de la borne + "
                     "à la borne − à l'extérieur du générateur. Les schémas et les flèches de courant "
                     "suivent ce sens conventionnel."), b);

    // The two directions on one wire, across the bottom of the slide.
    const double wy = 660;
    Line(c, 70, wy - 14, Fr("−"), Bold(30, kMinus), Align::Center);
    Line(c, 954, wy - 14, QStringLiteral("+"), Bold(30, kPlus), Align::Center);
    c.SetPen(kCopper.darker(130), 2);
    c.SetBrush(QColor(236, 160, 100));
    c.Rect(QRectF(100, wy - 12, 824, 24));
    Arrow(c, {260, wy - 40}, {760, wy - 40}, kMinus, 3);
    Line(c, 512, wy - 70, Fr("sens réel (électronique) : de − vers +"), Body(18, kMinus), Align::Center);
    Arrow(c, {760, wy + 40}, {260, wy + 40}, kPlus, 3);
    Line(c, 512, wy + 50, Fr("sens conventionnel : de + vers − dans le circuit extérieur"), Body(18), Align::Center);
}

void Page14(Canvas& c) {
    Frame(c, 14, "Continu ou alternatif", 680);
    TextStyle b = Body();
    double y = 104;
    Line(c, 40, y, Fr("Le courant continu"), Bold(23, kTitle));
    y = Paragraph(c, 40, y + 34, 640,
                  Fr("Les électrons se déplacent toujours dans le même sens. Une pile, une batterie "
                     "de voiture fournissent du courant continu."), b) + 16;
    Line(c, 40, y, Fr("Le courant alternatif"), Bold(23, kTitle));
    y = Paragraph(c, 40, y + 34, 640,
                  Fr("Les électrons vont et viennent : ils changent de sens plusieurs fois par seconde. "
                     "Le courant du secteur (les prises de la maison) est alternatif : en France, 50 "
                     "allers-retours par seconde (50 hertz)."), b);

    // The two courses of the current in time.
    const double x0 = 80, w = 860;
    const double yc = 540, ya = 660;
    c.SetPen(kMuted, 1.5);
    c.Polyline(QPolygonF({{x0, yc}, {x0 + w, yc}}));
    c.Polyline(QPolygonF({{x0, ya}, {x0 + w, ya}}));
    c.SetPen(kTitle, 3);
    c.Polyline(QPolygonF({{x0, yc - 35}, {x0 + w, yc - 35}}));
    QPolygonF sine;
    for (int i = 0; i <= 120; ++i) sine << QPointF(x0 + w * i / 120.0, ya - 40 * std::sin(i / 120.0 * 4 * 2 * M_PI));
    c.SetPen(kAccent, 3);
    c.Polyline(sine);
    Line(c, x0, yc - 70, Fr("continu : toujours le même sens"), Body(18));
    Line(c, x0, ya - 70, Fr("alternatif : le sens change sans cesse"), Body(18));
    Line(c, x0 + w, yc + 6, Fr("temps"), Small(kInk));
}

void Page15(Canvas& c) {
    Frame(c, 15, "Le coulomb", 980);
    TextStyle b = Body();
    double y = 104;
    y = Bullet(c, 40, y, 940,
               Fr("Le coulomb (C) est l'unité de quantité d'électricité."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Le coulomb représente un certain nombre d'électrons, en repos ou en mouvement : "
                  "environ 6,25 milliards de milliards d'électrons."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Quand une quantité de 1 coulomb traverse un conducteur en 1 seconde, l'intensité du "
                  "courant est de 1 ampère."), b);

    Box(c, QRectF(212, 420, 600, 110), QColor(255, 244, 225), kAccent);
    Line(c, 512, 440, Fr("1 coulomb par seconde = 1 ampère"), Bold(30, kTitle), Align::Center);
    Line(c, 512, 488, Fr("quantité d'électricité (C) = intensité (A) × temps (s)"), Body(20), Align::Center);
    for (int i = 0; i < 12; ++i) Particle(c, {190.0 + i * 58, 600}, 13, kMinus, Minus());
    Line(c, 512, 630, Fr("un « paquet » d'électrons : le coulomb"), Body(19), Align::Center);
}

void Page16(Canvas& c) {
    Frame(c, 16, "L'interrupteur", 580);
    TextStyle b = Body();
    double y = 104;
    y = Paragraph(c, 40, y, 540,
                  Fr("L'interrupteur est le dispositif qui sert à ouvrir et à fermer à volonté un circuit "
                     "électrique."), b) + 24;
    y = qMax(y, 260.0);
    y = Bullet(c, 40, y, 940,
               Fr("Interrupteur fermé : le circuit est fermé, le courant passe, la lampe brille."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("Interrupteur ouvert : le circuit est coupé, le courant ne passe plus, la lampe s'éteint."), b) + 8;
    y = Bullet(c, 40, y, 940,
               Fr("À ne pas confondre : le fusible protège le circuit ; il fond et coupe le courant "
                  "quand celui-ci devient trop fort."), b);

    for (int k = 0; k < 2; ++k) {
        const bool closed = k == 1;
        const QRectF loop(120 + k * 440, 520, 300, 150);
        Wire(c, QPolygonF({{loop.center().x() - 40, loop.bottom()}, loop.bottomLeft(), loop.topLeft(),
                           {loop.center().x() - 22, loop.top()}}));
        Wire(c, QPolygonF({{loop.center().x() + 22, loop.top()}, loop.topRight(),
                           {loop.right(), loop.center().y() - 25}}));
        Wire(c, QPolygonF({{loop.right(), loop.center().y() + 25}, loop.bottomRight(),
                           {loop.center().x() + 40, loop.bottom()}}));
        const QPointF pivot(loop.right(), loop.center().y() + 25);
        c.SetPen(kWire, 3);
        c.Polyline(QPolygonF({pivot, closed ? QPointF(loop.right(), loop.center().y() - 25)
                                            : QPointF(loop.right() + 28, loop.center().y() - 18)}));
        c.SetBrush(kWire);
        c.Ellipse(QRectF(pivot.x() - 4, pivot.y() - 4, 8, 8));
        LampSymbol(c, {loop.center().x(), loop.top()}, 20, closed);
        CellSymbol(c, {loop.center().x(), loop.bottom()}, 0.7);
        Line(c, loop.center().x(), loop.bottom() + 22,
             closed ? Fr("fermé : la lampe brille") : Fr("ouvert : la lampe est éteinte"), Body(18), Align::Center);
    }
}

void Page17(Canvas& c) {
    Frame(c, 17, "Les lettres des circuits", 980);
    Paragraph(c, 40, 104, 940,
              Fr("Dans la représentation des circuits, chaque grandeur est désignée par une lettre et "
                 "se mesure dans son unité :"), Body());
    struct Row {
        const char *letter, *name, *unit, *tool;
    };
    const Row rows[] = {
        {"U", "la tension", "le volt (V)", "voltmètre"},
        {"I", "l'intensité", "l'ampère (A)", "ampèremètre"},
        {"R", "la résistance", "l'ohm (Ω)", "ohmmètre"},
        {"Q", "la quantité d'électricité", "le coulomb (C)", ""},
    };
    const double x[] = {60, 160, 470, 720};
    const double top = 200, rh = 90;
    Box(c, QRectF(40, top, 940, 50), kTitle, kTitle);
    const char* heads[] = {"Lettre", "Grandeur", "Unité", "Appareil de mesure"};
    for (int i = 0; i < 4; ++i) Line(c, x[i], top + 12, Fr(heads[i]), Bold(21, Qt::white));
    for (int r = 0; r < 4; ++r) {
        const double ry = top + 50 + r * rh;
        Box(c, QRectF(40, ry, 940, rh), r % 2 ? QColor(240, 242, 250) : Qt::white, QColor(200, 205, 220));
        Line(c, x[0] + 20, ry + 18, Fr(rows[r].letter), Bold(40, kAccent), Align::Center);
        Line(c, x[1], ry + 30, Fr(rows[r].name), Body(22));
        Line(c, x[2], ry + 30, Fr(rows[r].unit), Bold(22, kTitle));
        Line(c, x[3], ry + 30, Fr(rows[r].tool), Body(22));
    }
    Paragraph(c, 40, top + 50 + 4 * rh + 20, 940,
              Fr("Exemple : « U = 4,5 V » se lit « la tension vaut 4,5 volts » ; « I = 0,2 A » se lit "
                 "« l'intensité vaut 0,2 ampère »."), Body(20));
}

void Page18(Canvas& c) {
    Frame(c, 18, "Résumé et évaluation", 980);
    TextStyle b = Body(19);
    double y = 100;
    const char* points[] = {
        "L'atome : un noyau (protons +, neutrons) et des électrons (−) qui tournent autour. "
        "Plusieurs atomes forment une molécule.",
        "Un excès d'électrons est une charge négative ; deux charges de même signe se repoussent, "
        "de signes contraires s'attirent.",
        "Le courant électrique est un déplacement d'électrons libres ; la pile transforme l'énergie "
        "chimique en énergie électrique.",
        "Tension U en volts (voltmètre) ; intensité I en ampères (ampèremètre) ; 1 A = 1 C/s.",
        "Sens électronique : de − vers + ; sens conventionnel : de + vers −. L'interrupteur ouvre "
        "et ferme le circuit.",
    };
    for (const char* p : points) y = Bullet(c, 40, y, 940, Fr(p), b) + 6;

    y += 14;
    Box(c, QRectF(40, y, 940, 150), QColor(255, 244, 225), kAccent);
    Line(c, 60, y + 14, Fr("L'évaluation"), Bold(24, kTitle));
    Paragraph(c, 60, y + 52, 900,
              Fr("Page suivante : vingt questions sur cette séance. Pour chacune, cliquez sur la réponse "
                 "de votre choix puis sur « Valider ». Une bonne réponse rapporte 1 point ; une mauvaise "
                 "en retire 0,5, sans que la note descende sous zéro. Après la vingtième question, la note sur 20 s'affiche."), Body(19));
}

}  // namespace

void DrawSlide(int page, Canvas& c) {
    switch (page) {
    case 0: Page0(c); break;
    case 1: Page1(c); break;
    case 2: Page2(c); break;
    case 3: Page3(c); break;
    case 4: Page4(c); break;
    case 5: Page5(c); break;
    case 6: Page6(c); break;
    case 7: Page7(c); break;
    case 8: Page8(c); break;
    case 9: Page9(c); break;
    case 10: Page10(c); break;
    case 11: Page11(c); break;
    case 12: Page12(c); break;
    case 13: Page13(c); break;
    case 14: Page14(c); break;
    case 15: Page15(c); break;
    case 16: Page16(c); break;
    case 17: Page17(c); break;
    case 18: Page18(c); break;
    default: break;
    }
}

}  // namespace demo
