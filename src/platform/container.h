#pragma once

#include <QWidget>
#include <vector>

namespace platform {

class Control;

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

}  // namespace platform
