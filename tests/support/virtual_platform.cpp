#include "support/virtual_platform.h"

#include "platform/timer.h"

#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace testsupport {

namespace {

class RecordingSoundDevice : public platform::SoundDevice {
public:
    explicit RecordingSoundDevice(QStringList* log) : log_(log) {}
    void Open() override { log_->append(QStringLiteral("open")); }
    void Sound(const QString& fileName) override { log_->append(QStringLiteral("sound ") + fileName); }
    void Close() override { log_->append(QStringLiteral("close")); }

private:
    QStringList* log_;
};

}  // namespace

VirtualPlatform::VirtualPlatform() { platform::SetPlatform(this); }

VirtualPlatform::~VirtualPlatform() { platform::SetPlatform(nullptr); }

void VirtualPlatform::At(qint64 ms, std::function<void()> action) { actions_.emplace(ms, std::move(action)); }

void VirtualPlatform::When(std::function<bool()> condition, std::function<void()> action) {
    conditions_.emplace_back(std::move(condition), std::move(action));
}

QStringList VirtualPlatform::TraceText(const QStringList& prefixes) const {
    QStringList out;
    for (const TraceLine& line : traces_) {
        bool keep = prefixes.isEmpty();
        for (const QString& p : prefixes) keep = keep || line.event.startsWith(p);
        if (keep) out << QStringLiteral("%1 %2").arg(line.ms).arg(line.event);
    }
    return out;
}

void VirtualPlatform::CountClockRead() {
    mostClockReads_ = std::max(mostClockReads_, ++clockReadsSinceYield_);
    if (clockReadsSinceYield_ > clockReadsWithoutYield) {
        clockReadsSinceYield_ = 0;
        if (onFailure) onFailure(QStringLiteral("the course read the clock %1 times without yielding").arg(clockReadsWithoutYield + 1));
        QTest::qFail("the course read the clock many thousands of times without yielding", __FILE__, __LINE__);
        throw RunStopped{now_};
    }
}

int32_t VirtualPlatform::TickCount() {
    CountClockRead();
    return static_cast<int32_t>(static_cast<uint32_t>(tickAtStart) + static_cast<uint32_t>(now_));
}

QDateTime VirtualPlatform::Now() {
    CountClockRead();
    const QDateTime t = timeAtStart.addMSecs(now_);
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()));
}

qint64 VirtualPlatform::MsecsUntil(const QDateTime& t) { return timeAtStart.addMSecs(now_).msecsTo(t); }

bool VirtualPlatform::DeliverDue() {
    bool delivered = false;
    // A tick due now comes before a click scripted for the same instant, so that a click at a
    // whole tenth of a second starts its page before the next tick, as a test author expects.
    // At most one tick per yield, as on the real event loop.
    for (auto& [timer, due] : timers_) {
        if (due <= now_) {
            due += timer->Interval();
            if (due <= now_) due = now_ + timer->Interval();
            delivered = true;
            ++ticks_;
            timer->Fire();
            if (afterDelivery) afterDelivery();
            break;
        }
    }
    // Then the scripted actions, in time order; each may yield in turn, which nests.
    while (!actions_.empty() && actions_.begin()->first <= now_) {
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        delivered = true;
        action();
        if (afterDelivery) afterDelivery();
    }
    for (size_t i = 0; i < conditions_.size(); ++i) {
        if (conditions_[i].first()) {
            auto action = std::move(conditions_[i].second);
            conditions_.erase(conditions_.begin() + static_cast<std::ptrdiff_t>(i));
            delivered = true;
            action();
            if (afterDelivery) afterDelivery();
            break;
        }
    }
    return delivered;
}

void VirtualPlatform::Yield(std::optional<int32_t> wakeAt) {
    ++yields_;
    clockReadsSinceYield_ = 0;
    if (stopAt_ && now_ >= *stopAt_) throw RunStopped{now_};
    if (DeliverDue()) return;

    qint64 next = std::numeric_limits<qint64>::max();
    if (!actions_.empty()) next = std::min(next, actions_.begin()->first);
    for (const auto& [timer, due] : timers_) next = std::min(next, due);
    if (wakeAt) {
        const auto delta = static_cast<int32_t>(static_cast<uint32_t>(*wakeAt) -
                                                static_cast<uint32_t>(tickAtStart + static_cast<uint32_t>(now_)));
        if (delta <= 0) return;
        next = std::min(next, now_ + delta);
    }
    if (stopAt_) next = std::min(next, *stopAt_);
    if (next == std::numeric_limits<qint64>::max()) {
        if (onFailure) onFailure(QStringLiteral("the course waits for something that will never come"));
        QTest::qFail("the course waits for something that will never come", __FILE__, __LINE__);
        throw RunStopped{now_};
    }
    now_ = std::max(now_, next);
    if (stopAt_ && now_ >= *stopAt_) throw RunStopped{now_};
    DeliverDue();
}

void VirtualPlatform::Beep() {
    ++beeps_;
    Trace(QStringLiteral("beep"));
}

void VirtualPlatform::Randomize() { ++randomizes_; }

double VirtualPlatform::Rnd() { return nextRandom_ < randomValues.size() ? randomValues[nextRandom_++] : 0.5; }

std::unique_ptr<platform::SoundDevice> VirtualPlatform::OpenSoundDevice() {
    return std::make_unique<RecordingSoundDevice>(&soundCommands_);
}

void VirtualPlatform::EndProgram(int status) {
    Trace(QStringLiteral("end %1").arg(status));
    if (onEnd) onEnd(status, {});
    throw ProgramEnded{status, {}};
}

void VirtualPlatform::Fatal(const QString& message) {
    Trace(QStringLiteral("fatal ") + message);
    if (onEnd) onEnd(1, message);
    throw ProgramEnded{1, message};
}

void VirtualPlatform::AddTimer(platform::Timer* timer) { TimerChanged(timer); }

void VirtualPlatform::RemoveTimer(platform::Timer* timer) { timers_.erase(timer); }

void VirtualPlatform::TimerChanged(platform::Timer* timer) {
    if (timer->Enabled() && timer->Interval() > 0) {
        timers_[timer] = now_ + timer->Interval();
    } else {
        timers_.erase(timer);
    }
}

void VirtualPlatform::Trace(const QString& event) {
    if (onTrace) onTrace(event);
    if (recordTraces) traces_.push_back({now_, event});
}

bool SameRun(const QStringList& actual, const QStringList& expected) {
    qsizetype a = 0;
    bool ok = true;
    for (const QString& line : expected) {
        const bool optional = line.startsWith(QLatin1Char('?'));
        const QString want = optional ? line.mid(1) : line;
        if (a < actual.size() && actual[a] == want) {
            ++a;
        } else if (!optional) {
            ok = false;
            break;
        }
    }
    if (ok && a == actual.size()) return true;
    std::fprintf(stderr, "--- expected run:\n");
    for (const QString& l : expected) std::fprintf(stderr, "  %s\n", qPrintable(l));
    std::fprintf(stderr, "--- actual run:\n");
    for (const QString& l : actual) std::fprintf(stderr, "  %s\n", qPrintable(l));
    return false;
}

}  // namespace testsupport
