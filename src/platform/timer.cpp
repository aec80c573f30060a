#include "platform/timer.h"

#include "platform/platform.h"

namespace platform {

Timer::Timer(QString name) : name_(std::move(name)) {
    P().AddTimer(this);
    registered_ = true;
}

Timer::~Timer() {
    if (registered_) P().RemoveTimer(this);
}

void Timer::SetInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    P().TimerChanged(this);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    P().TimerChanged(this);
}

void Timer::Fire() {
    if (enabled_ && interval_ > 0 && OnTick) RunHandler(OnTick);
}

}  // namespace platform
