#include "platform/label.h"

#include "platform/container.h"
#include "platform/platform.h"
#include "platform/twips.h"

#include <QLabel>
#include <algorithm>

namespace platform {

Label::Label(Container* parent, QString name) : Control(parent, std::move(name)) {
    label_ = new QLabel(parent->ChildHost());
    label_->setAutoFillBackground(false);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    Attach(label_);
}

void Label::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    label_->setText(caption);
    Trace({.kind = TraceEvent::Kind::Caption, .text = caption});
    Fit();
    if (OnChange) OnChange();
}

void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    Fit();
}

void Label::SetWordWrap(bool on) {
    wordWrap_ = on;
    label_->setWordWrap(on);
    Fit();
}

void Label::SetFont(const QFont& font) {
    label_->setFont(Scaled(font));
    Fit();
}

void Label::SetForeColor(const QColor& color) {
    QPalette pal = label_->palette();
    pal.setColor(QPalette::WindowText, color);
    label_->setPalette(pal);
}

void Label::SetOpaque(const QColor& background) {
    QPalette pal = label_->palette();
    pal.setColor(QPalette::Window, background);
    label_->setPalette(pal);
    label_->setAutoFillBackground(true);
}

void Label::SetAlignment(Qt::Alignment alignment) { label_->setAlignment(alignment); }

void Label::SizeChanged() { Fit(); }

void Label::Fit() {
    if (!autoSize_ || fitting_) return;
    fitting_ = true;
    const double tx = P().TwipsPerPixelX(), ty = P().TwipsPerPixelY();
    if (wordWrap_) {
        // Keeps its width and grows downwards.
        const int widthPx = std::max(1, ToPixels(Width(), tx));
        const int h = caption_.isEmpty() ? label_->fontMetrics().height() : label_->heightForWidth(widthPx);
        SetHeight(ToTwips(std::max(h, label_->fontMetrics().height()), ty));
    } else {
        const QSize hint = label_->sizeHint();
        SetWidth(ToTwips(hint.width(), tx));
        SetHeight(ToTwips(hint.height(), ty));
    }
    fitting_ = false;
}

}  // namespace platform
