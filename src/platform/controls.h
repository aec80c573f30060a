#pragma once
// The few control kinds the course uses, over Qt widgets. Positions and sizes are in twips,
// stored exactly as the course gives them and rounded to pixels only when shown. Children of a
// picture box are placed in its coordinates, offset by its scale origin, and clipped to it.
// Stacking order follows construction: a control made later lies in front of its earlier siblings.

#include "platform/picture.h"
#include "platform/trace_event.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QAbstractButton;

namespace platform {

class Container;

// Liberation Sans at the given point size: the stand-in for the classic system sans-serif face.
QFont UiFont(double points, bool bold = false);

class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const QString& Name() const { return name_; }
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void SetLeft(double v);
    void SetTop(double v);
    void SetWidth(double v);
    void SetHeight(double v);
    // Moves to left and top with the size unchanged.
    void Move(double left, double top);
    void Resize(double width, double height);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // True when a learner could click it now: shown on screen through all its containers and enabled.
    bool Reachable() const;
    QWidget* Widget() const { return widget_; }
    Container* Parent() const { return parent_; }

    // Applies the twips geometry to the widget.
    void Place();

    // What screen readers say for the control; a change is announced to them.
    void SetAccessibleName(const QString& name);
    void SetAccessibleDescription(const QString& description);
    // Takes the keyboard focus, as Tab would.
    void SetFocus();
    bool HasFocus() const;

protected:
    Control(Container* parent, QString name);
    void Attach(QWidget* widget);
    // Reports what happened to this control, under its name.
    void Trace(TraceEvent event) const;
    virtual void SizeChanged() {}

private:
    friend class PictureBox;
    void SetGeometry(double left, double top, double width, double height);

    Container* parent_;
    QString name_;
    QPointer<QWidget> widget_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
};

// Something that holds child controls: the window or a picture box.
class Container {
public:
    virtual ~Container() = default;
    virtual QWidget* ChildHost() const = 0;
    virtual double ScaleLeft() const { return 0; }
    virtual double ScaleTop() const { return 0; }
    void AddChild(Control* child) { children_.push_back(child); }
    void RemoveChild(Control* child);
    const std::vector<Control*>& Children() const { return children_; }

private:
    std::vector<Control*> children_;
};

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
    void Hide();

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
    double width_ = 0, height_ = 0;
};

class PictureBox : public Control, public Container {
public:
    PictureBox(Container* parent, QString name);
    QWidget* ChildHost() const override { return Widget(); }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void SetBackColor(const QColor& color);
    // Shows a picture at the box's top-left corner at its natural size; with auto-size on, the box
    // takes that size. sourceName is what traces call it (the file name).
    void SetPicture(const Picture& picture, const QString& sourceName = {});
    // The same for one of the program's own bitmaps, traced by its number.
    void SetPicture(const Picture& picture, int resource);
    const Picture& GetPicture() const { return picture_; }

    double ScaleLeft() const override { return scaleLeft_; }
    double ScaleTop() const override { return scaleTop_; }
    // Moves the origin of the coordinates its children are read and set in. Children already placed
    // stay where they are on the screen; their Left and Top now read in the new coordinates.
    void SetScaleLeft(double v);
    void SetScaleTop(double v);

private:
    void ShowPicture(const Picture& picture, TraceEvent event);
    void ApplyAutoSize();
    Picture picture_;
    bool autoSize_ = false;
    double scaleLeft_ = 0, scaleTop_ = 0;
};

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

class CommandButton : public Control {
public:
    CommandButton(Container* parent, QString name);
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    void SetFont(const QFont& font);
    // The graphical style: a picture on a plain background instead of the system button face.
    void SetGraphical(const QPixmap& icon, const QColor& background);

    std::function<void()> OnClick;
    // What a learner's click does: runs OnClick if the button is enabled.
    void Click();

protected:
    void SizeChanged() override;

private:
    QPushButton* button_;
    QString caption_;
};

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

class OptionButtonArray {
public:
    OptionButtonArray(Container* parent, QString name, int count);
    OptionButton& operator()(int index) { return *members_.at(static_cast<size_t>(index)); }
    const OptionButton& operator()(int index) const { return *members_.at(static_cast<size_t>(index)); }
    int Count() const { return static_cast<int>(members_.size()); }
    const QString& Name() const { return name_; }

    std::function<void(int16_t index)> OnClick;

private:
    QString name_;
    std::vector<std::unique_ptr<OptionButton>> members_;
};

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
