// A learner who keeps clicking the page buttons: thousands of clicks delivered as fast as the
// page loops yield end on the right page, shown once more from the top, in a consistent state.

#include "course_window/m_orvalis2.h"
#include "support/lesson.h"

#include <QtTest>
#include <algorithm>

using namespace testsupport;

namespace {

// Runs page 6 from page 5 and, between two ticks 1 s into it, delivers n alternating
// previous/next clicks at once.
void Storm(Lesson& l, int n) {
    l.w->NumPage = 5;
    for (int i = 0; i < n; ++i) l.ClickAt(1050, i % 2 ? l.w->B_Pag_S : l.w->B_Pag_P);
    l.Click(l.w->B_Pag_S);
}

// Starts page 13 at depth 1 from page 12 and schedules n clicks alternating next and previous,
// dt apart from t0: each one nests while the depth allows.
void Flips(Lesson& l, int n, qint64 t0, qint64 dt) {
    for (int i = 0; i < n; ++i) l.ClickAt(t0 + i * dt, i % 2 ? l.w->B_Pag_P : l.w->B_Pag_S);
}

// Runs the scripted lesson from a click on next until the learner's click on Fermer at ms;
// returns the status the program ended with, or -1 if it did not end there.
int RunUntilFermer(Lesson& l, qint64 fermer) {
    int status = -1;
    l.ClickAt(fermer, l.w->B_Fermer);
    l.vp.onEnd = [&](int ended, const QString&) { status = l.vp.Elapsed() == fermer ? ended : -1; };
    RunFrom(l, l.w->B_Pag_S);
    return status;
}

int FramesFrom(const Lesson& l, qint64 ms, const QString& pattern) {
    return int(TracesFrom(l, ms, {"Picture2 picture"}).filter(QRegularExpression(pattern)).size());
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

    void flippingBetweenTheAnimatedPagesPastTheDepthLimitKeepsTheLessonAliveAndClosable() {
        // Page 13 animating, then a click every 0.35 s between pages 13 and 14, far past the depth
        // limit: the last page shown animates, the stack stays bounded and Fermer ends the program.
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 12;
        constexpr int kClicks = 150;
        Flips(l, kClicks, 3000, 350);
        int deepest = 0;
        for (qint64 t = 3000; t < 3000 + kClicks * 350; t += 50) l.vp.At(t, [&] { deepest = std::max(deepest, w.Profondeur()); });
        const qint64 last = 3000 + (kClicks - 1) * 350;
        QCOMPARE(RunUntilFermer(l, last + 20000), 0);
        QVERIFY(deepest <= Cour1p::kProfondeurMax);
        QCOMPARE(w.NumPage, int16_t(13));
        QCOMPARE(w.Label1.Caption(), QStringLiteral("13"));
        // Its five frames cycle every 250 ms, and after ten passes the photograph comes under them.
        QVERIFY(FramesFrom(l, last + 2000, " 11[1-5]$") >= 60);
        QCOMPARE(TracesFrom(l, last, {"Picture3 picture Img19.jpg"}).size(), qsizetype(1));
    }

    // A raised Interrompre that nothing clears, under either animation: the waits end at once,
    // yet the course goes on yielding, and Fermer is handled.
    void aWaitThatCannotEndStillYields_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("page 13") << 13;
        QTest::newRow("page 14") << 14;
    }
    void aWaitThatCannotEndStillYields() {
        QFETCH(int, page);
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = int16_t(page - 1);
        l.vp.At(3000, [] { M_Orvalis2::Interrompre = M_Orvalis2::Vrai; });
        int yields = 0;
        l.vp.At(4000, [&] { yields = l.vp.Yields(); });
        QCOMPARE(RunUntilFermer(l, 5000), 0);
        QVERIFY(l.vp.Yields() - yields >= 9);
    }

    void aBurstAtTheDepthLimitLeavesWhatEachPageItPassedWouldHaveLeft() {
        // 63 flips from page 13 end on page 14 at the depth limit, which shows its captions; then
        // two clicks on previous in one instant. Page 13 never runs its loop, but its set-up does:
        // the captions of page 14 are put away, and page 12 is shown whole.
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 12;
        Flips(l, 63, 500, 350);
        const qint64 burst = 500 + 62 * 350 + 2000;
        bool captions = false;
        l.vp.At(burst - 1, [&] { captions = w.Label2.Visible() && w.Profondeur() == Cour1p::kProfondeurMax; });
        l.ClickAt(burst, w.B_Pag_P);
        l.ClickAt(burst, w.B_Pag_P);
        QCOMPARE(RunUntilFermer(l, burst + 5000), 0);
        QVERIFY(captions);
        QCOMPARE(w.NumPage, int16_t(12));
        QVERIFY(!w.Label2.Visible() && !w.Label3.Visible());
        QCOMPARE(TracesFrom(l, burst, {"Picture2 picture", "Picture3 picture", "Picture4 picture"}),
                 QStringList({QString("%1 Picture2 picture Img17.jpg").arg(burst + 1000),
                              QString("%1 Picture3 picture Img16.jpg").arg(burst + 2000),
                              QString("%1 Picture4 picture Img18.jpg").arg(burst + 3000)}));
    }

    void aBurstThatReachesTheEvaluationStaysThere() {
        // Once page 19 is asked for, the page buttons are as good as disabled: the clicks after it
        // in the same burst do nothing, and the evaluation starts at its first question.
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 16;
        Flips(l, 63, 500, 350);
        const qint64 burst = 500 + 62 * 350 + 200;
        l.ClickAt(burst, w.B_Pag_S);
        l.ClickAt(burst, w.B_Pag_P);
        l.ClickAt(burst, w.B_Pag_P);
        QCOMPARE(RunUntilFermer(l, burst + 5000), 0);
        QCOMPARE(w.NumPage, int16_t(19));
        QCOMPARE(w.Label6.Caption(), QStringLiteral("1"));
        QVERIFY(!w.B_Pag_P.Enabled() && !w.B_Pag_S.Enabled());
        QVERIFY(w.Option1(0).Visible() && w.B_Valider.Visible());
    }
};

QTEST_MAIN(ClickStormTest)
#include "test_click_storm.moc"
