#include "platform/picture_box.h"

#include "platform/platform.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>

namespace platform {

namespace {

// The logical size a picture is drawn at in a box, at the box's zoom.
QSizeF DrawnSize(const Picture& picture, double zoom) {
    const double scale = P().DisplayScale() * zoom;
    return QSizeF(picture.SizeTwips().width() / P().TwipsPerPixelX() * scale,
                  picture.SizeTwips().height() / P().TwipsPerPixelY() * scale);
}

// The device pixels a PDF page drawn whole at size covers, as PdfPage::Draw rounds them.
QSize DevicePixels(QSizeF size, qreal dpr) { return QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)); }

class PictureWidget : public QWidget {
public:
    explicit PictureWidget(PictureBox* box) : box_(box) { setAttribute(Qt::WA_OpaquePaintEvent); }
    QColor back{255, 255, 255};

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), back);
        const Picture& picture = box_->GetPicture();
        if (picture.IsNull()) return;
        const double scale = P().DisplayScale() * box_->Zoom();
        const QSizeF size = DrawnSize(picture, box_->Zoom());
        // A photograph drawn at another size than its pixels (a fitted lesson, a slide at the screen's
        // size) is smoothed from its own pixels, not decimated.
        const bool smooth = !picture.IsVector() && scale != 1;
        // On a printer or a PDF the slide goes as the vectors and text it is made of.
        const bool onPixels = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
        if (!(picture.IsVector() || smooth) || !onPixels) {
            if (smooth) painter.setRenderHint(QPainter::SmoothPixmapTransform);
            picture.Draw(painter, QRectF(QPointF(0, 0), size));
            return;
        }
        // Vector slides (and smoothed photographs) are drawn once per size, visible part and device
        // pixel ratio, then repainted from that: a fitted slide is drawn again from its vectors at its
        // smaller size, as sharp as any. Only the part inside the window is drawn: a slide far larger
        // than the screen must not cost a picture of its whole size.
        const qreal dpr = devicePixelRatioF();
        const QRect visible = rect().intersected(QRect(mapFrom(window(), QPoint(0, 0)), window()->size()));
        if (visible.isEmpty()) return;
        const void* key = picture.Identity();
        if (cacheKey_ != key || cacheSize_ != size || cacheRect_ != visible || cache_.devicePixelRatioF() != dpr) {
            cache_ = QPixmap(visible.size() * dpr);
            cache_.setDevicePixelRatio(dpr);
            cache_.fill(back);
            QPainter p(&cache_);  // the slide sets its own render hints
            if (smooth) p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.translate(-visible.topLeft());
            p.setClipRect(visible);
            // A page seen whole may have been drawn already, while the one before it was read.
            QImage ahead;
            if (picture.Pdf() && visible == rect()) ahead = PdfPage::DrawnAhead(picture.Pdf(), DevicePixels(size, dpr));
            if (!ahead.isNull()) {
                ahead.setDevicePixelRatio(dpr);
                p.drawImage(QPointF(0, 0), ahead);
            } else {
                picture.Draw(p, QRectF(QPointF(0, 0), size));
            }
            cacheKey_ = key;
            cacheSize_ = size;
            cacheRect_ = visible;
        }
        painter.drawPixmap(visible.topLeft(), cache_);
    }

private:
    PictureBox* box_;
    QPixmap cache_;
    const void* cacheKey_ = nullptr;
    QSizeF cacheSize_;
    QRect cacheRect_;
};

}  // namespace

PictureBox::PictureBox(Container* parent, QString name) : Control(parent, std::move(name)) {
    auto* w = new PictureWidget(this);
    w->setParent(parent->ChildHost());
    Attach(w);
}

void PictureBox::SetAutoSize(bool on) {
    autoSize_ = on;
    ApplyAutoSize();
}

void PictureBox::SetZoom(double zoom) {
    if (zoom == zoom_) return;
    zoom_ = zoom;
    ApplyAutoSize();
    Widget()->update();
}

void PictureBox::DrawAhead(const Picture& picture, double zoom) const {
    // A window not shown draws nothing (the storyboard, the tests): nothing to draw ahead either.
    if (!picture.PdfShared() || !Widget()->isVisible()) return;
    PdfPage::DrawAhead(picture.PdfShared(), DevicePixels(DrawnSize(picture, zoom), Widget()->devicePixelRatioF()));
}

void PictureBox::SetBackColor(const QColor& color) {
    static_cast<PictureWidget*>(Widget())->back = color;
    Widget()->update();
}

void PictureBox::SetPicture(const Picture& picture, const QString& sourceName) {
    ShowPicture(picture, {.kind = TraceEvent::Kind::Picture, .text = sourceName});
}

void PictureBox::SetPicture(const Picture& picture, int resource) {
    ShowPicture(picture, {.kind = TraceEvent::Kind::Picture, .resource = resource});
}

void PictureBox::ShowPicture(const Picture& picture, TraceEvent event) {
    // The page loops set the same picture again on every pass of a tick: that must cost nothing,
    // neither a repaint nor a trace line.
    if (picture.SameAs(picture_)) {
        ApplyAutoSize();
        return;
    }
    picture_ = picture;
    resource_ = event.resource;
    SetAccessibleDescription(picture.Text());  // what a screen reader reads of the slide
    Trace(picture.IsNull() ? TraceEvent{.kind = TraceEvent::Kind::PictureRemoved} : std::move(event));
    ApplyAutoSize();
    Widget()->update();
    if (OnChange) OnChange();
}

void PictureBox::Shown() {
    if (OnShow) OnShow();
}

void PictureBox::ApplyAutoSize() {
    if (!autoSize_ || picture_.IsNull()) return;
    Resize(picture_.SizeTwips().width() * zoom_, picture_.SizeTwips().height() * zoom_);
}

// Deviation: moving the scale origin keeps the controls already inside where they stand on the
// screen (their Left and Top are re-read from the new origin) instead of shifting them with it, so
// that a control placed before the move, such as the notice line of the first slide, is not
// thrown off the slide when it shows again.
void PictureBox::SetScaleLeft(double v) {
    for (Control* c : Children()) c->left_ += v - scaleLeft_;
    scaleLeft_ = v;
}

void PictureBox::SetScaleTop(double v) {
    for (Control* c : Children()) c->top_ += v - scaleTop_;
    scaleTop_ = v;
}

}  // namespace platform
