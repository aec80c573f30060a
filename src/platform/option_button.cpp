#include "platform/option_button.h"

#include "platform/container.h"
#include "platform/option_button_array.h"
#include "platform/platform.h"
#include "platform/twips.h"

#include <QAbstractButton>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace platform {

namespace {

// An option button whose caption wraps within the button.
class WrapOption : public QAbstractButton {
public:
    explicit WrapOption(QWidget* parent) : QAbstractButton(parent) {
        setCheckable(true);
        setAutoExclusive(true);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (isDown()) opt.state |= QStyle::State_Sunken;
        const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &opt, this);
        const int indicatorH = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &opt, this);
        opt.rect = QRect(2, (height() - indicatorH) / 2, indicator, indicatorH);
        style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &opt, &painter, this);
        const QRect textRect(indicator + 8, 0, width() - indicator - 10, height());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text());
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = painter.boundingRect(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text())
                             .adjusted(-2, -1, 2, 1);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
    QSize sizeHint() const override { return {200, 24}; }
};

}  // namespace

OptionButton::OptionButton(Container* parent, QString name, OptionButtonArray* array, int16_t index)
    : Control(parent, std::move(name)), array_(array), index_(index) {
    button_ = new WrapOption(parent->ChildHost());
    QObject::connect(button_, &QAbstractButton::clicked, button_, [this] {
        if (array_->OnClick) {
            Trace({.kind = TraceEvent::Kind::Click});
            RunHandler([this] { array_->OnClick(index_); });
        }
    });
    Attach(button_);
}

void OptionButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    button_->setText(caption);
    button_->update();
    Trace({.kind = TraceEvent::Kind::Caption, .text = caption});
}

bool OptionButton::Value() const { return button_->isChecked(); }

void OptionButton::SetValue(bool on) {
    if (on == button_->isChecked()) return;
    // An exclusive button cannot be cleared directly; lift the exclusivity for that moment.
    button_->setAutoExclusive(on);
    button_->setChecked(on);
    button_->setAutoExclusive(true);
}

void OptionButton::SetFont(const QFont& font) { button_->setFont(Scaled(font)); }

void OptionButton::SetBackColor(const QColor& color) {
    QPalette pal = button_->palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Button, color);
    button_->setPalette(pal);
}

void OptionButton::Click() {
    if (!Enabled()) return;
    // The same path as a real click: check, then the clicked signal runs the group's handler.
    button_->click();
}

}  // namespace platform
