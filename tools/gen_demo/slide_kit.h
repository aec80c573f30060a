#pragma once
// The look of the demo's slides, shared by both séances: colours, text styles, French spacing, the
// background, and the symbols of charges, cells, lamps and meters.

#include "canvas.h"

#include <QtMath>
#include <cmath>

namespace demo {

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

inline TextStyle Body(double px = 21, QColor color = kInk) {
    TextStyle s;
    s.px = px;
    s.color = color;
    return s;
}

inline TextStyle Bold(double px, QColor color = kInk) {
    TextStyle s;
    s.px = px;
    s.bold = true;
    s.color = color;
    return s;
}

inline TextStyle Small(QColor color = kMuted) {
    TextStyle s;
    s.px = 15;
    s.color = color;
    return s;
}

// French typography: a non-breaking space before : ; ? ! and inside « », so that no line
// starts with a colon or a closing quote.
inline QString Fr(const char* utf8) {
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

inline void Background(Canvas& c) {
    c.SetPen(QColor(), 0);
    c.SetBrush(kBackground);
    c.Rect(QRectF(0, 0, kSlideWidth, kSlideHeight));
    c.SetBrush(kTitle);
    c.Rect(QRectF(0, 0, 12, kSlideHeight));
}

// A title slide's top: the course's name on a dark band, the séance's title under it.
inline void TitleBanner(Canvas& c, const QString& seance) {
    Background(c);
    c.SetPen(QColor(), 0);
    c.SetBrush(kTitle);
    c.Rect(QRectF(0, 0, kSlideWidth, 250));
    c.SetBrush(kAccent);
    c.Rect(QRectF(0, 250, kSlideWidth, 6));
    Line(c, 512, 60, Fr("Cours d'électricité"), Bold(52, Qt::white), Align::Center);
    Line(c, 512, 140, seance, Bold(34, QColor(255, 214, 150)), Align::Center);
}

// A charged particle: a disc with its sign.
inline void Particle(Canvas& c, QPointF at, double r, const QColor& fill, const QString& sign) {
    c.SetPen(fill.darker(140), 1.5);
    c.SetBrush(fill);
    c.Ellipse(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
    if (sign.isEmpty()) return;
    TextStyle s = Bold(std::round(r * 1.5), Qt::white);
    Line(c, at.x(), at.y() - LineHeight(s) / 2, sign, s, Align::Center);
}

inline QString Minus() { return QString(QChar(0x2212)); }

// A nucleus of protons and neutrons with electrons on one or two orbits.
inline void Atom(Canvas& c, QPointF centre, double orbit, int inner, int outer) {
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
inline void CellSymbol(Canvas& c, QPointF centre, double scale = 1) {
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
inline void LampSymbol(Canvas& c, QPointF centre, double r, bool lit) {
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
inline void MeterSymbol(Canvas& c, QPointF centre, const QString& letter) {
    c.SetPen(kWire, 3);
    c.SetBrush(Qt::white);
    c.Ellipse(QRectF(centre.x() - 22, centre.y() - 22, 44, 44));
    TextStyle s = Bold(24, kTitle);
    Line(c, centre.x(), centre.y() - LineHeight(s) / 2, letter, s, Align::Center);
}

inline void Wire(Canvas& c, const QPolygonF& path) {
    c.SetPen(kWire, 3);
    c.SetBrush(QColor());
    c.Polyline(path);
}

inline void Box(Canvas& c, const QRectF& r, const QColor& fill, const QColor& border) {
    c.SetPen(border, 2);
    c.SetBrush(fill);
    c.Rect(r);
}

}  // namespace demo
