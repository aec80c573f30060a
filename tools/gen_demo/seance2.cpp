#include "seance2.h"

#include "canvas.h"
#include "photos.h"
#include "slide_kit.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QUuid>
#include <algorithm>
#include <functional>
#include <map>
#include <vector>
#include <stdexcept>

namespace demo {

namespace {

[[noreturn]] void Fail(const QString& message) { throw std::runtime_error(message.toStdString()); }

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        Fail(QStringLiteral("cannot write %1").arg(path));
}

// Draws as a presentation program exports: each line of text one string in its font, so that a
// reader of the PDF finds words, not letters.
class PdfCanvas : public PainterCanvas {
public:
    explicit PdfCanvas(QPainter& painter) : PainterCanvas(painter), p_(painter) {}
    void Text(const TextRun& run) override {
        const QFont f = FontFor(run.style, run.style.px);
        p_.save();
        p_.setFont(f);
        p_.setPen(run.style.color);
        const double x = run.align == Align::Center ? run.x - run.Width() / 2 : run.x;
        p_.drawText(QPointF(x, run.y + QFontMetricsF(f).ascent()), run.text);
        p_.restore();
    }

private:
    QPainter& p_;
};

// The frame of séance 2's slides: séance 1's look, its own footer. Pages that receive photographs
// keep their text left of x = 700 (the photographs land at the slide's right edge).
void Frame(Canvas& c, int page, const char* title, double ruleEnd = 984) {
    Background(c);
    Line(c, 40, 26, Fr(title), Bold(34, kTitle));
    c.SetPen(QColor(), 0);
    c.SetBrush(kAccent);
    c.Rect(QRectF(40, 76, ruleEnd - 40, 4));
    Line(c, 40, 738, Fr("Séance 2 · page %1").arg(page), Small());
}

void Resistor(Canvas& c, QPointF centre, bool vertical = false) {
    c.SetPen(kWire, 3);
    c.SetBrush(Qt::white);
    c.Rect(vertical ? QRectF(centre.x() - 11, centre.y() - 30, 22, 60) : QRectF(centre.x() - 30, centre.y() - 11, 60, 22));
}

// A loop with a cell on the left, a resistor on top and, on the right, what the page measures.
void Circuit(Canvas& c, const QRectF& loop, const QString& meter, bool meterInSeries) {
    Wire(c, QPolygonF({loop.topLeft(), loop.topRight(), loop.bottomRight(), loop.bottomLeft(), loop.topLeft()}));
    CellSymbol(c, QPointF(loop.left(), loop.center().y()), 0.8);
    Resistor(c, QPointF(loop.center().x(), loop.top()));
    if (meterInSeries) {
        MeterSymbol(c, QPointF(loop.right(), loop.center().y()), meter);
    } else {
        const double y = loop.top() - 60;
        Wire(c, QPolygonF({QPointF(loop.center().x() - 50, loop.top()), QPointF(loop.center().x() - 50, y),
                           QPointF(loop.center().x() + 50, y), QPointF(loop.center().x() + 50, loop.top())}));
        MeterSymbol(c, QPointF(loop.center().x(), y), meter);
    }
}

// A slide of points: its frame and title, its points down the left, then the figure beside or
// under them. Those that receive photographs keep their text narrow.
struct PointsSlide {
    int page;  // the lesson page that shows it (its footer)
    const char* title;
    double width;  // of the points; the title's rule runs just past them, or to the margin
    std::vector<const char*> points;
    std::function<void(Canvas&)> figure;
};

constexpr double kFull = 940, kBesidePhotographs = 640;

void DrawPoints(Canvas& c, const PointsSlide& s) {
    Frame(c, s.page, s.title, s.width == kFull ? 984 : s.width + 40);
    double y = 110;
    for (const char* point : s.points) y = Bullet(c, 40, y, s.width, Fr(point), Body()) + 10;
    if (s.figure) s.figure(c);
}

// Slides 2 to 8, 12 and 13 of Seance2.pdf, by slide number.
const std::map<int, PointsSlide>& PointsSlides() {
    static const std::map<int, PointsSlide> slides{
        {2, {1, "Rappel de la séance 1", kFull,
             {"Le courant électrique est un déplacement d'électrons libres dans un conducteur.",
              "Il ne circule que dans un circuit fermé : un générateur, des fils, un récepteur.",
              "La pile est un générateur : elle a une borne positive (+) et une borne négative (−).",
              "Par convention, le courant va de la borne + vers la borne − à l'extérieur du générateur.",
              "Cette séance mesure le courant : sa tension, son intensité, et la résistance qu'il rencontre."},
             [](Canvas& c) { Circuit(c, QRectF(392, 540, 240, 120), QStringLiteral("A"), true); }}},
        {3, {2, "La tension électrique", kBesidePhotographs,
             {"La tension électrique se note U. Elle se mesure en volts (symbole V).",
              "La tension est une différence d'état électrique entre deux points d'un circuit.",
              "Une pile plate a une tension de 4,5 V ; une pile ronde, de 1,5 V.",
              "Sans tension entre ses bornes, un dipôle n'est parcouru par aucun courant."},
             [](Canvas& c) {
                 CellSymbol(c, QPointF(200, 620), 1.2);
                 Line(c, 200, 680, Fr("U = 4,5 V"), Bold(24, kTitle), Align::Center);
             }}},
        {4, {3, "Mesurer une tension : le voltmètre", kBesidePhotographs,
             {"La tension se mesure avec un voltmètre.",
              "Le voltmètre se branche en dérivation, aux bornes du dipôle.",
              "Sa borne V est reliée au côté + et sa borne COM au côté −.",
              "Un multimètre réglé sur le calibre V devient un voltmètre."},
             [](Canvas& c) { Circuit(c, QRectF(180, 560, 300, 110), QStringLiteral("V"), false); }}},
        {5, {4, "L'intensité du courant", kFull,
             {"L'intensité du courant se note I. Elle se mesure en ampères (symbole A).",
              "L'intensité est un débit : la quantité d'électricité qui passe en une seconde.",
              "On emploie aussi le milliampère : 1 mA = 0,001 A, donc 250 mA = 0,25 A.",
              "Dans un circuit en série, l'intensité est la même en tout point."},
             [](Canvas& c) { Circuit(c, QRectF(392, 530, 240, 130), QStringLiteral("A"), true); }}},
        {6, {5, "Mesurer une intensité : l'ampèremètre", kBesidePhotographs,
             {"L'intensité se mesure avec un ampèremètre.",
              "L'ampèremètre se branche en série : on ouvre le circuit pour l'y insérer.",
              "Le courant entre par la borne A (ou mA) et sort par la borne COM.",
              "Brancher un ampèremètre en dérivation le mettrait en court-circuit."},
             [](Canvas& c) { Circuit(c, QRectF(180, 560, 300, 110), QStringLiteral("A"), true); }}},
        {7, {6, "La résistance", kBesidePhotographs,
             {"La résistance se note R. Elle se mesure en ohms (symbole Ω).",
              "Un résistor s'oppose au passage du courant : il limite l'intensité.",
              "À tension égale, plus la résistance est grande, plus l'intensité est faible.",
              "Des anneaux de couleur donnent la valeur de la résistance d'un résistor."},
             [](Canvas& c) {
                 Resistor(c, QPointF(200, 640));
                 Wire(c, QPolygonF({QPointF(100, 640), QPointF(170, 640)}));
                 Wire(c, QPolygonF({QPointF(230, 640), QPointF(300, 640)}));
                 Line(c, 200, 670, Fr("R = 100 Ω"), Bold(22, kTitle), Align::Center);
             }}},
        {8, {7, "Mesurer une résistance : l'ohmmètre", kFull,
             {"La résistance se mesure avec un ohmmètre.",
              "On mesure la résistance d'un résistor débranché du circuit : l'ohmmètre a sa propre pile.",
              "Un multimètre réglé sur le calibre Ω devient un ohmmètre.",
              "On emploie aussi le kilohm : 1 kΩ = 1 000 Ω."},
             [](Canvas& c) {
                 Resistor(c, QPointF(512, 600));
                 Wire(c, QPolygonF({QPointF(420, 600), QPointF(482, 600)}));
                 Wire(c, QPolygonF({QPointF(542, 600), QPointF(604, 600)}));
                 MeterSymbol(c, QPointF(512, 520), QString(QChar(0x03A9)));
                 Wire(c, QPolygonF({QPointF(420, 600), QPointF(420, 520), QPointF(490, 520)}));
                 Wire(c, QPolygonF({QPointF(604, 600), QPointF(604, 520), QPointF(534, 520)}));
             }}},
        {12, {9, "Un exemple de calcul", kFull,
              {"Un résistor de 100 Ω est traversé par un courant de 0,05 A.",
               "La loi d'Ohm donne la tension à ses bornes : U = R × I = 100 × 0,05 = 5 V.",
               "Avec une tension de 4,5 V aux bornes d'un résistor de 90 Ω, I = 4,5 / 90 = 0,05 A."},
              [](Canvas& c) { Circuit(c, QRectF(392, 500, 240, 140), QStringLiteral("V"), false); }}},
        // The animation of the characteristic comes beside it.
        {13, {10, "La caractéristique d'un résistor", 600,
              {"On augmente la tension pas à pas et l'on mesure chaque fois l'intensité.",
               "Les points du graphique U en fonction de I sont alignés sur une droite qui passe par "
               "l'origine : la tension est proportionnelle à l'intensité.",
               "C'est la loi d'Ohm ; la pente de la droite est la résistance."},
              {}}},
    };
    return slides;
}

// Slides 1 to 14 of Seance2.pdf.
void Slide(int slide, Canvas& c) {
    if (const auto it = PointsSlides().find(slide); it != PointsSlides().end()) return DrawPoints(c, it->second);
    switch (slide) {
        case 1:
            TitleBanner(c, Fr("Séance 2 : tension, intensité, résistance"));
            Circuit(c, QRectF(392, 310, 240, 110), QStringLiteral("A"), true);
            Line(c, 512, 480, Fr("La loi d'Ohm et les appareils de mesure"), Bold(28, kTitle), Align::Center);
            Line(c, 512, 530, Fr("La tension · l'intensité · la résistance · la loi d'Ohm · les unités"), Body(20),
                 Align::Center);
            Line(c, 512, 566, Fr("Une évaluation de vingt questions clôt la séance."), Body(20), Align::Center);
            Line(c, 512, 716, Fr("Passez d'une page à l'autre avec les flèches, en haut à droite de l'écran."),
                 Small(), Align::Center);
            break;
        case 9:
        case 10:
        case 11: {
            // One slide built in three steps: each step adds to the previous one, as a presentation
            // program exports its builds (one PDF page per step).
            Frame(c, 8, "La loi d'Ohm");
            double y = Bullet(c, 40, 110, kFull,
                              Fr("Pour un résistor, la tension U à ses bornes et l'intensité I qui le traverse sont "
                                 "proportionnelles."),
                              Body()) + 10;
            if (slide >= 10) {
                c.SetPen(kAccent, 3);
                c.SetBrush(QColor(255, 244, 225));
                c.Rect(QRectF(312, y + 20, 400, 90));
                Line(c, 512, y + 38, QStringLiteral("U = R × I"), Bold(44, kTitle), Align::Center);
                y = Paragraph(c, 40, y + 140, 940, Fr("avec U en volts (V), R en ohms (Ω) et I en ampères (A)."), Body());
            }
            if (slide >= 11) {
                y = Paragraph(c, 40, y + 30, 940,
                              Fr("On en tire l'intensité, I = U / R, et la résistance, R = U / I."), Body());
            }
            break;
        }
        case 14: {
            Frame(c, 11, "Résumé");
            const double x[] = {40, 230, 330, 480, 700};
            const char* head[] = {"grandeur", "lettre", "unité", "appareil", "branchement"};
            const char* rows[3][5] = {{"tension", "U", "volt (V)", "voltmètre", "en dérivation"},
                                      {"intensité", "I", "ampère (A)", "ampèremètre", "en série"},
                                      {"résistance", "R", "ohm (Ω)", "ohmmètre", "hors circuit"}};
            c.SetPen(QColor(), 0);
            c.SetBrush(QColor(226, 232, 245));
            c.Rect(QRectF(30, 120, 954, 44));
            for (int col = 0; col < 5; ++col) Line(c, x[col], 130, Fr(head[col]), Bold(21, kTitle));
            for (int row = 0; row < 3; ++row)
                for (int col = 0; col < 5; ++col) Line(c, x[col], 190 + row * 56, Fr(rows[row][col]), Body());
            c.SetBrush(kAccent);
            c.Rect(QRectF(30, 356, 954, 2));
            Line(c, 512, 400, Fr("La loi d'Ohm : U = R × I"), Bold(34, kTitle), Align::Center);
            Line(c, 512, 460, Fr("250 mA = 0,25 A · 1 kΩ = 1 000 Ω"), Body(), Align::Center);
            break;
        }
        default:
            Fail(QStringLiteral("séance 2 has no slide %1").arg(slide));
    }
}
constexpr int kSlides = 14;

// QPdfWriter stamps the time of writing into the document: into its information, and from Qt 6.8
// into its XMP metadata too. The demo must be the same bytes on every run, so each stamp is set to
// a fixed date of the same length, so that the cross-references hold.
QByteArray FixedDates(QByteArray pdf) {
    static const QRegularExpression info(QStringLiteral("D:\\d{14}"));
    static const QRegularExpression xmp(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d"));
    QString text = QString::fromLatin1(pdf);
    text.replace(info, QStringLiteral("D:20260901080000"));
    text.replace(xmp, QStringLiteral("2026-09-01T08:00:00"));
    return text.toLatin1();
}

QByteArray SlidesPdf() {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        // 1024 x 768 slide pixels at 96 dpi: the natural size of séance 1's slides.
        writer.setResolution(96);
        writer.setPageSize(QPageSize(QSizeF(768, 576), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QStringLiteral("Séance 2 : tension, intensité, résistance"));
        writer.setCreator(QStringLiteral("gen_demo"));
        // Without an identity of its own the writer would draw a random one.
        writer.setDocumentXmpMetadata(QByteArray());
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        // From Qt 6.8 every document has an identity (its metadata's, its trailer's), drawn at
        // random unless given.
        writer.setDocumentId(QUuid::createUuidV5(QUuid(), QStringLiteral("gen_demo Seance2.pdf")));
#endif
        QPainter p(&writer);
        p.setRenderHint(QPainter::Antialiasing);
        PdfCanvas canvas(p);
        for (int slide = 1; slide <= kSlides; ++slide) {
            if (slide > 1) writer.newPage();
            Slide(slide, canvas);
        }
    }
    return FixedDates(buffer.data());
}

// The animation: the characteristic of a 100 Ω resistor traced point by point.
constexpr int kFrames = 6;

QImage AnimationFrame(int frame) {
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(QColor(250, 249, 243));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    TextStyle label;
    p.setFont(FontFor(label, 13));
    const QPointF origin(50, 200);
    const double perMa = 4, perVolt = 24;  // pixels per milliampere, per volt
    p.setPen(QPen(kInk, 2));
    p.drawLine(origin, origin + QPointF(255, 0));
    p.drawLine(origin, origin - QPointF(0, 180));
    p.drawText(QPointF(268, 236), QStringLiteral("I (mA)"));
    p.drawText(QPointF(8, 22), QStringLiteral("U (V)"));
    p.setPen(QPen(kMuted, 1));
    for (int k = 1; k <= 6; ++k) {
        p.drawText(QRectF(origin.x() + k * 10 * perMa - 15, origin.y() + 4, 30, 16), Qt::AlignCenter, QString::number(k * 10));
        p.drawText(QRectF(origin.x() - 40, origin.y() - k * perVolt - 8, 34, 16), Qt::AlignRight, QString::number(k));
    }
    // Each frame adds the point measured at 1.5 V more than the last, up to 6 V, the top of the
    // axis; the last frame draws the line through them and measures nothing more.
    const int measured = std::min(frame, kFrames - 1);
    for (int k = 0; k < measured; ++k) {
        const double volts = 1.5 * k, ma = volts * 10;
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(origin + QPointF(ma * perMa, -volts * perVolt), 5, 5);
    }
    if (frame == kFrames) {
        p.setPen(QPen(kTitle, 2));
        p.drawLine(origin, origin + QPointF(60 * perMa, -6 * perVolt));
    }
    const double volts = 1.5 * std::max(0, measured - 1);
    p.setPen(kTitle);
    p.setFont(FontFor(Bold(15), 15));
    p.drawText(QRectF(70, 30, 240, 20), Qt::AlignLeft,
               QStringLiteral("U = %1 V   I = %2 mA").arg(QString::number(volts).replace(QLatin1Char('.'), QLatin1Char(',')))
                   .arg(volts * 10));
    p.end();
    return img;
}

// Twenty questions, each answered in so many words by a slide of the séance.
const char* const kQuestions = R"(// Séance 2 : tension, intensité, résistance. Vingt questions, la bonne réponse d'abord (=).

::Q01:: Quelle est l'unité de la tension électrique ? {=le volt ~l'ampère ~l'ohm ~le watt}

::Q02:: Par quelle lettre note-t-on la tension ? {=U ~I ~R ~T}

::Q03:: Quelle est la tension d'une pile plate ? {=4,5 V ~1,5 V ~9 V ~230 V}

::Q04:: Quel appareil mesure une tension ? {=le voltmètre ~l'ampèremètre ~l'ohmmètre ~le compteur}

::Q05:: Comment branche-t-on un voltmètre ? {=en dérivation, aux bornes du dipôle ~en série, dans le circuit ~hors circuit ~à la place de la pile}

::Q06:: Qu'est-ce que la tension électrique ? {=une différence d'état électrique entre deux points ~un débit d'électrons ~une opposition au courant ~une quantité de chaleur}

::Q07:: Quelle est l'unité de l'intensité du courant ? {=l'ampère ~le volt ~l'ohm ~le joule}

::Q08:: Par quelle lettre note-t-on l'intensité ? {=I ~U ~R ~A}

::Q09:: Quel appareil mesure une intensité ? {=l'ampèremètre ~le voltmètre ~l'ohmmètre ~le thermomètre}

::Q10:: Comment branche-t-on un ampèremètre ? {=en série ~en dérivation ~hors circuit ~entre les deux bornes de la pile seule}

::Q11:: Combien d'ampères font 250 mA ? {=0,25 A ~2,5 A ~25 A ~250 A}

::Q12:: Dans un circuit en série, comment est l'intensité ? {=la même en tout point ~plus forte près de la pile ~nulle après la lampe ~plus faible au retour}

::Q13:: Quelle est l'unité de la résistance ? {=l'ohm ~le volt ~l'ampère ~le watt}

::Q14:: Quel est le symbole de l'ohm ? {=Ω ~O ~R ~W}

::Q15:: Comment mesure-t-on la résistance d'un résistor ? {=débranché du circuit, avec un ohmmètre ~en série, avec un voltmètre ~en dérivation, pendant que le courant passe ~avec un ampèremètre}

::Q16:: Que dit la loi d'Ohm ? {=U \= R × I ~U \= R + I ~U \= I / R ~I \= U × R}

::Q17:: Un résistor de 100 Ω est traversé par 0,05 A. Quelle tension à ses bornes ? {=5 V ~2 000 V ~0,5 V ~100 V}

::Q18:: Comment calcule-t-on l'intensité avec la loi d'Ohm ? {=I \= U / R ~I \= U × R ~I \= R / U ~I \= U + R}

::Q19:: À tension égale, que devient l'intensité quand la résistance est plus grande ? {=plus l'intensité est faible ~plus l'intensité est forte ~l'intensité ne change pas ~l'intensité s'annule toujours}

::Q20:: Combien d'ohms font 1 kΩ ? {=1 000 Ω ~10 Ω ~100 Ω ~1 000 000 Ω}
)";

// The script: what each page of séance 2 does, in the lesson's 100 ms ticks.
const char* const kScript = R"(# Séance 2 : tension, intensité, résistance.
# Les diapositives sont les pages de Seance2.pdf, exporté du logiciel de présentation.
# Les instants comptent les dixièmes de seconde depuis l'entrée dans la page (10 = 1 s).

[[page]]                                  # page 0 : le titre
type = "titre"
diapositive = "Seance2.pdf, page 1"

[[page]]                                  # page 1 : rappel de la séance 1
diapositive = "Seance2.pdf, page 2"
fin = 30

[[page]]                                  # page 2 : la tension
diapositive = "Seance2.pdf, page 3"
fin = 40

  [[page.photo]]
  instant = 10
  cadre = 1
  fichier = "pile_plate.jpg"
  place = "à droite de la diapositive, en haut, marges 20 px et 110 px"

[[page]]                                  # page 3 : le voltmètre
diapositive = "Seance2.pdf, page 4"
fin = 50

  [[page.photo]]
  instant = 10
  cadre = 1
  fichier = "voltmetre.jpg"
  place = "à droite de la diapositive, en haut, marges 20 px et 110 px"

  [[page.photo]]
  instant = "2,5 s"
  cadre = 2
  fichier = "multimetre.jpg"
  place = "alignée à droite sur la photo précédente, sous la photo précédente, marges 0 px et 16 px"

[[page]]                                  # page 4 : l'intensité
diapositive = "Seance2.pdf, page 5"
fin = 30

[[page]]                                  # page 5 : l'ampèremètre
diapositive = "Seance2.pdf, page 6"
fin = 40

  [[page.photo]]
  instant = 10
  cadre = 1
  fichier = "amperemetre.jpg"
  place = "à droite de la diapositive, en haut, marges 20 px et 110 px"

[[page]]                                  # page 6 : la résistance
diapositive = "Seance2.pdf, page 7"
fin = 40

  [[page.photo]]
  instant = 10
  cadre = 1
  fichier = "resistors.jpg"
  place = "à droite de la diapositive, en haut, marges 20 px et 110 px"

[[page]]                                  # page 7 : l'ohmmètre
diapositive = "Seance2.pdf, page 8"
fin = 30

[[page]]                                  # page 8 : la loi d'Ohm, en trois temps
diapositive = "Seance2.pdf, page 9"
fin = 60

  [[page.etape]]
  instant = 20
  diapositive = "Seance2.pdf, page 10"

  [[page.etape]]
  instant = 40
  diapositive = "Seance2.pdf, page 11"

[[page]]                                  # page 9 : un exemple de calcul
diapositive = "Seance2.pdf, page 12"
fin = 30

[[page]]                                  # page 10 : la caractéristique, animée
diapositive = "Seance2.pdf, page 13"
fin = 20

  [page.animation]
  instant = 10
  images = ["ohm1.png", "ohm2.png", "ohm3.png", "ohm4.png", "ohm5.png", "ohm6.png"]
  intervalle = "700 ms"
  cadre = 1
  place = "à droite de la diapositive, au milieu, marge 30 px"

[[page]]                                  # page 11 : le résumé
diapositive = "Seance2.pdf, page 14"
fin = 30

[[page]]                                  # page 12 : l'évaluation (questions.gift)
type = "evaluation"

[[page]]                                  # page 13 : la clôture
type = "cloture"
)";

}  // namespace

// The course's own rules, as its teacher writes them once for the class.
const char kCours[] = R"(# Le cours : son titre, la note qui réussit une séance, ce qui ouvre chaque séance.
titre = "L'électricité"
seuil = 15              # sur 20 : une séance est réussie strictement au-dessus
ouvertes = [1]          # les séances ouvertes dès le début, ou ouvertes = "toutes"

[apres]                 # séance = la séance à réussir avant elle
2 = 1
)";

void WriteSeance2(const QString& out) {
    const QDir root(out);
    if (!root.mkpath(QStringLiteral("Seance2"))) Fail(QStringLiteral("cannot create %1/Seance2").arg(out));
    const QDir folder(root.filePath(QStringLiteral("Seance2")));
    WriteFile(folder.filePath(QStringLiteral("Seance2.pdf")), SlidesPdf());
    for (const QString& name : Seance2Photos()) WriteJpeg(DrawSeance2Photo(name), folder.filePath(name));
    for (int frame = 1; frame <= kFrames; ++frame) {
        const QString path = folder.filePath(QStringLiteral("ohm%1.png").arg(frame));
        if (!AnimationFrame(frame).save(path, "png")) Fail(QStringLiteral("cannot write %1").arg(path));
    }
    WriteFile(folder.filePath(QStringLiteral("questions.gift")), QByteArray(kQuestions));
    WriteFile(folder.filePath(QStringLiteral("seance.toml")), QByteArray(kScript));
    WriteFile(root.filePath(QStringLiteral("cours.toml")), QByteArray(kCours));
}

}  // namespace demo
