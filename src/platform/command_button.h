#pragma once

#include "platform/control.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <functional>

class QPushButton;

namespace platform {

class CommandButton : public Control {
public:
    CommandButton(Container* parent, QString name);
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    void SetFont(const QFont& font);
    // The graphical style: a picture on a plain background instead of the system button face.
    void SetGraphical(const QPixmap& icon, const QColor& background);
    // A flat face of that colour, with a frame of `frame` `width` pixels thick while it has the
    // keyboard focus (a thin one of the same colour otherwise): a focus no seeing user can miss.
    void SetFocusFrame(const QColor& face, const QColor& frame, int width);

    std::function<void()> OnClick;
    // What a learner's click does: runs OnClick if the button is enabled.
    void Click();

protected:
    void SizeChanged() override;

private:
    QPushButton* button_;
    QString caption_;
};

}  // namespace platform
