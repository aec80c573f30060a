#include "support/virtual_platform.h"

#include <QtTest>
#include <cstdio>

namespace testsupport {

namespace {

class RecordingSoundDevice : public platform::SoundDevice {
public:
    explicit RecordingSoundDevice(QStringList* log) : log_(log) {}
    void Open() override { log_->append(QStringLiteral("open")); }
    void Sound(const QString& fileName) override { log_->append(QStringLiteral("sound ") + fileName); }
    void Stop() override { log_->append(QStringLiteral("stop")); }
    void Close() override { log_->append(QStringLiteral("close")); }

private:
    QStringList* log_;
};

// A loop that reads the clock this often without yielding would freeze the real window.
constexpr int kClockReadsWithoutYield = 100000;

}  // namespace

VirtualPlatform::VirtualPlatform()
    : VirtualClock(1000000, QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0)), kClockReadsWithoutYield) {
    platform::SetPlatform(this);
}

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

void VirtualPlatform::Failure(const QString& why, const char* message) {
    if (onFailure) onFailure(why);
    QTest::qFail(message, __FILE__, __LINE__);
    throw RunStopped{Elapsed()};
}

void VirtualPlatform::TooManyClockReads() {
    Failure(QStringLiteral("the course read the clock %1 times without yielding").arg(clockReadsWithoutYield + 1),
            "the course read the clock many thousands of times without yielding");
}

void VirtualPlatform::YieldStarted() {
    ++yields_;
    if (stopAt_ && Elapsed() >= *stopAt_) throw RunStopped{Elapsed()};
}

void VirtualPlatform::Ticked() {
    if (afterDelivery) afterDelivery();
}

bool VirtualPlatform::DeliverPlanned() {
    bool delivered = false;
    // The scripted actions, in time order; each may yield in turn, which nests.
    while (!actions_.empty() && actions_.begin()->first <= Elapsed()) {
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

std::optional<qint64> VirtualPlatform::NextPlanned() const {
    std::optional<qint64> next = stopAt_;
    if (!actions_.empty() && (!next || actions_.begin()->first < *next)) next = actions_.begin()->first;
    return next;
}

qint64 VirtualPlatform::NothingDue() {
    Failure(QStringLiteral("the course waits for something that will never come"),
            "the course waits for something that will never come");
}

void VirtualPlatform::TimeMoved() {
    if (stopAt_ && Elapsed() >= *stopAt_) throw RunStopped{Elapsed()};
}

void VirtualPlatform::Beep() {
    ++beeps_;
    Trace({.kind = platform::TraceEvent::Kind::Beep});
}

void VirtualPlatform::Randomize() { ++randomizes_; }

double VirtualPlatform::Rnd() { return nextRandom_ < randomValues.size() ? randomValues[nextRandom_++] : 0.5; }

std::unique_ptr<platform::SoundDevice> VirtualPlatform::OpenSoundDevice() {
    return std::make_unique<RecordingSoundDevice>(&soundCommands_);
}

void VirtualPlatform::EndProgram(int status) {
    Record(QStringLiteral("end %1").arg(status));
    if (onEnd) onEnd(status, {});
    throw ProgramEnded{status, {}};
}

void VirtualPlatform::Fatal(const QString& message) {
    Record(QStringLiteral("fatal ") + message);
    if (onEnd) onEnd(1, message);
    throw ProgramEnded{1, message};
}

void VirtualPlatform::Trace(const platform::TraceEvent& event) { Record(event.ToText()); }

void VirtualPlatform::Record(const QString& event) {
    if (onTrace) onTrace(event);
    if (recordTraces) traces_.push_back({Elapsed(), event});
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
