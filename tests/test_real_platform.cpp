// The real platform's yield on Qt's event loop: it wakes at its deadline, and a timer that fell
// behind delivers one tick per yield instead of a burst, making up what it missed.

#include "platform/real_platform.h"
#include "platform/timer.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

class RealPlatformTest : public QObject {
    Q_OBJECT
    platform::RealPlatform real;

private slots:
    void initTestCase() { platform::SetPlatform(&real); }

    void yieldReturnsOnceItsWakeUpTimeHasPassed() {
        const int32_t wakeAt = real.TickCount() + 40;
        int yields = 0;
        while (static_cast<int32_t>(real.TickCount() - wakeAt) < 0 && yields < 1000) {
            real.Yield(wakeAt);
            ++yields;
        }
        QVERIFY(static_cast<int32_t>(real.TickCount() - wakeAt) >= 0);
        // With nothing else pending it slept until the deadline instead of spinning.
        QVERIFY2(yields < 20, qPrintable(QString::number(yields)));
    }

    void aLateTimerDeliversAtMostOneTickPerYield() {
        platform::Timer timer(QStringLiteral("T"));
        int ticks = 0;
        timer.OnTick = [&] { ++ticks; };
        timer.SetInterval(10);
        timer.SetEnabled(true);
        QThread::msleep(100);  // ten intervals go by without a yield
        for (int i = 0; i < 5; ++i) {
            const int before = ticks;
            real.Yield(std::nullopt);
            QVERIFY(ticks - before <= 1);
        }
        QVERIFY(ticks >= 1);
    }

    void ticksMissedInABusyMomentAreMadeUpOnePerYield() {
        platform::Timer timer(QStringLiteral("T"));
        int ticks = 0;
        timer.OnTick = [&] { ++ticks; };
        QElapsedTimer clock;
        clock.start();
        timer.SetInterval(20);
        timer.SetEnabled(true);
        QThread::msleep(200);  // ten ticks fall due without a yield
        while (clock.elapsed() < 300) {
            const int before = ticks;
            real.Yield(real.TickCount() + 5);
            QVERIFY(ticks - before <= 1);
        }
        // Fifteen ticks are due by now; a timer that drops what it missed has about six.
        QVERIFY2(ticks >= 12, qPrintable(QString::number(ticks)));
    }

    void aLongStallIsNotMadeUpAsABurst() {
        platform::Timer timer(QStringLiteral("T"));
        int ticks = 0;
        timer.OnTick = [&] { ++ticks; };
        timer.SetInterval(10);
        timer.SetEnabled(true);
        QThread::msleep(1500);  // as a computer put to sleep would
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 100) real.Yield(real.TickCount() + 5);
        // About ten ticks in those 100 ms, not the 150 of the stall.
        QVERIFY2(ticks <= 40, qPrintable(QString::number(ticks)));
    }

    void tickCountIsAWrappingMillisecondCounter() {
        const int32_t a = real.TickCount();
        QThread::msleep(20);
        const auto elapsed = static_cast<int32_t>(static_cast<uint32_t>(real.TickCount()) - static_cast<uint32_t>(a));
        QVERIFY(elapsed >= 19 && elapsed < 5000);
        QCOMPARE(real.Now().time().msec(), 0);
    }
};

QTEST_MAIN(RealPlatformTest)
#include "test_real_platform.moc"
