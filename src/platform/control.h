#pragma once
// The base of the control kinds the course uses, over Qt widgets. Positions and sizes are in twips,
// stored exactly as the course gives them and rounded to pixels only when shown. Children of a
// picture box are placed in its coordinates, offset by its scale origin, and clipped to it.
// Stacking order follows construction: a control made later lies in front of its earlier siblings.

#include "platform/trace_event.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace platform {

class Container;

// The widget's dynamic property that holds its control's name (e.g. "Option1(2)"). It is the
// widget's object name too, except where that name would tell assistive technologies more than the
// learner sees (the members of the answers' array).
inline constexpr char kControlProperty[] = "seanceControl";

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
    // What a pointer resting on it shows.
    void SetToolTip(const QString& text);
    // Takes the keyboard focus, as Tab would.
    void SetFocus();
    bool HasFocus() const;

protected:
    Control(Container* parent, QString name);
    void Attach(QWidget* widget);
    // Reports what happened to this control, under its name.
    void Trace(TraceEvent event) const;
    virtual void SizeChanged() {}
    // Runs after SetVisible(true) showed the control.
    virtual void Shown() {}

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

}  // namespace platform
