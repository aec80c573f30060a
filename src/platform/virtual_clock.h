#pragma once
// A platform clock for running the lesson without waiting. Time stands still until the course
// yields; a yield then jumps straight to the next thing due (a timer tick, what the driver of the
// run has planned, the wake-up time) and delivers it. The storyboard and the tests both run the
// lesson on it, so that it keeps the same timing wherever it runs off the real clock.

#include "platform/platform.h"

#include <QDateTime>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

class VirtualClock : public Platform {
public:
    VirtualClock(int32_t tickAtStart, QDateTime timeAtStart, int clockReadsWithoutYield);

    // TickCount and the date and time at the start of the run.
    int32_t tickAtStart;
    QDateTime timeAtStart;
    // A loop that reads the clock this often without yielding would never end: time stands still.
    int clockReadsWithoutYield;

    // Milliseconds since the start of the run.
    qint64 Elapsed() const { return now_; }
    // True when a timer ticked at this very moment.
    bool JustTicked() const { return lastTick_ == now_; }
    int Ticks() const { return ticks_; }  // timer ticks delivered
    // Clock reads since the last yield, the most seen since the start.
    int MostClockReadsWithoutYield() const { return mostClockReads_; }

    int32_t TickCount() override;
    QDateTime Now() override;
    qint64 MsecsUntil(const QDateTime& t) override;
    // Delivers what is due now: at most one tick, then what the driver planned. If nothing was,
    // moves to the next due time, or to wakeAt if sooner, and delivers what is due then.
    void Yield(std::optional<int32_t> wakeAt) override;
    void AddTimer(Timer* timer) override;
    void RemoveTimer(Timer* timer) override;
    void TimerChanged(Timer* timer) override;

    // What screen readers were told, and when, in order.
    struct Announcement {
        qint64 ms;
        QString text;
    };
    void Announced(const QString& text) override;
    const std::vector<Announcement>& Announcements() const { return announcements_; }

protected:
    // What the driver of the run adds, in the order a yield meets them.
    // First thing in every yield, while the time is still that of the last delivery.
    virtual void YieldStarted() {}
    // Right after each tick delivered.
    virtual void Ticked() {}
    // Delivers what the driver planned for now or earlier; true when it delivered anything.
    virtual bool DeliverPlanned() { return false; }
    // When the next planned thing is due, if any.
    virtual std::optional<qint64> NextPlanned() const { return std::nullopt; }
    // Nothing at all is due and no wake-up time was given: the time to move to, or throw.
    virtual qint64 NothingDue() = 0;
    // The time has just moved forward, before what is due then is delivered; may throw.
    virtual void TimeMoved() {}
    // The course read the clock more than clockReadsWithoutYield times since its last yield.
    [[noreturn]] virtual void TooManyClockReads() = 0;

private:
    void CountClockRead();
    bool DeliverDue();
    bool DeliverDueTick();
    // TickCount at a time of the run, wrapping as the signed 32-bit counter does.
    int32_t TickAt(qint64 ms) const;

    qint64 now_ = 0;
    qint64 lastTick_ = -1;
    int ticks_ = 0;
    int clockReadsSinceYield_ = 0;
    int mostClockReads_ = 0;
    // Next due time of each running timer, in the order they were started: of two timers due at
    // the same time, the one started first ticks first, the same way on every run.
    std::vector<std::pair<Timer*, qint64>> timers_;
    std::vector<Announcement> announcements_;
};

}  // namespace platform
