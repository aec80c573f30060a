#pragma once

#include "platform/container.h"

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class Announcer;
class Control;

// A top-level window. Not a Control: its size is the only geometry the course sets.
class Form : public Container {
public:
    explicit Form(QString name);
    ~Form() override;

    const QString& Name() const { return name_; }
    QWidget* ChildHost() const override { return widget_; }
    QWidget* Widget() const { return widget_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void SetWidth(double v);
    void SetHeight(double v);
    void SetCaption(const QString& caption);
    // What screen readers call the window, whatever its caption.
    void SetAccessibleName(const QString& name);
    void SetBackColor(const QColor& color);
    // Borderless and kept out of the task bar.
    void SetBorderless();
    void SetIcon(const QPixmap& icon);
    // A dialog frame: title bar and close box, no minimize or maximize, not resizable.
    void SetFixedDialog();

    // Shows the window centred on the screen, not modal.
    void Show();
    // Hides it; if it was the active window, the window that was active when it showed is again,
    // so that the learner goes on where they were.
    void Hide();

    // Tells screen readers `text` without showing anything, after what they are saying.
    void Announce(const QString& text);

    // Runs when the window becomes the active window.
    std::function<void()> OnActivate;
    // Runs when a key is pressed anywhere in the window and no control used it.
    std::function<void(int key)> OnKey;
    // Runs first, before the control with the focus sees the key; returns true when it used the key.
    // Keys with Ctrl, Alt or Meta never come here.
    std::function<bool(int key)> OnKeyPreview;
    // The controls Tab goes through, in order; those that cannot be reached now are skipped. Without
    // it the toolkit's own order applies.
    std::function<std::vector<Control*>()> TabOrder;
    // Runs when the learner closes the window from its title bar; the window is hidden afterwards.
    std::function<void()> OnClose;

private:
    void Resize();
    QString name_;
    bool fixed_ = false;
    QPointer<QWidget> widget_;
    std::unique_ptr<Announcer> announcer_;
    QPointer<QWidget> previous_;
    double width_ = 0, height_ = 0;
};

}  // namespace platform
