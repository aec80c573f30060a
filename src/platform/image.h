#pragma once

#include "platform/control.h"

#include <QCursor>
#include <QPixmap>
#include <QString>
#include <functional>

namespace platform {

// A picture shown at its natural size, with its own mouse pointer, that reacts to clicks, and to
// Space or Enter when it has the focus.
class Image : public Control {
public:
    Image(Container* parent, QString name);
    void SetPicture(const QPixmap& pixmap);
    void SetCursor(const QCursor& cursor);
    std::function<void()> OnClick;
    void Click();
};

}  // namespace platform
