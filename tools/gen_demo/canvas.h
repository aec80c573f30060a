#pragma once
// A slide is drawn once, through this interface, by the code in slides.cpp. Two canvases take
// the drawing: the EMF writer (the real slide) and a QPainter preview used to look at the
// slides and to check them. Coordinates are slide pixels (1024 x 768); text is laid out here,
// with the advances of Liberation Sans, so both canvases put every character at the same place.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <vector>

namespace demo {

constexpr int kSlideWidth = 1024;
constexpr int kSlideHeight = 768;

struct TextStyle {
    double px = 20;  // em height in slide pixels
    bool bold = false;
    bool italic = false;
    QColor color = QColor(20, 30, 60);
};

enum class Align { Left, Center };

// One line of text ready to draw: its reference point (top-left, or top-centre when centred)
// and the advance of every UTF-16 unit, in slide pixels.
struct TextRun {
    QString text;
    double x = 0;
    double y = 0;
    Align align = Align::Left;
    TextStyle style;
    std::vector<double> advances;
    double Width() const;
    QRectF Bounds() const;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // Outline colour and width in pixels; a width of 0 means no outline.
    virtual void SetPen(const QColor& color, double width) = 0;
    // Fill colour; an invalid colour means no fill.
    virtual void SetBrush(const QColor& color) = 0;
    virtual void Rect(const QRectF& r) = 0;
    virtual void Ellipse(const QRectF& r) = 0;
    virtual void Polygon(const QPolygonF& points) = 0;
    virtual void Polyline(const QPolygonF& points) = 0;
    virtual void Text(const TextRun& run) = 0;
    virtual void Bitmap(const QRectF& target, const QImage& image) = 0;
};

// Advances of text in a style (slide pixels, one per UTF-16 unit).
std::vector<double> Advances(const QString& text, const TextStyle& style);
double TextWidth(const QString& text, const TextStyle& style);
// Height of a line of text in a style, as the slides space their lines.
double LineHeight(const TextStyle& style);

// Draws one line of text.
void Line(Canvas& c, double x, double y, const QString& text, const TextStyle& style, Align align = Align::Left);
// Wraps text to a width and draws it from (x, y); returns the y below the last line.
double Paragraph(Canvas& c, double x, double y, double width, const QString& text, const TextStyle& style);
// A bullet point: a small disc, then the wrapped text indented after it.
double Bullet(Canvas& c, double x, double y, double width, const QString& text, const TextStyle& style);
// A straight arrow from a to b with a filled head.
void Arrow(Canvas& c, QPointF a, QPointF b, const QColor& color, double width = 3);

// Records the bounding boxes of what is drawn, so that the generator can prove that no text or
// drawing lies where a photograph, a frame or a strip lands.
class BoundsCanvas : public Canvas {
public:
    void SetPen(const QColor& color, double width) override;
    void SetBrush(const QColor&) override {}
    void Rect(const QRectF& r) override { Add(r, false); }
    void Ellipse(const QRectF& r) override { Add(r, false); }
    void Polygon(const QPolygonF& p) override { Add(p.boundingRect(), false); }
    void Polyline(const QPolygonF& p) override { Add(p.boundingRect(), false); }
    void Text(const TextRun& run) override { Add(run.Bounds(), true); }
    void Bitmap(const QRectF& target, const QImage&) override { Add(target, false); }

    struct Item {
        QRectF rect;
        bool text;
    };
    QList<Item> items;
    bool skipBackground = true;  // the first full-slide rectangle is the background

private:
    void Add(QRectF r, bool text);
    double penWidth_ = 0;
};

// Draws on a QPainter at 1 slide pixel = 1 device pixel (the preview).
class PainterCanvas : public Canvas {
public:
    explicit PainterCanvas(class QPainter& painter) : p_(painter) {}
    void SetPen(const QColor& color, double width) override;
    void SetBrush(const QColor& color) override;
    void Rect(const QRectF& r) override;
    void Ellipse(const QRectF& r) override;
    void Polygon(const QPolygonF& points) override;
    void Polyline(const QPolygonF& points) override;
    void Text(const TextRun& run) override;
    void Bitmap(const QRectF& target, const QImage& image) override;

private:
    QPainter& p_;
};

QFont FontFor(const TextStyle& style, double pixelSize);

}  // namespace demo
