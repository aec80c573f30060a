#include "photos.h"

#include "canvas.h"
#include "layout.h"

#include <QFontMetricsF>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cmath>
#include <stdexcept>
#include <stdexcept>

namespace demo {

namespace {

const QColor kMinus(40, 110, 210);
const QColor kPlus(205, 45, 40);
const QColor kNeutral(150, 150, 150);
const QColor kCopper(196, 110, 50);

QFont Font(double px, bool bold = false) {
    TextStyle s;
    s.bold = bold;
    return FontFor(s, px);
}

// A soft studio background, lighter at the top.
void Backdrop(QPainter& p, const QSize& size, QColor top, QColor bottom) {
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRect(QPoint(0, 0), size), g);
}

// The caption band along the bottom of a photograph.
void Caption(QPainter& p, const QSize& size, const QString& text) {
    const int h = 26;
    p.fillRect(QRect(0, size.height() - h, size.width(), h), QColor(20, 30, 60, 200));
    p.setPen(Qt::white);
    // The caption shrinks until it fits the photograph's width.
    double px = 15;
    while (px > 9 && QFontMetricsF(Font(px, true)).horizontalAdvance(text) > size.width() - 8) px -= 0.5;
    p.setFont(Font(px, true));
    p.drawText(QRect(0, size.height() - h, size.width(), h), Qt::AlignCenter, text);
}

// A shiny sphere.
void Ball(QPainter& p, QPointF c, double r, QColor color, const QString& label = QString()) {
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.3);
    g.setColorAt(0, color.lighter(170));
    g.setColorAt(0.5, color);
    g.setColorAt(1, color.darker(160));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    if (!label.isEmpty()) {
        p.setPen(Qt::white);
        p.setFont(Font(r * 1.1, true));
        p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter, label);
    }
}

QString Minus() { return QString(QChar(0x2212)); }

void AtomModel(QPainter& p, QPointF c, double orbit, int electrons, bool twoShells) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.5));
    p.drawEllipse(c, orbit, orbit * 0.45);
    p.save();
    p.translate(c);
    p.rotate(60);
    p.drawEllipse(QPointF(0, 0), orbit, orbit * 0.45);
    p.rotate(60);
    p.drawEllipse(QPointF(0, 0), orbit, orbit * 0.45);
    p.restore();
    const QPointF nucleus[] = {{-6, -5}, {6, -4}, {0, 6}, {-7, 6}, {7, 6}, {0, -9}};
    for (int i = 0; i < 6; ++i) Ball(p, c + nucleus[i], 7, i % 2 ? kNeutral : kPlus);
    for (int i = 0; i < electrons; ++i) {
        const double a = 2 * M_PI * i / electrons + 0.5;
        const double rot = (i % 3) * M_PI / 3;
        const QPointF e(std::cos(a) * orbit, std::sin(a) * orbit * 0.45);
        const QPointF r(e.x() * std::cos(rot) - e.y() * std::sin(rot), e.x() * std::sin(rot) + e.y() * std::cos(rot));
        Ball(p, c + r, 6, kMinus);
    }
    if (twoShells) {
        p.setPen(QPen(QColor(255, 255, 255, 90), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, orbit * 1.35, orbit * 1.35);
    }
}

void Wire(QPainter& p, const QPolygonF& path, double width = 4, QColor color = QColor(50, 50, 50)) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(path);
}

// A cylindrical dry cell standing up.
void DryCell(QPainter& p, QRectF body) {
    QLinearGradient g(body.left(), 0, body.right(), 0);
    g.setColorAt(0, QColor(30, 60, 140));
    g.setColorAt(0.4, QColor(90, 140, 230));
    g.setColorAt(1, QColor(20, 40, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(body, 6, 6);
    QLinearGradient cap(body.left(), 0, body.right(), 0);
    cap.setColorAt(0, QColor(120, 120, 120));
    cap.setColorAt(0.4, QColor(235, 235, 235));
    cap.setColorAt(1, QColor(110, 110, 110));
    p.setBrush(cap);
    const double bw = body.width() * 0.3;
    p.drawRoundedRect(QRectF(body.center().x() - bw / 2, body.top() - 10, bw, 14), 3, 3);
    p.drawRect(QRectF(body.left(), body.bottom() - 8, body.width(), 8));
    p.setPen(Qt::white);
    p.setFont(Font(body.width() * 0.28, true));
    p.drawText(QRectF(body.left(), body.top() + 10, body.width(), body.height() * 0.3), Qt::AlignCenter,
               QStringLiteral("1,5 V"));
    p.setFont(Font(body.width() * 0.35, true));
    p.drawText(QRectF(body.left(), body.top() + body.height() * 0.45, body.width(), body.height() * 0.3),
               Qt::AlignCenter, QStringLiteral("+"));
}

// A dial instrument with its unit letter and a needle.
void Meter(QPainter& p, QPointF c, double r, const QString& unit, double needle) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 45));
    p.drawRoundedRect(QRectF(c.x() - r * 1.25, c.y() - r * 1.1, r * 2.5, r * 2.1), 12, 12);
    p.setBrush(QColor(250, 248, 235));
    p.drawRoundedRect(QRectF(c.x() - r * 1.1, c.y() - r * 0.95, r * 2.2, r * 1.35), 6, 6);
    const QPointF pivot(c.x(), c.y() + r * 0.3);
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    for (int i = 0; i <= 10; ++i) {
        const double a = qDegreesToRadians(150.0 - i * 12.0);
        const QPointF u(std::cos(a), -std::sin(a));
        p.drawLine(pivot + u * r * (i % 5 ? 0.9 : 0.82), pivot + u * r);
    }
    p.setFont(Font(r * 0.18));
    for (int i = 0; i <= 10; i += 5) {
        const double a = qDegreesToRadians(150.0 - i * 12.0);
        const QPointF u(std::cos(a), -std::sin(a));
        p.drawText(QRectF(pivot.x() + u.x() * r * 0.68 - 15, pivot.y() + u.y() * r * 0.68 - 9, 30, 18),
                   Qt::AlignCenter, QString::number(i / 5 * 5));
    }
    const double a = qDegreesToRadians(150.0 - needle * 120.0);
    p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, pivot + QPointF(std::cos(a), -std::sin(a)) * r * 0.92);
    p.setPen(QColor(20, 40, 120));
    p.setFont(Font(r * 0.42, true));
    p.drawText(QRectF(c.x() - r, pivot.y() - r * 0.55, 2 * r, r * 0.5), Qt::AlignCenter, unit);
    // Terminals.
    Ball(p, {c.x() - r * 0.7, c.y() + r * 0.78}, r * 0.12, QColor(200, 30, 30));
    Ball(p, {c.x() + r * 0.7, c.y() + r * 0.78}, r * 0.12, QColor(30, 30, 30));
}

void Bulb(QPainter& p, QPointF c, double r, bool lit) {
    if (lit) {
        QRadialGradient glow(c, r * 2.2);
        glow.setColorAt(0, QColor(255, 240, 150, 220));
        glow.setColorAt(1, QColor(255, 240, 150, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, r * 2.2, r * 2.2);
    }
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(lit ? QColor(255, 245, 190) : QColor(225, 230, 235));
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(c.x() - r * 0.45, c.y() + r * 0.85, r * 0.9, r * 0.6));
    p.setPen(QPen(lit ? QColor(230, 120, 0) : QColor(90, 90, 90), 1.5));
    p.drawPolyline(QPolygonF({c + QPointF(-r * 0.3, r * 0.8), c + QPointF(-r * 0.25, -r * 0.1),
                              c + QPointF(0, r * 0.1), c + QPointF(r * 0.25, -r * 0.1),
                              c + QPointF(r * 0.3, r * 0.8)}));
}

// A knife switch seen from above, open or closed.
void KnifeSwitch(QPainter& p, QPointF left, double length, bool closed) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 80, 50));
    p.drawRoundedRect(QRectF(left.x() - 15, left.y() - 14, length + 30, 28), 5, 5);
    Ball(p, left, 7, QColor(180, 180, 180));
    Ball(p, left + QPointF(length, 0), 7, QColor(180, 180, 180));
    const double a = closed ? 0 : qDegreesToRadians(35.0);
    const QPointF tip = left + QPointF(std::cos(a), -std::sin(a)) * length;
    p.setPen(QPen(QColor(210, 170, 60), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(left, tip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(tip, 6, 6);
}

void Electron(QPainter& p, QPointF c, double r = 7) { Ball(p, c, r, kMinus, Minus()); }

// A dry cell lying on its side between two wire ends, its + cap on the right.
void LyingCell(QPainter& p, QPointF c, double length) {
    const double h = length * 0.42;
    const QRectF body(c.x() - length / 2, c.y() - h / 2, length, h);
    QLinearGradient g(0, body.top(), 0, body.bottom());
    g.setColorAt(0, QColor(30, 60, 140));
    g.setColorAt(0.4, QColor(90, 140, 230));
    g.setColorAt(1, QColor(20, 40, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(body, 3, 3);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(body.right(), c.y() - h * 0.18, 5, h * 0.36));
    p.setPen(Qt::white);
    p.setFont(Font(h * 0.55, true));
    p.drawText(body, Qt::AlignCenter, QStringLiteral("1,5 V"));
    p.setPen(QColor(30, 30, 30));
    p.setFont(Font(13, true));
    p.drawText(QRectF(body.right() - 4, body.bottom() + 1, 16, 16), Qt::AlignCenter, QStringLiteral("+"));
    p.drawText(QRectF(body.left() - 12, body.bottom() + 1, 16, 16), Qt::AlignCenter, Minus());
}

// A simple circuit: a lamp at the top, a cell lying along the bottom wire.
void Circuit(QPainter& p, const QRectF& loop, bool lit) {
    const double cell = 52;
    Wire(p, QPolygonF({QPointF(loop.center().x() - cell / 2, loop.bottom()), loop.bottomLeft(), loop.topLeft(),
                       QPointF(loop.center().x() - 16, loop.top())}));
    Wire(p, QPolygonF({QPointF(loop.center().x() + 16, loop.top()), loop.topRight(), loop.bottomRight(),
                       QPointF(loop.center().x() + cell / 2 + 5, loop.bottom())}));
    Bulb(p, QPointF(loop.center().x(), loop.top() - 4), 16, lit);
    LyingCell(p, {loop.center().x(), loop.bottom()}, cell);
}

QImage NewImage(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// What each photograph shows between its backdrop and its caption, on a canvas of w x h pixels.

// A glass of water: matter all around us.
void GlassOfWater(QPainter& p, double w, double h) {
    p.setPen(QPen(QColor(255, 255, 255, 220), 3));
    p.setBrush(QColor(120, 180, 240, 150));
    QPolygonF glass({{w * 0.35, 35}, {w * 0.65, 35}, {w * 0.61, h - 40}, {w * 0.39, h - 40}});
    p.drawPolygon(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 140, 220, 170));
    p.drawPolygon(QPolygonF({{w * 0.355, 70}, {w * 0.645, 70}, {w * 0.61, h - 42}, {w * 0.39, h - 42}}));
    for (int i = 0; i < 6; ++i) Ball(p, {w * 0.42 + (i % 3) * 18.0, 90.0 + i * 11}, 3, QColor(230, 245, 255));
}

// The water molecule.
void WaterMolecule(QPainter& p, double w, double h) {
    Ball(p, {w / 2, h * 0.48}, 42, kPlus, QStringLiteral("O"));
    Ball(p, {w / 2 - 50, h * 0.48 - 34}, 25, QColor(235, 235, 240));
    Ball(p, {w / 2 + 50, h * 0.48 - 34}, 25, QColor(235, 235, 240));
    p.setPen(QColor(40, 40, 60));
    p.setFont(Font(22, true));
    p.drawText(QRectF(w / 2 - 75, h * 0.48 - 50, 50, 32), Qt::AlignCenter, QStringLiteral("H"));
    p.drawText(QRectF(w / 2 + 25, h * 0.48 - 50, 50, 32), Qt::AlignCenter, QStringLiteral("H"));
}

// Atoms of a metal, side by side.
void CopperAtoms(QPainter& p, double w, double) {
    for (int row = 0; row < 3; ++row)
        for (double x = 22.0 + (row % 2) * 18; x + 16 < w; x += 36) Ball(p, {x, 30.0 + row * 36}, 16, kCopper);
}

// The atom.
void CarbonAtom(QPainter& p, double w, double h) {
    AtomModel(p, {w / 2, h * 0.44}, 95, 6, false);
}

// The nucleus, close up.
void Nucleus(QPainter& p, double w, double h) {
    const QPointF c(w / 2, h * 0.43);
    const QPointF pos[] = {{-18, -14}, {14, -16}, {0, 0}, {-20, 14}, {20, 12}, {0, 22}, {-2, -26}, {26, -2}, {-28, -2}};
    for (int i = 0; i < 9; ++i)
        Ball(p, c + pos[i] * 1.6, 17, i % 2 ? kNeutral : kPlus, i % 2 ? QString() : QStringLiteral("+"));
}

// An electron.
void OneElectron(QPainter& p, double w, double h) {
    p.setPen(QPen(QColor(120, 170, 255, 120), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(w / 2, h * 0.42), 70, 34);
    Ball(p, {w / 2 + 48, h * 0.42 - 24}, 18, kMinus, Minus());
}

// A copper atom losing its outer electron.
void CopperAtomLosingAnElectron(QPainter& p, double w, double h) {
    AtomModel(p, {w * 0.42, h * 0.45}, 62, 6, true);
    Electron(p, {w * 0.82, h * 0.2}, 9);
    p.setPen(QPen(QColor(255, 220, 120), 2, Qt::DashLine));
    p.drawLine(QPointF(w * 0.62, h * 0.32), QPointF(w * 0.78, h * 0.22));
}

// Free electrons in a copper wire.
void FreeElectronsInAWire(QPainter& p, double w, double) {
    QLinearGradient g(0, 50, 0, 150);
    g.setColorAt(0, QColor(240, 170, 110));
    g.setColorAt(0.5, kCopper);
    g.setColorAt(1, QColor(120, 60, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(10, 50, w - 20, 100), 50, 50);
    for (int i = 0; i < 8; ++i) Electron(p, {30.0 + i * 32, 80.0 + (i * 37 % 50)}, 8);
    p.setPen(QPen(QColor(255, 255, 255), 3));
    p.drawLine(QPointF(60, 175), QPointF(w - 60, 175));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{w - 50, 175}, {w - 66, 167}, {w - 66, 183}}));
}

// A cell.
void Cell(QPainter& p, double w, double h) {
    DryCell(p, QRectF(w / 2 - 40, 28, 80, h - 70));
}

// Inside a cell: two metals in an electrolyte.
void InsideACell(QPainter& p, double w, double h) {
    p.setPen(QPen(QColor(100, 100, 100), 2));
    p.setBrush(QColor(200, 230, 200));
    p.drawRect(QRectF(40, 62, w - 80, h - 100));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 110, 120));
    p.drawRect(QRectF(70, 42, 22, h - 122));
    p.setBrush(kCopper);
    p.drawRect(QRectF(w - 92, 42, 22, h - 122));
    p.setPen(QColor(30, 30, 30));
    p.setFont(Font(14, true));
    p.drawText(QRectF(41, 18, 80, 20), Qt::AlignCenter, QStringLiteral("zinc"));
    p.drawText(QRectF(w - 121, 18, 80, 20), Qt::AlignCenter, QStringLiteral("cuivre"));
    p.setFont(Font(13));
    p.drawText(QRectF(40, h - 62, w - 80, 20), Qt::AlignCenter, QString::fromUtf8("électrolyte"));
}

// An ammeter.
void Ammeter(QPainter& p, double w, double h) {
    Meter(p, {w / 2, h * 0.45}, 62, QStringLiteral("A"), 0.55);
}

// An ammeter in series in a circuit.
void AmmeterInSeries(QPainter& p, double w, double h) {
    const QRectF loop(30, 40, w - 70, h - 90);
    Circuit(p, loop, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    p.drawRect(QRectF(loop.right() - 8, loop.center().y() - 30, 16, 60));
    Meter(p, {loop.right(), loop.center().y()}, 24, QStringLiteral("A"), 0.5);
}

// Water flow: the analogy of intensity.
void WaterFlow(QPainter& p, double w, double) {
    p.setPen(QPen(QColor(90, 90, 100), 3));
    p.setBrush(QColor(170, 200, 230));
    p.drawRect(QRectF(15, 55, w - 30, 50));
    for (int i = 0; i < 7; ++i) Ball(p, {35.0 + i * 28, 80.0 + (i % 2 ? 8 : -8)}, 7, QColor(40, 120, 220));
    p.setPen(QPen(QColor(20, 50, 120), 3));
    p.drawLine(QPointF(40, 125), QPointF(w - 50, 125));
    p.setBrush(QColor(20, 50, 120));
    p.drawPolygon(QPolygonF({{w - 40, 125}, {w - 56, 117}, {w - 56, 133}}));
}

// A voltmeter across a lamp.
void VoltmeterAcrossALamp(QPainter& p, double w, double h) {
    const QRectF loop(30, 88, w - 60, h - 128);
    Circuit(p, loop, true);
    const double cx = loop.center().x(), my = 34;
    Wire(p, QPolygonF({QPointF(cx - 34, loop.top()), QPointF(cx - 34, my), QPointF(cx - 20, my)}), 2.5,
         QColor(200, 40, 40));
    Wire(p, QPolygonF({QPointF(cx + 34, loop.top()), QPointF(cx + 34, my), QPointF(cx + 20, my)}), 2.5,
         QColor(40, 40, 40));
    Meter(p, {cx, my}, 18, QStringLiteral("V"), 0.6);
}

// A voltmeter.
void Voltmeter(QPainter& p, double w, double h) {
    Meter(p, {w / 2, h * 0.45}, 62, QStringLiteral("V"), 0.3);
}

// The terminals of a cell and the voltage between them.
void VoltageAcrossACell(QPainter& p, double w, double h) {
    DryCell(p, QRectF(30, 30, 60, h - 70));
    Meter(p, {w * 0.68, h * 0.42}, 38, QStringLiteral("V"), 0.3);
    Wire(p, QPolygonF({{60, 20}, {60, 12}, {w * 0.68 - 26, 12}, {w * 0.68 - 26, h * 0.42 + 30}}), 2.5,
         QColor(200, 40, 40));
    Wire(p, QPolygonF({{60, h - 40}, {w * 0.68 + 26, h - 40}, {w * 0.68 + 26, h * 0.42 + 30}}), 2.5,
         QColor(40, 40, 40));
}

// Conventional direction: from + to − outside the cell.
void ConventionalDirection(QPainter& p, double w, double h) {
    const QRectF loop(40, 45, w - 80, h - 100);
    Circuit(p, loop, true);
    p.setPen(QPen(kPlus, 3));
    p.setBrush(kPlus);
    const double y = loop.center().y();
    p.drawLine(QPointF(loop.right(), y + 25), QPointF(loop.right(), y - 15));
    p.drawPolygon(QPolygonF({{loop.right(), y - 25}, {loop.right() - 8, y - 10}, {loop.right() + 8, y - 10}}));
    p.drawLine(QPointF(loop.left(), y - 25), QPointF(loop.left(), y + 15));
    p.drawPolygon(QPolygonF({{loop.left(), y + 25}, {loop.left() - 8, y + 10}, {loop.left() + 8, y + 10}}));
    p.setPen(QColor(150, 30, 30));
    p.setFont(Font(14, true));
    p.drawText(QRectF(loop.left() + 14, y - 12, loop.width() - 28, 24), Qt::AlignCenter,
               QString::fromUtf8("de + vers −"));
}

// A switch, open and closed.
void Switches(QPainter& p, double, double) {
    KnifeSwitch(p, {40, 70}, 70, false);
    KnifeSwitch(p, {150, 70}, 70, true);
    p.setPen(QColor(40, 40, 40));
    p.setFont(Font(14, true));
    p.drawText(QRectF(20, 105, 110, 22), Qt::AlignCenter, QStringLiteral("ouvert"));
    p.drawText(QRectF(130, 105, 110, 22), Qt::AlignCenter, QString::fromUtf8("fermé"));
    Bulb(p, {75, 145}, 12, false);
    Bulb(p, {185, 145}, 12, true);
}

// The demo's photographs by number: a backdrop lighter at the top, the scene, the caption.
struct Photograph {
    int number;
    QColor top, bottom;
    void (*scene)(QPainter& p, double w, double h);
    const char* caption;  // UTF-8
};

const Photograph kPhotographs[] = {
    {1, QColor(225, 238, 250), QColor(170, 200, 230), GlassOfWater, "La matière : l'eau"},
    {2, QColor(40, 50, 80), QColor(15, 20, 40), WaterMolecule, "Une molécule d'eau : H2O"},
    {3, QColor(60, 45, 35), QColor(25, 18, 12), CopperAtoms, "Des atomes de cuivre"},
    {6, QColor(30, 35, 70), QColor(5, 8, 25), CarbonAtom, "Un atome de carbone"},
    {7, QColor(60, 20, 30), QColor(20, 5, 10), Nucleus, "Le noyau : protons et neutrons"},
    {8, QColor(20, 40, 80), QColor(5, 10, 30), OneElectron, "L'électron (−)"},
    {9, QColor(70, 45, 30), QColor(25, 15, 8), CopperAtomLosingAnElectron, "Un électron quitte l'atome de cuivre"},
    {10, QColor(230, 230, 230), QColor(190, 190, 195), FreeElectronsInAWire, "Les électrons libres d'un fil de cuivre"},
    {11, QColor(240, 240, 235), QColor(200, 200, 195), Cell, "Une pile de 1,5 volt"},
    {12, QColor(245, 245, 240), QColor(215, 215, 205), InsideACell, "Deux métaux dans un électrolyte"},
    {13, QColor(235, 235, 240), QColor(190, 190, 200), Ammeter, "Un ampèremètre"},
    {14, QColor(245, 245, 245), QColor(215, 215, 220), AmmeterInSeries, "L'ampèremètre se branche en série"},
    {15, QColor(220, 235, 250), QColor(160, 190, 225), WaterFlow, "Comme un débit : tant par seconde"},
    {16, QColor(245, 245, 245), QColor(215, 215, 220), VoltmeterAcrossALamp, "Le voltmètre se branche en dérivation"},
    {17, QColor(235, 240, 235), QColor(190, 200, 190), Voltmeter, "Un voltmètre"},
    {18, QColor(245, 240, 230), QColor(210, 200, 185), VoltageAcrossACell, "Tension aux bornes d'une pile"},
    {19, QColor(250, 250, 250), QColor(220, 220, 225), ConventionalDirection, "Sens conventionnel du courant"},
    {20, QColor(240, 238, 232), QColor(205, 200, 190), Switches, "L'interrupteur"},
};

void Draw(int n, QPainter& p, QSize s) {
    for (const Photograph& photo : kPhotographs) {
        if (photo.number != n) continue;
        Backdrop(p, s, photo.top, photo.bottom);
        photo.scene(p, s.width(), s.height());
        Caption(p, s, QString::fromUtf8(photo.caption));
        return;
    }
    throw std::logic_error("no such photograph");
}

// Séance 2: a flat 4.5 V battery, its two brass strips on top.
void FlatBattery(QPainter& p, double w, double h) {
    const QRectF body(w * 0.25, h * 0.28, w * 0.5, h * 0.5);
    QLinearGradient g(body.left(), 0, body.right(), 0);
    g.setColorAt(0, QColor(190, 40, 30));
    g.setColorAt(0.45, QColor(240, 90, 60));
    g.setColorAt(1, QColor(150, 25, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(body, 5, 5);
    p.setBrush(QColor(215, 180, 80));
    p.drawRect(QRectF(body.left() + 18, body.top() - 34, 14, 36));   // the short strip: +
    p.drawRect(QRectF(body.right() - 40, body.top() - 48, 22, 50));  // the long strip: −
    p.setPen(Qt::white);
    p.setFont(Font(26, true));
    p.drawText(body, Qt::AlignCenter, QStringLiteral("4,5 V"));
    p.setPen(QColor(30, 30, 30));
    p.setFont(Font(16, true));
    p.drawText(QRectF(body.left() + 6, body.top() - 60, 40, 20), Qt::AlignCenter, QStringLiteral("+"));
    p.drawText(QRectF(body.right() - 50, body.top() - 74, 40, 20), Qt::AlignCenter, Minus());
}

// Séance 2: resistors with their colour bands.
void Resistors(QPainter& p, double w, double h) {
    const QColor bands[3][3] = {{QColor(140, 80, 30), Qt::black, QColor(140, 80, 30)},
                                {QColor(230, 200, 40), QColor(120, 40, 160), QColor(140, 80, 30)},
                                {QColor(200, 40, 40), QColor(200, 40, 40), QColor(200, 40, 40)}};
    for (int i = 0; i < 3; ++i) {
        const double y = h * (0.2 + 0.22 * i);
        p.setPen(QPen(QColor(170, 170, 175), 3));
        p.drawLine(QPointF(20, y), QPointF(w - 20, y));
        const QRectF body(w * 0.3, y - 13, w * 0.4, 26);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(225, 200, 150));
        p.drawRoundedRect(body, 12, 12);
        for (int b = 0; b < 3; ++b) {
            p.setBrush(bands[i][b]);
            p.drawRect(QRectF(body.left() + 18 + b * 16, body.top(), 8, body.height()));
        }
        p.setBrush(QColor(210, 170, 60));
        p.drawRect(QRectF(body.right() - 26, body.top(), 8, body.height()));
    }
}

// Séance 2: a digital multimeter reading 4.50 volts.
void Multimeter(QPainter& p, double w, double h) {
    const QRectF body(w * 0.3, 12, w * 0.4, h - 48);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 190, 30));
    p.drawRoundedRect(body, 12, 12);
    p.setBrush(QColor(40, 40, 45));
    p.drawRoundedRect(body.adjusted(8, 8, -8, -8), 8, 8);
    const QRectF screen(body.left() + 16, body.top() + 16, body.width() - 32, 40);
    p.setBrush(QColor(190, 205, 180));
    p.drawRect(screen);
    p.setPen(QColor(30, 30, 30));
    p.setFont(Font(26, true));
    p.drawText(screen, Qt::AlignCenter, QStringLiteral("4.50"));
    p.setPen(QPen(QColor(200, 200, 200), 2));
    p.setBrush(QColor(70, 70, 75));
    p.drawEllipse(QPointF(body.center().x(), body.top() + 98), 26, 26);
    p.drawLine(QPointF(body.center().x(), body.top() + 98), QPointF(body.center().x() + 18, body.top() + 80));
    const char* sockets[] = {"A", "COM", "V"};
    for (int i = 0; i < 3; ++i) {
        const QPointF at(body.left() + 24 + i * (body.width() - 48) / 2, body.bottom() - 30);
        Ball(p, at, 7, i == 1 ? QColor(30, 30, 30) : QColor(200, 30, 30));
        p.setPen(Qt::white);
        p.setFont(Font(10, true));
        p.drawText(QRectF(at.x() - 20, at.y() - 24, 40, 14), Qt::AlignCenter, QLatin1String(sockets[i]));
    }
}

struct Seance2Photograph {
    const char* name;
    QColor top, bottom;
    void (*scene)(QPainter& p, double w, double h);
    const char* caption;  // UTF-8
};

const Seance2Photograph kSeance2Photographs[] = {
    {"pile_plate.jpg", QColor(245, 240, 230), QColor(210, 200, 185), FlatBattery, "Une pile plate : 4,5 V"},
    {"voltmetre.jpg", QColor(245, 245, 245), QColor(215, 215, 220), VoltmeterAcrossALamp, "Le voltmètre, en dérivation"},
    {"multimetre.jpg", QColor(235, 240, 235), QColor(190, 200, 190), Multimeter, "Un multimètre en voltmètre"},
    {"amperemetre.jpg", QColor(245, 245, 245), QColor(215, 215, 220), AmmeterInSeries, "L'ampèremètre, en série"},
    {"resistors.jpg", QColor(240, 238, 232), QColor(205, 200, 190), Resistors, "Des résistors et leurs anneaux"},
};

}  // namespace

QStringList Seance2Photos() {
    QStringList names;
    for (const Seance2Photograph& photo : kSeance2Photographs) names << QLatin1String(photo.name);
    return names;
}

QImage DrawSeance2Photo(const QString& name) {
    const QSize size(280, 210);
    for (const Seance2Photograph& photo : kSeance2Photographs) {
        if (name != QLatin1String(photo.name)) continue;
        QImage img = NewImage(size);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        Backdrop(p, size, photo.top, photo.bottom);
        photo.scene(p, size.width(), size.height());
        Caption(p, size, QString::fromUtf8(photo.caption));
        return img;
    }
    throw std::logic_error("no such photograph of séance 2");
}

QImage DrawPhoto(int number) {
    const QSize size = PhotoSize(number);
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Draw(number, p, size);
    p.end();
    return img;
}

QImage EmblemBitmap() {
    QImage img = NewImage({160, 160});
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(250, 249, 243));
    QRadialGradient g(QPointF(80, 80), 80);
    g.setColorAt(0, QColor(60, 110, 210));
    g.setColorAt(1, QColor(15, 35, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(80, 80), 76, 76);
    AtomModel(p, {80, 80}, 60, 3, false);
    p.setBrush(QColor(255, 200, 40));
    p.setPen(QPen(QColor(160, 90, 0), 2));
    p.drawPolygon(QPolygonF({{92, 18}, {52, 88}, {78, 88}, {64, 144}, {112, 66}, {86, 66}, {104, 18}}));
    p.end();
    return img;
}

QImage CellBitmap() {
    QImage img = NewImage({90, 150});
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(250, 249, 243));
    DryCell(p, QRectF(15, 22, 60, 118));
    p.end();
    return img;
}

void WriteJpeg(const QImage& image, const QString& path) {
    QImageWriter w(path, "jpeg");
    w.setQuality(90);
    w.setOptimizedWrite(false);
    w.setProgressiveScanWrite(false);
    if (!w.write(image))
        throw std::runtime_error(QStringLiteral("cannot write %1: %2").arg(path, w.errorString()).toStdString());
}

}  // namespace demo
