#include "platform/option_button_array.h"

namespace platform {

OptionButtonArray::OptionButtonArray(Container* parent, QString name, int count) : name_(std::move(name)) {
    for (int i = 0; i < count; ++i) {
        members_.push_back(std::make_unique<OptionButton>(
            parent, QStringLiteral("%1(%2)").arg(name_).arg(i), this, static_cast<int16_t>(i)));
        // One object name for all: a toolkit that hands it to assistive technologies (as an
        // accessible id) must not tell member 0, which holds the right answer, from the others.
        members_.back()->Widget()->setObjectName(name_);
    }
}

void OptionButtonArray::StackInOrder(const std::vector<OptionButton*>& order) {
    // Each one goes just under the one after it: the last keeps its place, the block stays whole.
    for (size_t i = order.size(); i-- > 1;) {
        QWidget* under = order[i - 1]->Widget();
        QWidget* over = order[i]->Widget();
        if (under && over) under->stackUnder(over);
    }
}

}  // namespace platform
