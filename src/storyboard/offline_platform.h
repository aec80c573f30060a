#pragma once
// The platform the storyboard runs the lesson on: no screen, no sound, and a clock that moves only
// when the course yields, jumping straight to the next tick or wake-up time. The whole lesson runs
// in a moment and the same way every time, so that the same course gives the same storyboard.

#include "platform/platform.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace storyboard {

// Ends a run of the lesson: the program asked to end (status 0), or stopped on an error whose
// plain message names the file. Not a std::exception, so that no handler of the course takes it.
struct LessonEnded {
    int status;
    QString message;
};

class OfflinePlatform : public platform::Platform {
public:
    OfflinePlatform();
    ~OfflinePlatform() override;

    // A screen in the proportions of an A4 sheet in landscape.
    QSize screen{1280, 900};
    double twipsPerPixel = 15;
    QString currentDirectory;
    QDateTime timeAtStart{QDate(2000, 1, 1), QTime(9, 0, 0)};

    // Runs at the start of every yield, when the course has finished what it was doing: the
    // moment to look at the window and to act as the learner. It may click, which nests.
    std::function<void()> onYield;
    // Every trace line, as it happens.
    std::function<void(const QString& event)> onTrace;

    qint64 Elapsed() const { return now_; }
    // True when a timer ticked at this very moment: a page entered now gets its first tick a whole
    // interval later, as after a click that follows a tick.
    bool JustTicked() const { return lastTick_ == now_; }

    int32_t TickCount() override;
    QDateTime Now() override;
    void Yield(std::optional<int32_t> wakeAt) override;
    void Beep() override {}
    void Randomize() override {}
    // Always 0: the answers are laid out in the order of the question bank.
    double Rnd() override { return 0; }
    QString CurrentDirectory() override { return currentDirectory; }
    QSize ScreenSizePixels() override { return screen; }
    double TwipsPerPixelX() override { return twipsPerPixel; }
    double TwipsPerPixelY() override { return twipsPerPixel; }
    std::unique_ptr<platform::SoundDevice> OpenSoundDevice() override;
    [[noreturn]] void EndProgram(int status) override;
    [[noreturn]] void Fatal(const QString& message) override;
    void AddTimer(platform::Timer* timer) override;
    void RemoveTimer(platform::Timer* timer) override;
    void TimerChanged(platform::Timer* timer) override;
    void Trace(const QString& event) override;

private:
    bool DeliverDueTick();
    void CountClockRead();

    qint64 now_ = 0;
    qint64 lastTick_ = -1;
    int32_t tickAtStart_ = 0;
    int clockReadsSinceYield_ = 0;
    // Next due time of each enabled timer, in the order they were enabled: ties go the same way every run.
    std::vector<std::pair<platform::Timer*, qint64>> timers_;
};

}  // namespace storyboard
