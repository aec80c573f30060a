#include "platform/command_button.h"

#include "platform/container.h"
#include "platform/platform.h"
#include "platform/twips.h"

#include <QIcon>
#include <QPushButton>

namespace platform {

CommandButton::CommandButton(Container* parent, QString name) : Control(parent, std::move(name)) {
    button_ = new QPushButton(parent->ChildHost());
    QObject::connect(button_, &QPushButton::clicked, button_, [this] { Click(); });
    Attach(button_);
}

void CommandButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    button_->setText(caption);
    Trace({.kind = TraceEvent::Kind::Caption, .text = caption});
}

void CommandButton::SetFont(const QFont& font) { button_->setFont(Scaled(font)); }

void CommandButton::SetGraphical(const QPixmap& icon, const QColor& background) {
    button_->setIcon(QIcon(icon));
    button_->setFlat(true);
    button_->setAutoFillBackground(true);
    QPalette pal = button_->palette();
    pal.setColor(QPalette::Button, background);
    pal.setColor(QPalette::Window, background);
    button_->setPalette(pal);
    SizeChanged();
}

void CommandButton::SetFocusFrame(const QColor& face, const QColor& frame, int width) {
    // Padding makes up the frame's thickness, so that the text does not move when the focus comes.
    button_->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: black; border: 1px solid %2; padding: %3px; }"
                                          "QPushButton:focus { border: %4px solid %2; padding: 0px; }")
                               .arg(face.name(), frame.name())
                               .arg(width - 1)
                               .arg(width));
}

void CommandButton::SizeChanged() {
    if (button_ && !button_->icon().isNull()) {
        const QSize avail = button_->size() - QSize(8, 8);
        button_->setIconSize(button_->icon().actualSize(avail.expandedTo(QSize(1, 1))));
    }
}

void CommandButton::Click() {
    if (!Enabled() || !OnClick) return;
    Trace({.kind = TraceEvent::Kind::Click});
    RunHandler(OnClick);
}

}  // namespace platform
