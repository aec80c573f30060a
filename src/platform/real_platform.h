#pragma once
// The platform over Qt's event loop and the system clock. It never spins: a yield with nothing
// pending sleeps in the event loop until an event comes or the wake-up time passes.

#include "platform/platform.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>
#include <memory>
#include <random>

namespace platform {

class RealPlatform : public Platform {
public:
    RealPlatform();
    ~RealPlatform() override;

    int32_t TickCount() override;
    QDateTime Now() override;
    qint64 MsecsUntil(const QDateTime& t) override;
    void Yield(std::optional<int32_t> wakeAt) override;
    void Beep() override;
    void Randomize() override;
    double Rnd() override;
    QString CurrentDirectory() override;
    QSize ScreenSizePixels() override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    std::unique_ptr<SoundDevice> OpenSoundDevice() override;
    [[noreturn]] void EndProgram(int status) override;
    [[noreturn]] void Fatal(const QString& message) override;
    void AddTimer(Timer* timer) override;
    void RemoveTimer(Timer* timer) override;
    void TimerChanged(Timer* timer) override;

private:
    void TimerDue(Timer* timer);
    // Each timer's next tick keeps to its phase on the monotonic clock, so late ticks do not
    // shift the ones after them.
    void Arm(Timer* timer);
    QHash<Timer*, QTimer*> timers_;
    QHash<Timer*, qint64> due_;  // nanoseconds of clock_
    QElapsedTimer clock_;
    QTimer wake_;
    std::mt19937 random_{5489u};
};

}  // namespace platform
