// The small pictures stored with the windows: the course logo and window icon (a lightning bolt on
// blue), the hand cursor over the logo, the arrows of the page buttons, the About window's logo.

#include "art.h"
#include "resources/media.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

namespace {

// A rounded bar from a to b, width wide: fingers and thumb of the hand.
QPainterPath Capsule(QPointF a, QPointF b, double width) {
    QPainterPath line;
    line.moveTo(a);
    line.lineTo(b);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    return stroker.createStroke(line).simplified();
}

}  // namespace

QImage DrawBoltLogo(int size, bool roundedIcon) {
    QImage image = NewCanvas(size, size, Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);

    const QRectF square(0, 0, 100, 100);
    QLinearGradient blue(0, 0, 0, 100);
    blue.setColorAt(0, QColor(74, 136, 255));
    blue.setColorAt(1, QColor(24, 58, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    if (roundedIcon) {
        p.setPen(QPen(QColor(16, 40, 120), 2.5));
        p.drawRoundedRect(square.adjusted(2, 2, -2, -2), 18, 18);
    } else {
        p.drawRect(square);
    }

    // Kept clear of the edges, so the tip is not cut by the icon's rounded corner.
    const QPolygonF bolt({{60, 9}, {26, 55}, {47, 55}, {37, 91}, {76, 41}, {55, 41}, {69, 9}});
    p.setBrush(QColor(0, 0, 40, 90));
    p.drawPolygon(bolt.translated(3, 3));
    QLinearGradient yellow(0, 9, 0, 91);
    yellow.setColorAt(0, QColor(255, 246, 150));
    yellow.setColorAt(0.5, QColor(255, 214, 30));
    yellow.setColorAt(1, QColor(255, 170, 0));
    p.setBrush(yellow);
    p.setPen(QPen(QColor(120, 70, 0), size <= 32 ? 100.0 / size : 2.5, Qt::SolidLine, Qt::SquareCap,
                  Qt::MiterJoin));
    p.drawPolygon(bolt);
    p.end();
    return image;
}

QImage DrawHandCursor() {
    QImage image = NewCanvas(32, 32, Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The index finger points straight up; its tip is the hot spot.
    const double tipX = resources::kHandHotspotX + 0.5;
    const double tipY = resources::kHandHotspotY - 0.5;
    const double fingerWidth = 5.0;
    QPainterPath hand = Capsule({tipX, tipY + fingerWidth / 2}, {tipX, 17}, fingerWidth);
    hand = hand.united(Capsule({tipX + 4.8, 12.5}, {tipX + 4.8, 18}, 4.6));
    hand = hand.united(Capsule({tipX + 9.2, 14}, {tipX + 9.2, 19}, 4.4));
    hand = hand.united(Capsule({tipX + 13.3, 16}, {tipX + 13.3, 20}, 4.0));
    hand = hand.united(Capsule({tipX - 6.5, 16.5}, {tipX - 2, 23}, 5.0));
    QPainterPath palm;
    palm.addRoundedRect(QRectF(tipX - 2.4, 16, 17.9, 11), 3, 3);
    QPainterPath wrist;
    wrist.addRoundedRect(QRectF(tipX - 1, 24, 14, 7), 1.5, 1.5);
    hand = hand.united(palm).united(wrist).simplified();

    p.setPen(QPen(Qt::black, 1.15, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(tipX + 2.5, 12.5), QPointF(tipX + 2.5, 17.5));
    p.drawLine(QPointF(tipX + 7.0, 13.8), QPointF(tipX + 7.0, 18.5));
    p.drawLine(QPointF(tipX + 11.3, 15.8), QPointF(tipX + 11.3, 19.5));
    p.end();
    return image;
}

QImage DrawArrowButton(bool pointsLeft) {
    QImage image = NewCanvas(40, 30, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF arrow({{6, 11}, {21, 11}, {21, 5}, {34.5, 15}, {21, 25}, {21, 19}, {6, 19}});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 60, 50));
    p.drawPolygon(arrow.translated(0, 1.5));  // straight down, so both arrows share the light
    QLinearGradient blue(0, 5, 0, 25);
    blue.setColorAt(0, QColor(110, 160, 255));
    blue.setColorAt(1, QColor(30, 70, 200));
    p.setBrush(blue);
    p.setPen(QPen(QColor(18, 44, 130), 1.2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.drawPolygon(arrow);
    p.end();
    // One drawing mirrored, so the two buttons match pixel for pixel.
    return pointsLeft ? image.mirrored(true, false) : image;
}

QImage DrawKorvaneLogo() {
    QImage image = NewCanvas(180, 46, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient night(0, 0, 0, 46);
    night.setColorAt(0, QColor(36, 62, 150));
    night.setColorAt(1, QColor(14, 26, 78));
    p.fillRect(image.rect(), night);

    QFont font = ArtFont(40);
    font.setLetterSpacing(QFont::PercentageSpacing, 106);
    const QPainterPath word = FitInto(CenteredText(QStringLiteral("KORVANE"), font, 0, 0),
                                      QRectF(7, 6, 166, 34));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawPath(word.translated(1.5, 2));
    QLinearGradient yellow(0, 6, 0, 40);
    yellow.setColorAt(0, QColor(255, 244, 130));
    yellow.setColorAt(0.55, QColor(255, 212, 20));
    yellow.setColorAt(1, QColor(255, 176, 0));
    p.setBrush(yellow);
    p.setPen(QPen(QColor(110, 70, 0), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.drawPath(word);
    p.end();
    return image;
}
