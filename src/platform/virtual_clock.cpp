#include "platform/virtual_clock.h"

#include "platform/timer.h"

#include <algorithm>
#include <limits>

namespace platform {

VirtualClock::VirtualClock(int32_t tick, QDateTime time, int readsWithoutYield)
    : tickAtStart(tick), timeAtStart(std::move(time)), clockReadsWithoutYield(readsWithoutYield) {}

void VirtualClock::CountClockRead() {
    mostClockReads_ = std::max(mostClockReads_, ++clockReadsSinceYield_);
    if (clockReadsSinceYield_ > clockReadsWithoutYield) {
        clockReadsSinceYield_ = 0;
        TooManyClockReads();
    }
}

int32_t VirtualClock::TickAt(qint64 ms) const {
    return static_cast<int32_t>(static_cast<uint32_t>(tickAtStart) + static_cast<uint32_t>(ms));
}

int32_t VirtualClock::TickCount() {
    CountClockRead();
    return TickAt(now_);
}

// Each step of a date in a time zone asks the system's zone again (a stat of its file): one step
// each, not two. A pause reads the clock at every tick.
QDateTime VirtualClock::Now() {
    CountClockRead();
    // To the whole second, in the zone the run started in; zones differ from UTC by whole seconds,
    // so the milliseconds of the start carry on with those of the run.
    const qint64 msec = (timeAtStart.time().msec() + now_) % 1000;
    return timeAtStart.addMSecs(now_ - msec);
}

qint64 VirtualClock::MsecsUntil(const QDateTime& t) {
    CountClockRead();
    if (!t.isValid() || !timeAtStart.isValid()) return 0;
    return t.toMSecsSinceEpoch() - timeAtStart.toMSecsSinceEpoch() - now_;
}

bool VirtualClock::DeliverDueTick() {
    // At most one tick per yield, as on the real event loop.
    for (auto& [timer, due] : timers_) {
        if (due > now_) continue;
        // Late ticks are not made up: the next one is a whole interval after this one at the soonest.
        due += timer->Interval();
        if (due <= now_) due = now_ + timer->Interval();
        lastTick_ = now_;
        ++ticks_;
        timer->Fire();  // may yield, and stop or restart any timer
        Ticked();
        return true;
    }
    return false;
}

bool VirtualClock::DeliverDue() {
    // A tick due now comes before what is planned for the same instant: a click at a whole tenth of
    // a second starts its page before the next tick.
    const bool ticked = DeliverDueTick();
    return DeliverPlanned() || ticked;
}

void VirtualClock::Yield(std::optional<int32_t> wakeAt) {
    clockReadsSinceYield_ = 0;
    YieldStarted();
    if (DeliverDue()) return;

    qint64 next = std::numeric_limits<qint64>::max();
    for (const auto& [timer, due] : timers_) next = std::min(next, due);
    if (const auto planned = NextPlanned()) next = std::min(next, *planned);
    if (wakeAt) {
        const auto delta = static_cast<int32_t>(static_cast<uint32_t>(*wakeAt) - static_cast<uint32_t>(TickAt(now_)));
        if (delta <= 0) return;
        next = std::min(next, now_ + delta);
    }
    if (next == std::numeric_limits<qint64>::max()) next = NothingDue();
    now_ = std::max(now_, next);
    TimeMoved();
    DeliverDue();
}

void VirtualClock::AddTimer(Timer* timer) { TimerChanged(timer); }

void VirtualClock::RemoveTimer(Timer* timer) {
    std::erase_if(timers_, [timer](const auto& t) { return t.first == timer; });
}

void VirtualClock::TimerChanged(Timer* timer) {
    // Started, stopped or given a new interval: the next tick is a whole interval from now.
    RemoveTimer(timer);
    if (timer->Enabled() && timer->Interval() > 0) timers_.emplace_back(timer, now_ + timer->Interval());
}

void VirtualClock::Announced(const QString& text) { announcements_.push_back({now_, text}); }

}  // namespace platform
