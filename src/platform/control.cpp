#include "platform/control.h"

#include "platform/container.h"
#include "platform/platform.h"
#include "platform/twips.h"

#include <algorithm>

namespace platform {

Control::Control(Container* parent, QString name) : parent_(parent), name_(std::move(name)) {
    if (parent_) parent_->AddChild(this);
}

Control::~Control() {
    if (parent_) parent_->RemoveChild(this);
    delete widget_.data();
}

void Control::Attach(QWidget* widget) {
    widget_ = widget;
    widget->setObjectName(name_);
    widget->setProperty(kControlProperty, name_);
    Place();
    widget->show();
}

void Control::Trace(TraceEvent event) const {
    event.control = name_;
    P().Trace(event);
}

void Control::SetGeometry(double left, double top, double width, double height) {
    const bool moved = left != left_ || top != top_;
    const bool resized = width != width_ || height != height_;
    if (!moved && !resized) return;
    left_ = left;
    top_ = top;
    width_ = std::max(0.0, width);
    height_ = std::max(0.0, height);
    Place();
    if (moved) Trace({.kind = TraceEvent::Kind::Move, .x = left_, .y = top_});
    if (resized) {
        Trace({.kind = TraceEvent::Kind::Size, .x = width_, .y = height_});
        SizeChanged();
    }
}

void Control::SetLeft(double v) { SetGeometry(v, top_, width_, height_); }
void Control::SetTop(double v) { SetGeometry(left_, v, width_, height_); }
void Control::SetWidth(double v) { SetGeometry(left_, top_, v, height_); }
void Control::SetHeight(double v) { SetGeometry(left_, top_, width_, v); }
void Control::Move(double left, double top) { SetGeometry(left, top, width_, height_); }
void Control::Resize(double width, double height) { SetGeometry(left_, top_, width, height); }

void Control::Place() {
    if (!widget_) return;
    const double tx = P().TwipsPerPixelX();
    const double ty = P().TwipsPerPixelY();
    const double sl = parent_ ? parent_->ScaleLeft() : 0;
    const double st = parent_ ? parent_->ScaleTop() : 0;
    // Both edges are rounded, so that boxes laid edge to edge in twips touch on the screen too.
    const int x0 = ToPixels(left_ - sl, tx), x1 = ToPixels(left_ + width_ - sl, tx);
    const int y0 = ToPixels(top_ - st, ty), y1 = ToPixels(top_ + height_ - st, ty);
    widget_->setGeometry(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (widget_) widget_->setVisible(visible);
    Trace({.kind = visible ? TraceEvent::Kind::Show : TraceEvent::Kind::Hide});
    if (visible) Shown();
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (widget_) widget_->setEnabled(enabled);
    Trace({.kind = enabled ? TraceEvent::Kind::Enable : TraceEvent::Kind::Disable});
}

bool Control::Reachable() const {
    if (!enabled_ || !visible_ || !widget_) return false;
    // The window itself may not be on a screen (tests); what counts is the chain of containers.
    for (const QWidget* w = widget_; w && !w->isWindow(); w = w->parentWidget()) {
        if (w->isHidden() || !w->isEnabled()) return false;
    }
    return true;
}

void Control::SetAccessibleName(const QString& name) {
    if (!widget_ || widget_->accessibleName() == name) return;
    widget_->setAccessibleName(name);
}

void Control::SetToolTip(const QString& text) {
    if (widget_) widget_->setToolTip(text);
}

void Control::SetAccessibleDescription(const QString& description) {
    if (!widget_ || widget_->accessibleDescription() == description) return;
    widget_->setAccessibleDescription(description);
}

void Control::SetFocus() {
    if (widget_) widget_->setFocus(Qt::TabFocusReason);
}

// The window's focus, whether or not the window is the active one.
bool Control::HasFocus() const { return widget_ && widget_->window()->focusWidget() == widget_; }

}  // namespace platform
