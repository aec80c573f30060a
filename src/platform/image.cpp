#include "platform/image.h"

#include "platform/container.h"
#include "platform/platform.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace platform {

namespace {

class ClickImage : public QLabel {
public:
    explicit ClickImage(QWidget* parent, Image* image) : QLabel(parent), image_(image) {
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) image_->Click();
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int k = e->key();
        if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) && !e->isAutoRepeat()) {
            image_->Click();
            return;
        }
        QLabel::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QLabel::focusInEvent(e);
        update();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLabel::focusOutEvent(e);
        update();
    }
    void paintEvent(QPaintEvent* e) override {
        QLabel::paintEvent(e);
        if (!hasFocus()) return;
        QPainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

private:
    Image* image_;
};

}  // namespace

Image::Image(Container* parent, QString name) : Control(parent, std::move(name)) {
    auto* label = new ClickImage(parent->ChildHost(), this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Attach(label);
}

void Image::SetPicture(const QPixmap& pixmap) {
    const double scale = P().DisplayScale();
    static_cast<QLabel*>(Widget())->setPixmap(scale == 1 || pixmap.isNull()
                                                  ? pixmap
                                                  : pixmap.scaled((QSizeF(pixmap.size()) * scale).toSize(),
                                                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void Image::SetCursor(const QCursor& cursor) { Widget()->setCursor(cursor); }

void Image::Click() {
    if (!Enabled() || !OnClick) return;
    Trace({.kind = TraceEvent::Kind::Click});
    RunHandler(OnClick);
}

}  // namespace platform
