#include "storyboard/offline_platform.h"

#include "platform/sound_device.h"
#include "platform/timer.h"

#include <limits>

namespace storyboard {

namespace {

// A loop that reads the clock this often without yielding would never end here: time stands still.
constexpr int kClockReadsWithoutYield = 1000000;
// No lesson runs this long; past it the run is stuck waiting for something that never comes.
constexpr qint64 kLongestRun = 4 * 3600 * 1000;

class SilentDevice : public platform::SoundDevice {
public:
    void Open() override {}
    void Sound(const QString&) override {}
    void Close() override {}
};

[[noreturn]] void Stuck() {
    throw LessonEnded{1, QStringLiteral("La leçon ne s'est pas déroulée jusqu'au bout : le déroulé ne peut pas "
                                        "être établi.")};
}

}  // namespace

OfflinePlatform::OfflinePlatform() { platform::SetPlatform(this); }

OfflinePlatform::~OfflinePlatform() { platform::SetPlatform(nullptr); }

void OfflinePlatform::CountClockRead() {
    if (++clockReadsSinceYield_ > kClockReadsWithoutYield) Stuck();
}

int32_t OfflinePlatform::TickCount() {
    CountClockRead();
    return static_cast<int32_t>(static_cast<uint32_t>(tickAtStart_) + static_cast<uint32_t>(now_));
}

QDateTime OfflinePlatform::Now() {
    CountClockRead();
    const QDateTime t = timeAtStart.addMSecs(now_);
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()));
}

bool OfflinePlatform::DeliverDueTick() {
    // At most one tick per yield, as on the real event loop.
    for (auto& [timer, due] : timers_) {
        if (due <= now_) {
            due = now_ + timer->Interval();
            lastTick_ = now_;
            timer->Fire();
            return true;
        }
    }
    return false;
}

void OfflinePlatform::Yield(std::optional<int32_t> wakeAt) {
    clockReadsSinceYield_ = 0;
    if (onYield) onYield();
    if (DeliverDueTick()) return;

    qint64 next = std::numeric_limits<qint64>::max();
    for (const auto& [timer, due] : timers_) next = std::min(next, due);
    if (wakeAt) {
        const auto delta = static_cast<int32_t>(static_cast<uint32_t>(*wakeAt) -
                                                static_cast<uint32_t>(tickAtStart_ + static_cast<uint32_t>(now_)));
        if (delta <= 0) return;
        next = std::min(next, now_ + delta);
    }
    // Nothing is due: the learner's next action is what the run waits for.
    if (next == std::numeric_limits<qint64>::max()) next = now_ + 100;
    now_ = std::max(now_, next);
    if (now_ > kLongestRun) Stuck();
    DeliverDueTick();
}

std::unique_ptr<platform::SoundDevice> OfflinePlatform::OpenSoundDevice() { return std::make_unique<SilentDevice>(); }

void OfflinePlatform::EndProgram(int status) { throw LessonEnded{status, {}}; }

void OfflinePlatform::Fatal(const QString& message) { throw LessonEnded{1, message}; }

void OfflinePlatform::AddTimer(platform::Timer* timer) { TimerChanged(timer); }

void OfflinePlatform::RemoveTimer(platform::Timer* timer) {
    std::erase_if(timers_, [timer](const auto& t) { return t.first == timer; });
}

void OfflinePlatform::TimerChanged(platform::Timer* timer) {
    RemoveTimer(timer);
    if (timer->Enabled() && timer->Interval() > 0) timers_.emplace_back(timer, now_ + timer->Interval());
}

void OfflinePlatform::Trace(const QString& event) {
    if (onTrace) onTrace(event);
}

}  // namespace storyboard
