#pragma once
// The platform the storyboard runs the lesson on: no screen, no sound, and the virtual clock, which
// moves only when the course yields, jumping straight to the next tick or wake-up time. The whole
// lesson runs in a moment and the same way every time, so that the same course gives the same storyboard.

#include "platform/virtual_clock.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <functional>

namespace storyboard {

// Ends a run of the lesson: the program asked to end (status 0), or stopped on an error whose
// plain message names the file. Not a std::exception, so that no handler of the course takes it.
struct LessonEnded {
    int status;
    QString message;
};

class OfflinePlatform : public platform::VirtualClock {
public:
    OfflinePlatform();
    ~OfflinePlatform() override;

    // A screen in the proportions of an A4 sheet in landscape.
    QSize screen{1280, 900};
    double twipsPerPixel = 15;
    QString currentDirectory;

    // Runs at the start of every yield, when the course has finished what it was doing: the
    // moment to look at the window and to act as the learner. It may click, which nests.
    std::function<void()> onYield;
    // Everything the learner would see happen, as it happens.
    std::function<void(const platform::TraceEvent& event)> onTrace;

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
    void Trace(const platform::TraceEvent& event) override;

protected:
    void YieldStarted() override;
    qint64 NothingDue() override;
    void TimeMoved() override;
    [[noreturn]] void TooManyClockReads() override;
};

}  // namespace storyboard
