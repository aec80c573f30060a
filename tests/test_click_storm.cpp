// A learner who keeps clicking the page buttons: thousands of clicks delivered as fast as the
// page loops yield end on the right page, shown once more from the top, in a consistent state.

#include "sound/m_orvalis2.h"
#include "support/lesson.h"

#include <QtTest>

using namespace testsupport;

namespace {

// Runs page 6 from page 5 and, between two ticks 1 s into it, delivers n alternating
// previous/next clicks at once.
void Storm(Lesson& l, int n) {
    l.w->NumPage = 5;
    for (int i = 0; i < n; ++i) l.ClickAt(1050, i % 2 ? l.w->B_Pag_S : l.w->B_Pag_P);
    l.Click(l.w->B_Pag_S);
}

}  // namespace

class ClickStormTest : public QObject {
    Q_OBJECT

private slots:
    void tenThousandClicksEndOnTheRightPageShownWhole_data() {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("page");
        QTest::newRow("even") << 10000 << 6;
        QTest::newRow("odd") << 10001 << 5;
    }
    void tenThousandClicksEndOnTheRightPageShownWhole() {
        QFETCH(int, clicks);
        QFETCH(int, page);
        Lesson l;
        Storm(l, clicks);
        Cour1p& w = *l.w;
        QCOMPARE(w.NumPage, int16_t(page));
        QCOMPARE(w.Label1.Caption(), QString::number(page));
        QCOMPARE(w.NomDiapo, QStringLiteral("Diapo%1.emf").arg(page));
        QCOMPARE(M_Orvalis2::Interrompre, M_Orvalis2::Faux);
        // The newest page ran its whole loop after the storm: its slide is the last one loaded and
        // its loop reached its last tick.
        const QStringList slides = l.vp.TraceText({"Picture1 picture"});
        QVERIFY(slides.last().endsWith(QStringLiteral("Diapo%1.emf").arg(page)));
        QCOMPARE(w.Compteur, int16_t(40));
        QCOMPARE(l.vp.Elapsed(), 1100 + 3900);
        // Every click was taken: the buttons stay usable and one more click nests as always.
        l.vp.At(l.vp.Elapsed() + 500, [&] { l.Click(w.B_Pag_S); });
        l.Click(w.B_Pag_P);
        QCOMPARE(w.NumPage, int16_t(page));
        QCOMPARE(w.Label1.Caption(), QString::number(page));
    }

    void aShortBurstStillNestsEachPage() {
        // Up to the depth limit, each click runs its page inside the running one, as always.
        Lesson l;
        Storm(l, Cour1p::kProfondeurMax / 2);
        QCOMPARE(l.w->NumPage, int16_t(6));
        // The innermost page runs to its end; on the way out every page finds tick 40 reached.
        QCOMPARE(l.vp.Elapsed(), 1100 + 3900);
        QCOMPARE(l.Loaded("Diapo5.emf"), 0);
    }
};

QTEST_MAIN(ClickStormTest)
#include "test_click_storm.moc"
