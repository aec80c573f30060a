#include "platform/container.h"

#include <algorithm>

namespace platform {

void Container::RemoveChild(Control* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

}  // namespace platform
