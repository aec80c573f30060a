// The real platform's yield on Qt's event loop: it wakes at its deadline, and a timer that fell
// behind delivers one tick per yield instead of a burst.

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
