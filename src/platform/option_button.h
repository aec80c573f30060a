#pragma once

#include "platform/control.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>

class QAbstractButton;

namespace platform {

class OptionButtonArray;

// One member of an option-button group. The caption wraps inside the button, and a click anywhere
// on the button, text included, selects it.
class OptionButton : public Control {
public:
    OptionButton(Container* parent, QString name, OptionButtonArray* array, int16_t index);
    int16_t Index() const { return index_; }
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Value() const;
    // Selecting one clears the others; neither raises a click.
    void SetValue(bool on);
    void SetFont(const QFont& font);
    void SetBackColor(const QColor& color);
    // What a learner's click does: selects it and raises the group's click with its index.
    void Click();

private:
    friend class OptionButtonArray;
    QAbstractButton* button_;
    OptionButtonArray* array_;
    int16_t index_;
    QString caption_;
};

}  // namespace platform
