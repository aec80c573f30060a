#include "storyboard/offline_platform.h"

#include "platform/sound_device.h"

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

OfflinePlatform::OfflinePlatform()
    : VirtualClock(0, QDateTime(QDate(2000, 1, 1), QTime(9, 0, 0)), kClockReadsWithoutYield) {
    platform::SetPlatform(this);
}

OfflinePlatform::~OfflinePlatform() { platform::SetPlatform(nullptr); }

void OfflinePlatform::YieldStarted() {
    if (onYield) onYield();
}

// Nothing is due: the learner's next action is what the run waits for.
qint64 OfflinePlatform::NothingDue() { return Elapsed() + 100; }

void OfflinePlatform::TimeMoved() {
    if (Elapsed() > kLongestRun) Stuck();
}

void OfflinePlatform::TooManyClockReads() { Stuck(); }

std::unique_ptr<platform::SoundDevice> OfflinePlatform::OpenSoundDevice() { return std::make_unique<SilentDevice>(); }

void OfflinePlatform::EndProgram(int status) { throw LessonEnded{status, {}}; }

void OfflinePlatform::Fatal(const QString& message) { throw LessonEnded{1, message}; }

void OfflinePlatform::Trace(const platform::TraceEvent& event) {
    if (onTrace) onTrace(event);
}

}  // namespace storyboard
