#pragma once
// The platform on the virtual clock. Time stands still until the course yields; a yield then jumps
// to the next thing due (a timer tick, a scripted action of the learner, the wake-up time) and
// delivers it. Minutes of lesson run in milliseconds, the same way every time.

#include "platform/sound_device.h"
#include "platform/virtual_clock.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace testsupport {

// Thrown (not derived from std::exception, so nothing in the course catches it) to end a run.
struct ProgramEnded {
    int status;
    QString message;
};
struct RunStopped {
    qint64 at;
};

struct TraceLine {
    qint64 ms;
    QString event;
};

class VirtualPlatform : public platform::VirtualClock {
public:
    VirtualPlatform();
    ~VirtualPlatform() override;

    // --- set-up (and the clock's tickAtStart, timeAtStart, clockReadsWithoutYield)
    QSize screen{1920, 1080};  // the real screen, in logical pixels
    double twipsPerPixel = 15;
    QString currentDirectory;
    // Off for runs of hours, whose trace would only grow.
    bool recordTraces = true;
    // Rnd() returns these in turn (then 0.5) so that tests choose the random draws.
    std::vector<double> randomValues;

    // --- watching the run (the explorer's invariants)
    // After every tick and every scripted action delivered.
    std::function<void()> afterDelivery;
    // Every trace line as it happens, whether or not traces are recorded.
    std::function<void(const QString& event)> onTrace;
    // Runs first when the course stops yielding or waits for nothing; the test then fails and the
    // run stops, unless this ends the process (the explorer's child does).
    std::function<void(const QString& why)> onFailure;
    // Runs when the program ends (EndProgram or Fatal), before the run is stopped.
    std::function<void(int status, const QString& message)> onEnd;

    // --- the learner's script
    // Runs action inside the yield that reaches virtual time ms.
    void At(qint64 ms, std::function<void()> action);
    // Runs action once, inside the first yield at which condition holds.
    void When(std::function<bool()> condition, std::function<void()> action);
    // Ends the run (throws RunStopped) at the first yield that reaches ms.
    void StopAt(qint64 ms) { stopAt_ = ms; }

    // --- what happened (and the clock's Elapsed, Ticks, MostClockReadsWithoutYield)
    const std::vector<TraceLine>& Traces() const { return traces_; }
    // Trace lines whose event starts with one of the prefixes, as "ms event".
    QStringList TraceText(const QStringList& prefixes = {}) const;
    void ClearTraces() { traces_.clear(); }
    int Beeps() const { return beeps_; }
    int Yields() const { return yields_; }
    int Randomizes() const { return randomizes_; }
    QStringList SoundCommands() const { return soundCommands_; }

    // --- Platform
    void Beep() override;
    void Randomize() override;
    double Rnd() override;
    QString CurrentDirectory() override { return currentDirectory; }
    QSize ScreenSizePixels() override { return LaidOutScreen(screen); }
    double TwipsPerPixelX() override { return twipsPerPixel; }
    double TwipsPerPixelY() override { return twipsPerPixel; }
    std::unique_ptr<platform::SoundDevice> OpenSoundDevice() override;
    [[noreturn]] void EndProgram(int status) override;
    [[noreturn]] void Fatal(const QString& message) override;
    void Trace(const platform::TraceEvent& event) override;

protected:
    void YieldStarted() override;
    void Ticked() override;
    bool DeliverPlanned() override;
    std::optional<qint64> NextPlanned() const override;
    qint64 NothingDue() override;
    void TimeMoved() override;
    [[noreturn]] void TooManyClockReads() override;

private:
    void Record(const QString& event);
    // Fails the test and stops the run.
    [[noreturn]] void Failure(const QString& why, const char* message);

    std::optional<qint64> stopAt_;
    std::multimap<qint64, std::function<void()>> actions_;
    std::vector<std::pair<std::function<bool()>, std::function<void()>>> conditions_;
    std::vector<TraceLine> traces_;
    QStringList soundCommands_;
    int beeps_ = 0;
    int yields_ = 0;
    int randomizes_ = 0;
    size_t nextRandom_ = 0;
};

// Compares two runs line by line; on a mismatch prints both whole and returns false.
// An expected line starting with "?" may be missing from the actual run.
bool SameRun(const QStringList& actual, const QStringList& expected);

}  // namespace testsupport
