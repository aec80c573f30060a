#include "platform/option_button_array.h"

namespace platform {

OptionButtonArray::OptionButtonArray(Container* parent, QString name, int count) : name_(std::move(name)) {
    for (int i = 0; i < count; ++i) {
        members_.push_back(std::make_unique<OptionButton>(
            parent, QStringLiteral("%1(%2)").arg(name_).arg(i), this, static_cast<int16_t>(i)));
    }
}

}  // namespace platform
