// Page 14's strips: a piece of conductor with seven electrons drifting to the right. The electrons
// are evenly spaced across the width and wrap round its edges, so the picture is periodic: moving
// them a seventh of their spacing per frame makes 116..122,116.. a steady drift, and the reverse
// order a steady drift to the left.

#include "art.h"
#include "resources/media.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr int kW = resources::kStripFrameWidth;
constexpr int kH = resources::kStripFrameHeight;
constexpr int kElectrons = resources::kStripElectrons;
constexpr int kFrames = resources::kLastStripFrame - resources::kFirstStripFrame + 1;
constexpr double kSpacing = double(kW) / kElectrons;
constexpr double kRadius = 12.5;
constexpr double kCentreY = kH / 2.0;

void DrawConductor(QPainter& p) {
    // A copper bar lit from above, filling the strip; thin dark edges top and bottom.
    QLinearGradient copper(0, 0, 0, kH);
    copper.setColorAt(0.00, QColor(120, 62, 24));
    copper.setColorAt(0.06, QColor(170, 92, 42));
    copper.setColorAt(0.22, QColor(246, 190, 140));
    copper.setColorAt(0.40, QColor(214, 136, 76));
    copper.setColorAt(0.80, QColor(176, 100, 48));
    copper.setColorAt(0.94, QColor(138, 74, 32));
    copper.setColorAt(1.00, QColor(96, 50, 20));
    p.fillRect(QRectF(0, 0, kW, kH), copper);
}

void DrawElectron(QPainter& p, QPointF c) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 30, 0, 70));
    p.drawEllipse(c + QPointF(1.2, 2.0), kRadius, kRadius);

    QRadialGradient body(c + QPointF(-kRadius * 0.35, -kRadius * 0.4), kRadius * 1.35);
    body.setColorAt(0.0, QColor(255, 253, 210));
    body.setColorAt(0.35, QColor(255, 232, 60));
    body.setColorAt(1.0, QColor(226, 168, 0));
    p.setPen(QPen(QColor(128, 90, 0), 1.2));
    p.setBrush(body);
    p.drawEllipse(c, kRadius, kRadius);

    p.setPen(QPen(QColor(70, 40, 0), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c - QPointF(5.5, 0), c + QPointF(5.5, 0));
}

}  // namespace

QImage DrawStripFrame(int frame) {
    QImage image = NewCanvas(kW, kH, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawConductor(p);
    const double offset = kSpacing * 0.5 + kSpacing * (frame % kFrames) / kFrames;
    for (int i = 0; i < kElectrons; ++i) {
        const double x = offset + i * kSpacing;
        // Drawn once more a strip's width to the left, so the one leaving on the right comes back
        // in on the left.
        for (const double shift : {0.0, -double(kW)}) {
            const QPointF c(x + shift, kCentreY);
            if (c.x() + kRadius + 3 > 0 && c.x() - kRadius - 3 < kW) DrawElectron(p, c);
        }
    }
    p.end();
    return image;
}
