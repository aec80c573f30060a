#include "canvas.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <QtMath>
#include <cmath>
#include <stdexcept>

namespace demo {

namespace {
// Metrics are taken at this many times the wanted size so that hinting and rounding of the
// font engine do not show in the advances.
constexpr int kMetricScale = 16;
}  // namespace

QFont FontFor(const TextStyle& style, double pixelSize) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(style.bold);
    f.setItalic(style.italic);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::NoFontMerging);
    // The slides name Liberation Sans; measuring with another face would misplace every line.
    if (QFontInfo(f).family() != QStringLiteral("Liberation Sans"))
        throw std::runtime_error("the font Liberation Sans is not installed (Debian package fonts-liberation2)");
    return f;
}

std::vector<double> Advances(const QString& text, const TextStyle& style) {
    const QFontMetricsF fm(FontFor(style, style.px * kMetricScale));
    std::vector<double> out;
    out.reserve(text.size());
    for (QChar ch : text) {
        // Whole twips, as the metafile stores them (1 pixel = 15 twips).
        const double twips = std::round(fm.horizontalAdvance(ch) / kMetricScale * 15.0);
        out.push_back(twips / 15.0);
    }
    return out;
}

double TextWidth(const QString& text, const TextStyle& style) {
    double w = 0;
    for (double a : Advances(text, style)) w += a;
    return w;
}

double LineHeight(const TextStyle& style) { return std::round(style.px * 1.3); }

double TextRun::Width() const {
    double w = 0;
    for (double a : advances) w += a;
    return w;
}

QRectF TextRun::Bounds() const {
    const double w = Width();
    const double left = align == Align::Center ? x - w / 2 : x;
    return QRectF(left, y, w, LineHeight(style));
}

void Line(Canvas& c, double x, double y, const QString& text, const TextStyle& style, Align align) {
    if (text.isEmpty()) return;
    TextRun run;
    run.text = text;
    run.x = x;
    run.y = y;
    run.align = align;
    run.style = style;
    run.advances = Advances(text, style);
    c.Text(run);
}

double Paragraph(Canvas& c, double x, double y, double width, const QString& text, const TextStyle& style) {
    const double lh = LineHeight(style);
    const double space = TextWidth(QStringLiteral(" "), style);
    for (const QString& hardLine : text.split(QLatin1Char('\n'))) {
        QString line;
        double lineWidth = 0;
        for (const QString& word : hardLine.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const double ww = TextWidth(word, style);
            if (!line.isEmpty() && lineWidth + space + ww > width) {
                Line(c, x, y, line, style);
                y += lh;
                line.clear();
                lineWidth = 0;
            }
            if (!line.isEmpty()) {
                line += QLatin1Char(' ');
                lineWidth += space;
            }
            line += word;
            lineWidth += ww;
        }
        if (!line.isEmpty()) Line(c, x, y, line, style);
        y += lh;
    }
    return y;
}

double Bullet(Canvas& c, double x, double y, double width, const QString& text, const TextStyle& style) {
    const double d = std::round(style.px * 0.35);
    c.SetPen(QColor(), 0);
    c.SetBrush(QColor(200, 90, 20));
    const double mid = y + LineHeight(style) / 2;
    c.Ellipse(QRectF(x, mid - d / 2, d, d));
    const double indent = std::round(style.px * 1.1);
    return Paragraph(c, x + indent, y, width - indent, text, style);
}

void Arrow(Canvas& c, QPointF a, QPointF b, const QColor& color, double width) {
    const QLineF l(a, b);
    const double head = 6 + width * 2.5;
    const QPointF u = (b - a) / l.length();
    const QPointF n(-u.y(), u.x());
    const QPointF base = b - u * head;
    c.SetPen(color, width);
    c.SetBrush(QColor());
    c.Polyline(QPolygonF({a, base}));
    c.SetPen(QColor(), 0);
    c.SetBrush(color);
    c.Polygon(QPolygonF({b, base + n * head * 0.5, base - n * head * 0.5}));
}

void BoundsCanvas::SetPen(const QColor& color, double width) { penWidth_ = color.isValid() ? width : 0; }

void BoundsCanvas::Add(QRectF r, bool text) {
    if (skipBackground && !text && r == QRectF(0, 0, kSlideWidth, kSlideHeight)) {
        skipBackground = false;
        return;
    }
    const double m = penWidth_ / 2;
    items.append({text ? r : r.adjusted(-m, -m, m, m), text});
}

void PainterCanvas::SetPen(const QColor& color, double width) {
    if (!color.isValid() || width <= 0) {
        p_.setPen(Qt::NoPen);
        return;
    }
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p_.setPen(pen);
}

void PainterCanvas::SetBrush(const QColor& color) {
    p_.setBrush(color.isValid() ? QBrush(color) : QBrush(Qt::NoBrush));
}

void PainterCanvas::Rect(const QRectF& r) { p_.drawRect(r); }
void PainterCanvas::Ellipse(const QRectF& r) { p_.drawEllipse(r); }
void PainterCanvas::Polygon(const QPolygonF& points) { p_.drawPolygon(points); }
void PainterCanvas::Polyline(const QPolygonF& points) { p_.drawPolyline(points); }

void PainterCanvas::Text(const TextRun& run) {
    const QFont f = FontFor(run.style, run.style.px * kMetricScale);
    const QFontMetricsF fm(f);
    p_.save();
    p_.setFont(f);
    p_.setPen(run.style.color);
    double x = run.align == Align::Center ? run.x - run.Width() / 2 : run.x;
    p_.translate(0, run.y + fm.ascent() / kMetricScale);
    for (int i = 0; i < run.text.size(); ++i) {
        p_.save();
        p_.translate(x, 0);
        p_.scale(1.0 / kMetricScale, 1.0 / kMetricScale);
        p_.drawText(QPointF(0, 0), QString(run.text[i]));
        p_.restore();
        x += run.advances[i];
    }
    p_.restore();
}

void PainterCanvas::Bitmap(const QRectF& target, const QImage& image) { p_.drawImage(target, image); }

}  // namespace demo
