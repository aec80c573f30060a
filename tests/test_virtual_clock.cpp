// The virtual clock that the storyboard and the tests run the lesson on: time that moves only
// inside a yield, ticks in a fixed order, the counter's wrap, the wall clock and clock reads
// without a yield. Both platforms built on it are checked where they used to differ.

#include "platform/timer.h"
#include "platform/virtual_clock.h"
#include "storyboard/offline_platform.h"
#include "support/virtual_platform.h"

#include <QtTest>

using namespace platform;

namespace {

struct TooManyReads {};

// The clock alone, with nothing planned: a wait for nothing moves on by a second.
class BareClock final : public VirtualClock {
public:
    BareClock() : VirtualClock(0, QDateTime(QDate(2026, 3, 1), QTime(8, 0, 0)), 10) { SetPlatform(this); }
    ~BareClock() override { SetPlatform(nullptr); }

    int idle = 0;

    void Beep() override {}
    void Randomize() override {}
    double Rnd() override { return 0; }
    QString CurrentDirectory() override { return {}; }
    QSize ScreenSizePixels() override { return {800, 600}; }
    double TwipsPerPixelX() override { return 15; }
    double TwipsPerPixelY() override { return 15; }
    std::unique_ptr<SoundDevice> OpenSoundDevice() override { return nullptr; }
    [[noreturn]] void EndProgram(int) override { throw TooManyReads{}; }
    [[noreturn]] void Fatal(const QString&) override { throw TooManyReads{}; }

protected:
    qint64 NothingDue() override {
        ++idle;
        return Elapsed() + 1000;
    }
    [[noreturn]] void TooManyClockReads() override { throw TooManyReads{}; }
};

// The wall clock 1 250 ms into a run that started on a whole second: both platforms alike.
template <typename P>
void WallClockBetweenTwoSeconds() {
    P p;
    const QDateTime start = p.timeAtStart;
    p.Yield(p.TickCount() + 1250);
    QCOMPARE(p.Elapsed(), qint64(1250));
    QCOMPARE(p.Now(), start.addSecs(1));
    QCOMPARE(p.MsecsUntil(start.addSecs(2)), qint64(750));
    // A wait for the next second, as the pause after an answer does, wakes on it.
    p.Yield(p.TickCount() + static_cast<int32_t>(p.MsecsUntil(start.addSecs(2))));
    QCOMPARE(p.Elapsed(), qint64(2000));
    QCOMPARE(p.Now(), start.addSecs(2));
}

}  // namespace

class VirtualClockTest : public QObject {
    Q_OBJECT

private slots:
    void timeMovesOnlyInsideAYieldToTheNextThingDue() {
        BareClock c;
        Timer t(QStringLiteral("T"));
        int ticks = 0;
        t.OnTick = [&] { ++ticks; };
        t.SetInterval(300);
        t.SetEnabled(true);
        QCOMPARE(c.TickCount(), 0);
        QCOMPARE(c.Elapsed(), qint64(0));
        c.Yield(c.TickCount() + 1000);  // the tick comes first
        QCOMPARE(c.Elapsed(), qint64(300));
        QCOMPARE(ticks, 1);
        QVERIFY(c.JustTicked());
        c.Yield(c.TickCount() + 50);  // the wake-up time comes first: no tick
        QCOMPARE(c.Elapsed(), qint64(350));
        QCOMPARE(ticks, 1);
        QVERIFY(!c.JustTicked());
        c.Yield(c.TickCount() - 1);  // already past: nothing moves
        QCOMPARE(c.Elapsed(), qint64(350));
        // Stopped, nothing is due: the driver says where to go.
        t.SetEnabled(false);
        c.Yield(std::nullopt);
        QCOMPARE(c.idle, 1);
        QCOMPARE(c.Elapsed(), qint64(1350));
        // Restarted, it ticks a whole interval later; one tick per yield, none made up.
        t.SetEnabled(true);
        c.Yield(std::nullopt);
        QCOMPARE(c.Elapsed(), qint64(1650));
        QCOMPARE(c.Ticks(), 2);
    }

    void timersDueTogetherTickInTheOrderTheyWereStarted() {
        for (const bool firstStartsFirst : {true, false}) {
            testsupport::VirtualPlatform vp;
            Timer first(QStringLiteral("premier")), second(QStringLiteral("second"));
            QStringList order;
            first.OnTick = [&] { order << QStringLiteral("premier"); };
            second.OnTick = [&] { order << QStringLiteral("second"); };
            first.SetInterval(100);
            second.SetInterval(100);
            (firstStartsFirst ? first : second).SetEnabled(true);
            (firstStartsFirst ? second : first).SetEnabled(true);
            vp.Yield(std::nullopt);
            vp.Yield(std::nullopt);
            QCOMPARE(vp.Elapsed(), qint64(100));
            QCOMPARE(order, firstStartsFirst ? QStringList({"premier", "second"}) : QStringList({"second", "premier"}));
        }
    }

    void tickCountWrapsAsASigned32BitCounter() {
        BareClock c;
        c.tickAtStart = INT32_MAX - 40;
        QCOMPARE(c.TickCount(), INT32_MAX - 40);
        // A wake-up time past the wrap is 100 ms ahead, not four billion behind.
        c.Yield(static_cast<int32_t>(static_cast<uint32_t>(c.TickCount()) + 100u));
        QCOMPARE(c.Elapsed(), qint64(100));
        QCOMPARE(c.TickCount(), INT32_MIN + 59);
    }

    void nowIsToTheSecondAndMsecsUntilToTheMillisecond() {
        WallClockBetweenTwoSeconds<testsupport::VirtualPlatform>();
        WallClockBetweenTwoSeconds<storyboard::OfflinePlatform>();
        // A run started between two seconds: its whole seconds are the clock's, not the start's.
        testsupport::VirtualPlatform p;
        p.timeAtStart = QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0, 750));
        p.Yield(p.TickCount() + 300);
        QCOMPARE(p.Now(), QDateTime(QDate(2026, 12, 7), QTime(10, 0, 1)));
        QCOMPARE(p.MsecsUntil(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 2))), qint64(950));
    }

    void readingTheClockOftenWithoutYieldingIsCaught() {
        BareClock c;
        for (int i = 0; i < 9; ++i) c.TickCount();
        c.Yield(c.TickCount() + 1);  // the tenth read, and the yield starts the count again
        for (int i = 0; i < 5; ++i) c.Now();
        for (int i = 0; i < 5; ++i) c.MsecsUntil(c.timeAtStart);
        QCOMPARE(c.MostClockReadsWithoutYield(), 10);
        QVERIFY_THROWS_EXCEPTION(TooManyReads, c.TickCount());
    }
};

QTEST_MAIN(VirtualClockTest)
#include "test_virtual_clock.moc"
