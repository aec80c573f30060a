// A lesson left open for hours on its two endless pages, the circuit animation of page 13 and the
// current strips of page 14: nothing accumulates, the animation goes on, and the millisecond
// counter may wrap in the middle of a wait.

#include "platform/picture.h"
#include "support/lesson.h"

#include <QtTest>
#include <sys/resource.h>

#include "support/sanitized.h"

using namespace testsupport;

namespace {

constexpr qint64 kHour = 3600 * 1000;


long PeakKb() {
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    return self.ru_maxrss;
}

struct Sample {
    long peakKb = 0;
    int16_t compteur = 0;
};

// Shows page `page` and leaves it running for `hours`; samples after the first hour and at the
// end, and records the trace of the last ten seconds to see the page still moving.
std::pair<Sample, Sample> LeaveOpen(Lesson& l, int page, qint64 hours) {
    l.vp.recordTraces = false;
    l.vp.ClearTraces();
    Sample first, last;
    const qint64 end = hours * kHour;
    l.vp.At(kHour, [&] { first = {PeakKb(), l.w->Compteur}; });
    l.vp.At(end - 10000, [&] { l.vp.recordTraces = true; });
    l.vp.StopAt(end);
    l.w->NumPage = static_cast<int16_t>(page - 1);
    try {
        l.Click(l.w->B_Pag_S);
        QTest::qFail("the page ended by itself", __FILE__, __LINE__);
    } catch (const RunStopped&) {
    }
    last = {PeakKb(), l.w->Compteur};
    return {first, last};
}

}  // namespace

class LongSessionsTest : public QObject {
    Q_OBJECT

private slots:
    void threeHoursOnAnEndlessPage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("moving");
        QTest::newRow("page 13") << 13 << "Picture2 picture";
        QTest::newRow("page 14") << 14 << "Picture";
    }
    void threeHoursOnAnEndlessPage() {
        QFETCH(int, page);
        QFETCH(QString, moving);
        Lesson l;
        const auto [first, last] = LeaveOpen(l, page, 3);
        QCOMPARE(l.w->NumPage, int16_t(page));
        // The counter stops at its top and never wraps to a negative count.
        QVERIFY(first.compteur >= 0 && last.compteur >= 0);
        if (last.compteur > 30000) QCOMPARE(last.compteur, int16_t(INT16_MAX));
        // Still drawing in its last ten seconds, and nothing traced before that.
        const QStringList recent = l.vp.TraceText({moving});
        QVERIFY2(!recent.isEmpty(), qPrintable(l.vp.TraceText().join('\n')));
        QVERIFY(l.vp.Traces().front().ms >= 3 * kHour - 10000);
        qInfo("page %d: peak %ld MB after 1 h, %ld MB after 3 h, Compteur %d", page, first.peakKb / 1024,
              last.peakKb / 1024, last.compteur);
        if (!kSanitized) QVERIFY2(last.peakKb - first.peakKb < 16 * 1024, "memory grew over two hours");
    }

    void theCounterWrapsDuringAWait_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("page 13") << 13;
        QTest::newRow("page 14") << 14;
    }
    void theCounterWrapsDuringAWait() {
        QFETCH(int, page);
        // The millisecond counter passes its top 10 s after the page starts, then wraps.
        Lesson l(true, [](VirtualPlatform& vp) { vp.tickAtStart = INT32_MAX - 10000; });
        l.vp.ClearTraces();
        l.vp.StopAt(60000);
        l.w->NumPage = static_cast<int16_t>(page - 1);
        try {
            l.Click(l.w->B_Pag_S);
        } catch (const RunStopped&) {
        }
        QCOMPARE(l.vp.Elapsed(), 60000);
        // The page kept changing its pictures well after the wrap.
        int after = 0;
        for (const TraceLine& line : l.vp.Traces())
            if (line.ms > 20000 && line.event.contains(" picture ")) ++after;
        QVERIFY2(after > 10, qPrintable(l.vp.TraceText().join('\n')));
    }
};

QTEST_MAIN(LongSessionsTest)
#include "test_long_sessions.moc"
