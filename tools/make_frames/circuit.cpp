// Page 13's animation: a cell drives negative charges round a circuit through a lit lamp, from
// its negative terminal to its positive terminal, under the legend "Sens réel".

#include "art.h"
#include "resources/media.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>
#include <vector>

namespace {

constexpr int kFrames = resources::kLastCircuitFrame - resources::kFirstCircuitFrame + 1;
constexpr double kChargeSpacing = 30.0;
constexpr double kChargeRadius = 6.0;

const QColor kWireDark(138, 75, 30);
const QColor kWireLight(222, 146, 78);
const QColor kLegend(192, 0, 0);

const QPointF kLampCentre(150, 84);
constexpr double kBulbRadius = 40;
const QRectF kCell(82, 292, 136, 46);
const QRectF kNegativeTerminal(68, 305, 16, 20);
const QRectF kPositiveTerminal(216, 302, 18, 26);
const QRectF kHolder(116, 150, 68, 20);

// The route of the negative charges: out of the negative terminal, up the left side, through the
// lamp (supports and filament), down the right side, into the positive terminal. Both ends lie
// under the terminals so that charges slide out of and into them rather than popping up.
QPolygonF ChargeRoute() {
    return QPolygonF({{76, 315}, {40, 315}, {40, 160}, {124, 160}, {142, 160}, {142, 96},
                      {158, 96}, {158, 160}, {176, 160}, {260, 160}, {260, 315}, {224, 315}});
}

double Length(const QPolygonF& route) {
    double total = 0;
    for (int i = 1; i < route.size(); ++i) total += QLineF(route[i - 1], route[i]).length();
    return total;
}

QPointF PointAlong(const QPolygonF& route, double distance) {
    for (int i = 1; i < route.size(); ++i) {
        const QLineF segment(route[i - 1], route[i]);
        if (distance <= segment.length()) return segment.pointAt(distance / segment.length());
        distance -= segment.length();
    }
    return route.last();
}

void DrawBackground(QPainter& p, const QRectF& r) {
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(252, 252, 255));
    sky.setColorAt(1, QColor(234, 239, 248));
    p.fillRect(r, sky);
    p.setPen(QPen(QColor(176, 186, 206), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

void DrawWires(QPainter& p) {
    const QPolygonF left({{76, 315}, {40, 315}, {40, 160}, {124, 160}});
    const QPolygonF right({{176, 160}, {260, 160}, {260, 315}, {224, 315}});
    for (const QPolygonF& wire : {left, right}) {
        p.setPen(QPen(kWireDark, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(wire);
        p.setPen(QPen(kWireLight, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(wire);
    }
}

void DrawLampBack(QPainter& p) {
    // Halo and rays: the lamp is lit.
    QRadialGradient halo(kLampCentre, 78);
    halo.setColorAt(0, QColor(255, 236, 120, 190));
    halo.setColorAt(0.55, QColor(255, 226, 90, 90));
    halo.setColorAt(1, QColor(255, 226, 90, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(kLampCentre, 78, 78);
    p.setPen(QPen(QColor(255, 170, 0), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 16; ++i) {
        const double a = qDegreesToRadians(i * 22.5);
        if (std::sin(a) > 0.55) continue;  // none through the socket below
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(kLampCentre + dir * 50, kLampCentre + dir * (i % 2 ? 60 : 66));
    }

    // Glass: bulb and neck down to the socket.
    QPainterPath glass;
    glass.addEllipse(kLampCentre, kBulbRadius, kBulbRadius);
    QPainterPath neck;
    neck.moveTo(128, 108);
    neck.cubicTo(136, 116, 137, 118, 137, 124);
    neck.lineTo(163, 124);
    neck.cubicTo(163, 118, 164, 116, 172, 108);
    neck.closeSubpath();
    glass = glass.united(neck);
    QRadialGradient glow(kLampCentre + QPointF(0, 10), 48);
    glow.setColorAt(0, QColor(255, 255, 240));
    glow.setColorAt(0.45, QColor(255, 248, 175));
    glow.setColorAt(1, QColor(255, 220, 80));
    p.setBrush(glow);
    p.setPen(QPen(QColor(196, 150, 30), 1.5));
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(134, 66), 9, 14);

    p.setPen(QPen(QColor(120, 110, 90), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(142, 124), QPointF(142, 96));
    p.drawLine(QPointF(158, 124), QPointF(158, 96));
}

// Drawn over the charges: they pass behind the glowing filament and vanish into the socket and the
// holder, as they would inside the metal.
void DrawLampFront(QPainter& p) {
    QPainterPath filament;
    filament.moveTo(142, 96);
    for (int i = 1; i <= 8; ++i) filament.lineTo(142 + i * 2, i % 2 ? 91 : 96);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 150, 0, 160), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(filament);
    p.setPen(QPen(QColor(255, 252, 225), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(filament);

    // Threaded socket and the holder with its two terminal screws.
    QLinearGradient metal(136, 0, 164, 0);
    metal.setColorAt(0, QColor(150, 152, 160));
    metal.setColorAt(0.4, QColor(232, 234, 240));
    metal.setColorAt(1, QColor(130, 132, 140));
    p.setPen(QPen(QColor(90, 92, 100), 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(136, 124, 28, 27), 3, 3);
    p.setPen(QPen(QColor(110, 112, 120), 1.2));
    for (int y = 130; y <= 146; y += 5) p.drawLine(QPointF(137, y), QPointF(163, y + 2));

    QLinearGradient plastic(kHolder.topLeft(), kHolder.bottomLeft());
    plastic.setColorAt(0, QColor(96, 104, 124));
    plastic.setColorAt(1, QColor(52, 58, 74));
    p.setPen(QPen(QColor(36, 40, 52), 1));
    p.setBrush(plastic);
    p.drawRoundedRect(kHolder, 5, 5);
    for (const double x : {124.0, 176.0}) {
        QRadialGradient screw(QPointF(x - 1.5, 158.5), 6);
        screw.setColorAt(0, QColor(250, 250, 252));
        screw.setColorAt(1, QColor(150, 152, 160));
        p.setPen(QPen(QColor(70, 72, 80), 1));
        p.setBrush(screw);
        p.drawEllipse(QPointF(x, 160), 5, 5);
    }
}

void DrawSignedCharge(QPainter& p, QPointF c, double r, bool positive) {
    QRadialGradient g(c + QPointF(-r * 0.35, -r * 0.35), r * 1.3);
    if (positive) {
        g.setColorAt(0, QColor(255, 150, 140));
        g.setColorAt(1, QColor(200, 36, 28));
    } else {
        g.setColorAt(0, QColor(130, 170, 255));
        g.setColorAt(1, QColor(24, 70, 200));
    }
    p.setPen(QPen(QColor(255, 255, 255, 230), 1.2));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Qt::white, r * 0.32, Qt::SolidLine, Qt::RoundCap));
    const double arm = r * 0.5;
    p.drawLine(c - QPointF(arm, 0), c + QPointF(arm, 0));
    if (positive) p.drawLine(c - QPointF(0, arm), c + QPointF(0, arm));
}

void DrawCell(QPainter& p) {
    // Terminals: the positive one is the larger stud, as on a real cell.
    QLinearGradient stud(0, 300, 0, 330);
    stud.setColorAt(0, QColor(225, 227, 233));
    stud.setColorAt(1, QColor(130, 133, 142));
    p.setPen(QPen(QColor(70, 72, 80), 1));
    p.setBrush(stud);
    p.drawRoundedRect(kNegativeTerminal, 3, 3);
    p.drawRoundedRect(kPositiveTerminal, 3, 3);

    QPainterPath body;
    body.addRoundedRect(kCell, 8, 8);
    QLinearGradient negHalf(kCell.topLeft(), kCell.bottomLeft());
    negHalf.setColorAt(0, QColor(222, 233, 255));
    negHalf.setColorAt(1, QColor(186, 206, 246));
    QLinearGradient posHalf(kCell.topLeft(), kCell.bottomLeft());
    posHalf.setColorAt(0, QColor(255, 228, 222));
    posHalf.setColorAt(1, QColor(246, 192, 184));
    p.setPen(Qt::NoPen);
    p.save();
    p.setClipPath(body);
    p.fillRect(QRectF(kCell.left(), kCell.top(), kCell.width() / 2, kCell.height()), negHalf);
    p.fillRect(QRectF(kCell.center().x(), kCell.top(), kCell.width() / 2, kCell.height()), posHalf);
    p.restore();
    p.setPen(QPen(QColor(60, 66, 84), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);

    // Negative charges crowd the negative half, positive ones the other, in two staggered rows.
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const double y = kCell.top() + 13 + row * 20;
            const double x = 13 + col * 18 + (row ? 8 : 0);
            DrawSignedCharge(p, QPointF(kCell.left() + x, y), 6.5, false);
            DrawSignedCharge(p, QPointF(kCell.right() - x, y), 6.5, true);
        }
    }

    // The signs of the terminals, under the cell.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 70, 200));
    p.drawPath(CenteredText(QStringLiteral("−"), ArtFont(26), 76, 362));
    p.setBrush(QColor(200, 36, 28));
    p.drawPath(CenteredText(QStringLiteral("+"), ArtFont(26), 225, 362));
}

void DrawLegend(QPainter& p) {
    const QFont font = ArtFont(24);
    p.setPen(Qt::NoPen);
    p.setBrush(kLegend);
    p.drawPath(CenteredText(QStringLiteral("Sens réel"), font, 150, 258));

    // A clockwise arc over the words: the way the charges go round.
    const QRectF oval(72, 204, 156, 96);
    QPainterPath arc;
    arc.arcMoveTo(oval, 188);
    arc.arcTo(oval, 188, -178);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kLegend, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    const QPointF tip = arc.pointAtPercent(1.0);
    const QPointF before = arc.pointAtPercent(0.94);
    const QLineF axis(before, tip);
    const QPointF unit = (tip - before) / axis.length();
    const QPointF normal(-unit.y(), unit.x());
    const QPointF end = tip + unit * 5;
    p.setPen(Qt::NoPen);
    p.setBrush(kLegend);
    p.drawPolygon(QPolygonF({end + unit * 4, end - unit * 9 + normal * 7, end - unit * 9 - normal * 7}));
}

}  // namespace

QImage DrawCircuitFrame(int frame) {
    QImage image = NewCanvas(resources::kCircuitFrameWidth, resources::kCircuitFrameHeight, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawBackground(p, image.rect());
    DrawLegend(p);
    DrawWires(p);
    DrawLampBack(p);

    // Every charge advances a fifth of the spacing per frame, so after five frames each one stands
    // where the next stood: 115 leads back to 111 by the same step.
    const QPolygonF route = ChargeRoute();
    const double length = Length(route);
    const double phase = kChargeSpacing * (frame % kFrames) / kFrames;
    for (double d = phase; d <= length; d += kChargeSpacing)
        DrawSignedCharge(p, PointAlong(route, d), kChargeRadius, false);
    DrawLampFront(p);

    DrawCell(p);
    p.end();
    return image;
}
