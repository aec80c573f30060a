#pragma once

#include "platform/option_button.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class Container;

class OptionButtonArray {
public:
    OptionButtonArray(Container* parent, QString name, int count);
    OptionButton& operator()(int index) { return *members_.at(static_cast<size_t>(index)); }
    const OptionButton& operator()(int index) const { return *members_.at(static_cast<size_t>(index)); }
    int Count() const { return static_cast<int>(members_.size()); }
    const QString& Name() const { return name_; }
    // Restacks the members among themselves in this order, bottom first, so that what a screen
    // reader lists (the widgets' order) is the order given, never the members' own; the members
    // keep their place among the other controls.
    void StackInOrder(const std::vector<OptionButton*>& order);

    std::function<void(int16_t index)> OnClick;

private:
    QString name_;
    std::vector<std::unique_ptr<OptionButton>> members_;
};

}  // namespace platform
