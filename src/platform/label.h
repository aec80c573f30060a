#pragma once

#include "platform/control.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

class QLabel;

namespace platform {

class Label : public Control {
public:
    Label(Container* parent, QString name);
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void SetWordWrap(bool on);
    void SetFont(const QFont& font);
    void SetForeColor(const QColor& color);
    // An opaque label paints its own background; a transparent one shows what lies under it.
    void SetOpaque(const QColor& background);
    void SetAlignment(Qt::Alignment alignment);
    // Runs after the caption changed.
    std::function<void()> OnChange;

protected:
    void SizeChanged() override;

private:
    void Fit();
    QLabel* label_;
    QString caption_;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    bool fitting_ = false;
};

}  // namespace platform
