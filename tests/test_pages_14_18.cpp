// Pages 14 to 18: the two electron strips of page 14 and their fourteen-step cycle, the captions
// and their positions, leaving page 14 at any moment, and the slide pages 15 to 18.

#include "course_window/m_orvalis2.h"
#include "platform/picture.h"
#include "support/lesson.h"

#include <QtTest>
#include <array>
#include <map>

using namespace testsupport;

namespace {
// Virtual time of the animation's pair k (1-based over all cycles) on a page 14 entered at 0:
// the set-up runs at tick 11 and every pair follows one wait of 230 ms.
qint64 Pair(int k) { return 1100 + 230 * k; }

// Enters page 14 from page 13 at 0 and leaves it for page 15 while pair k is on screen; returns
// when page 15's run is over, with the time of the click that left.
qint64 LeaveFourteenAtPair(Lesson& l, int k) {
    l.w->NumPage = 13;
    const qint64 leave = Pair(k) + 50;
    l.ClickAt(leave, l.w->B_Pag_S);
    l.Click(l.w->B_Pag_S);
    return leave;
}

// The strip frame a box shows, 0 if none.
int FrameOf(const platform::PictureBox& box) {
    for (int id = 116; id <= 122; ++id)
        if (box.GetPicture().SameAs(platform::LoadResourcePicture(id))) return id;
    return 0;
}


// Strip frames set into either box from ms on.
QStringList StripFramesFrom(const Lesson& l, qint64 ms) {
    return TracesFrom(l, ms, {"Picture2 picture", "Picture3 picture"})
        .filter(QRegularExpression(" (11[6-9]|12[0-2])$"));
}

}  // namespace

class Pages14To18Test : public QObject {
    Q_OBJECT

private slots:
    // Each step of the cycle, in each of the first five cycles: the pair of frames it shows, and the
    // lower strip and its caption from the wait that holds pair 56, the fifth cycle's start, on.
    void pageFourteenShowsEachStepsPairInEveryCycle_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("lower");
        const std::array<std::pair<int, int>, 14> pairs{{{116, 117}, {117, 118}, {118, 119}, {119, 120},
                                                         {120, 121}, {121, 122}, {122, 116}, {116, 122},
                                                         {117, 121}, {118, 120}, {119, 119}, {120, 118},
                                                         {121, 117}, {122, 116}}};
        for (int step = 1; step <= 14; ++step) {
            const auto [upper, lower] = pairs[size_t(step - 1)];
            QTest::addRow("step %d: %d over %d", step, upper, lower) << step << upper << lower;
        }
    }
    void pageFourteenShowsEachStepsPairInEveryCycle() {
        QFETCH(int, step);
        QFETCH(int, upper);
        QFETCH(int, lower);
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 13;
        QStringList seen, expected;
        for (int cycle = 0; cycle < 5; ++cycle) {
            const int k = step + 14 * cycle;
            expected << QString("pair %1: %2 over %3, lower %4").arg(k).arg(upper).arg(lower).arg(k >= 56 ? "shown" : "hidden");
            l.vp.At(Pair(k) + 10, [&, k] {
                const bool shown = w.Picture3.Visible() && w.Label3.Visible();
                const bool hidden = !w.Picture3.Visible() && !w.Label3.Visible();
                seen << QString("pair %1: %2 over %3, lower %4")
                            .arg(k).arg(FrameOf(w.Picture2)).arg(FrameOf(w.Picture3))
                            .arg(shown ? "shown" : hidden ? "hidden" : "half shown");
            });
        }
        l.vp.StopAt(Pair(step + 14 * 4) + 20);
        QVERIFY(StoppedInside(l, w.B_Pag_S));
        QVERIFY(SameRun(seen, expected));
    }

    void pageFourteenSetsUpBothStripsAtTickElevenAndLeavesForPageThirteen() {
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 13;
        std::pair<int, int> beforeFirstPair;
        bool shownBeforeFifthCycle = true;
        // Before the first pair both strips hold 116 for one wait.
        l.vp.At(Pair(1) - 10, [&] { beforeFirstPair = {FrameOf(w.Picture2), FrameOf(w.Picture3)}; });
        l.vp.At(Pair(56) - 10, [&] { shownBeforeFifthCycle = w.Picture3.Visible() || w.Label3.Visible(); });
        // Back to page 13 once both strips run.
        const qint64 leave = Pair(60) + 50;
        l.ClickAt(leave, w.B_Pag_P);
        l.vp.StopAt(leave + 2000);
        QVERIFY(StoppedInside(l, w.B_Pag_S));

        QCOMPARE(beforeFirstPair, std::make_pair(116, 116));
        QVERIFY(!shownBeforeFifthCycle);
        QVERIFY(SameRun(TracesFrom(l, 0, {"Picture3 show", "Label3 show", "Label2 show", "Label2 caption",
                                          "Label3 caption"}),
                        {"1100 Label2 caption Courant continu", "1100 Label2 show", "1100 Label3 caption Courant alternatif",
                         QString("%1 Picture3 show").arg(Pair(56)), QString("%1 Label3 show").arg(Pair(56))}));
        // Page 13 hid the captions, and page 14 set no frame after the learner left.
        QVERIFY(!w.Label2.Visible() && !w.Label3.Visible());
        QVERIFY(StripFramesFrom(l, leave).isEmpty());
        QCOMPARE(l.Loaded("111"), 1);
        QCOMPARE(w.NumPage, int16_t(13));
    }

    void theStripsAndCaptionsStandAgainstEachOtherOnTheScreen() {
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 13;
        l.vp.StopAt(Pair(57));
        QVERIFY(StoppedInside(l, w.B_Pag_S));
        // The captions live in the slide, the strips on the window: on the screen, in pixels, the
        // upper strip sits 52 from the slide's right edge and 120 under its top, each caption 2
        // under its strip and 45 in, the lower strip 150 under the first caption.
        const QRect slide = OnScreen(w.Picture1);
        const QRect upper = OnScreen(w.Picture2), lower = OnScreen(w.Picture3);
        const QRect caption2 = OnScreen(w.Label2), caption3 = OnScreen(w.Label3);
        const auto near = [](int actual, int expected) { return qAbs(actual - expected) <= 1; };
        QCOMPARE(upper.size(), QSize(268, 54));
        QVERIFY(near(slide.right() - upper.right(), 52) && near(upper.top() - slide.top(), 120));
        QVERIFY(near(caption2.left() - upper.left(), 45) && near(caption2.top() - upper.bottom() - 1, 2));
        QVERIFY(lower.left() == upper.left() && near(lower.top() - caption2.bottom() - 1, 150));
        QVERIFY(caption3.left() == caption2.left() && near(caption3.top() - lower.bottom() - 1, 2));
        QCOMPARE(w.Label2.Caption(), QString("Courant continu"));
        QCOMPARE(w.Label3.Caption(), QString("Courant alternatif"));
        for (const platform::Control* c : std::initializer_list<const platform::Control*>{
                 &w.Picture2, &w.Picture3, &w.Label2, &w.Label3}) {
            QVERIFY2(slide.contains(OnScreen(*c)) && SeenOf(*c) == OnScreen(*c), qPrintable(c->Name()));
        }
        // Each caption on one line, whole.
        QVERIFY(ReadsWhole(w.Label2) && ReadsWhole(w.Label3));
        QCOMPARE(caption3.height(), caption2.height());
    }

    void everyPageAfterPageFourteenLooksAsOnItsFirstVisit() {
        // Up from page 0 to 14, then back down to 0, 1.5 s on each page: page 14 moved the slide's
        // origin, yet nothing already placed moves on the screen and every page looks the same.
        Lesson l;
        Cour1p& w = *l.w;
        std::map<int, QStringList> up, down;
        up[0] = Screen(w);
        // Page 1 from the click that starts the run, at 0; page p at 1.5 s × (p − 1).
        for (int p = 1; p <= 14; ++p) {
            if (p > 1) l.ClickAt(1500 * (p - 1), w.B_Pag_S);
            l.vp.At(1500 * (p - 1) + 1400, [&, p] { up[p] = Screen(w); });
        }
        const qint64 back = 1500 * 13 + 3000;
        for (int p = 13; p >= 0; --p) {
            const qint64 at = back + 1500 * (13 - p);
            l.ClickAt(at, w.B_Pag_P);
            l.vp.At(at + 1400, [&, p] { down[p] = Screen(w); });
        }
        l.vp.StopAt(back + 1500 * 14 + 1000);
        QVERIFY(RunFrom(l, w.B_Pag_S));
        QVERIFY(up[14].filter("Label2 ").size() == 1);
        for (int p = 0; p <= 13; ++p) QVERIFY2(SameRun(down[p], up[p]), qPrintable(QString("page %1").arg(p)));
    }

    void theEvaluationAndTheClosingPageLookTheSameWithOrWithoutPageFourteen() {
        // Through page 14 (its strips set up), or straight from page 18.
        auto evaluation = [](bool throughFourteen) {
            Lesson l;
            Cour1p& w = *l.w;
            w.NumPage = throughFourteen ? 13 : 18;
            // The click that starts the run leads to page 14 or 19; then on through 15 to 19.
            const int clicks = throughFourteen ? 5 : 0;
            for (int i = 0; i < clicks; ++i) l.ClickAt(3000 + 1500 * i, w.B_Pag_S);
            const qint64 at19 = throughFourteen ? 3000 + 1500 * (clicks - 1) : 0;
            QStringList question, closing;
            l.vp.At(at19 + 100, [&] {
                question = Screen(w);
                w.NumQuestion = 20;
                w.Option1(0).Click();
                w.B_Valider.Click();
            });
            l.vp.At(at19 + 4000, [&] { closing = Screen(w); });
            l.vp.StopAt(at19 + 4100);
            RunFrom(l, w.B_Pag_S);
            return std::make_pair(question, closing);
        };
        const auto direct = evaluation(false);
        const auto through = evaluation(true);
        QVERIFY(direct.first.filter("Option1").size() == 4);
        QVERIFY(direct.second.filter("Label6").size() == 1);
        QVERIFY(SameRun(through.first, direct.first));
        QVERIFY(SameRun(through.second, direct.second));
    }

    void pageFourteenLeftBeforeTickElevenShowsNoStrip() {
        Lesson l;
        l.w->NumPage = 13;
        l.ClickAt(550, l.w->B_Pag_S);
        l.Click(l.w->B_Pag_S);
        // Page 15 ran to its tick 20; page 14 came back on page 15 and ended.
        QCOMPARE(l.vp.Elapsed(), 600 + 1900);
        QCOMPARE(l.Loaded("116"), 0);
        QVERIFY(TracesFrom(l, 0, {"Label2 show", "Label3 show"}).isEmpty());
    }

    void pageFourteenLeftInTheFirstCyclesKeepsItsLastPairAndRestartsAlone() {
        Lesson l;
        Cour1p& w = *l.w;
        // Leave while step 7 of the second cycle is on screen.
        const qint64 leave = LeaveFourteenAtPair(l, 21);
        QCOMPARE(w.NumPage, int16_t(15));
        QCOMPARE(l.vp.Elapsed(), (leave / 100 + 1) * 100 + 1900);
        QCOMPARE(FrameOf(w.Picture2), 122);
        QCOMPARE(FrameOf(w.Picture3), 116);
        QVERIFY(StripFramesFrom(l, leave).isEmpty());
        QVERIFY(TracesFrom(l, 0, {"Picture3 show", "Label3 show"}).isEmpty());
        QVERIFY(!w.Label2.Visible());

        // Shown again: set up again from tick 11, four cycles of the upper strip alone.
        const qint64 again = l.vp.Elapsed();
        bool early = true;
        l.vp.At(again + Pair(56) - 10, [&] { early = w.Picture3.Visible() || w.Label3.Visible(); });
        l.vp.StopAt(again + Pair(56) + 10);
        QVERIFY(StoppedInside(l, w.B_Pag_P));
        QVERIFY(!early);
        QVERIFY(w.Picture3.Visible() && w.Label3.Visible() && w.Label2.Visible());
        QCOMPARE(TracesFrom(l, again, {"Label2 show"}), QStringList{QString("%1 Label2 show").arg(again + 1100)});
    }

    void pageFourteenLeftInTheWaitAfterAFourteenthStepKeepsThatPair_data() {
        QTest::addColumn<int>("pair");
        QTest::newRow("first cycle's last pair") << 14;
        QTest::newRow("fourth cycle's last pair, lower strip up") << 56;
    }
    void pageFourteenLeftInTheWaitAfterAFourteenthStepKeepsThatPair() {
        QFETCH(int, pair);
        Lesson l;
        Cour1p& w = *l.w;
        const qint64 leave = LeaveFourteenAtPair(l, pair);
        QCOMPARE(w.NumPage, int16_t(15));
        QCOMPARE(l.vp.Elapsed(), (leave / 100 + 1) * 100 + 1900);
        QCOMPARE(FrameOf(w.Picture2), 122);
        QCOMPARE(FrameOf(w.Picture3), 116);
        QVERIFY(StripFramesFrom(l, leave).isEmpty());
        QCOMPARE(TracesFrom(l, 0, {"Picture3 show", "Label3 show"}).size(), pair == 56 ? 2 : 0);
        QVERIFY(!w.Picture2.Visible() && !w.Picture3.Visible() && !w.Label2.Visible() && !w.Label3.Visible());
    }

    void theAnimationCalledOffPageFourteenDoesNothing() {
        Lesson l;
        l.w->NumPage = 3;
        const auto traces = l.vp.Traces().size();
        l.w->AnimCourantAlternatif(14);
        QCOMPARE(l.vp.Traces().size(), traces);
        QCOMPARE(l.vp.Elapsed(), 0);
    }

    void pagesFifteenToEighteenRunTheirSlidesForTheirTicks_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("from");
        QTest::addColumn<qint64>("length");
        QTest::newRow("page 15, from page 16") << 15 << 16 << qint64(2000);
        QTest::newRow("page 16") << 16 << 15 << qint64(2000);
        QTest::newRow("page 17") << 17 << 16 << qint64(1000);
        QTest::newRow("page 18") << 18 << 17 << qint64(1000);
    }
    void pagesFifteenToEighteenRunTheirSlidesForTheirTicks() {
        QFETCH(int, page);
        QFETCH(int, from);
        QFETCH(qint64, length);
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = int16_t(from);
        w.Label2.SetVisible(true);
        w.Label3.SetVisible(true);
        w.NumQuestion = 7;
        l.vp.ClearTraces();
        l.Click(page < from ? w.B_Pag_P : w.B_Pag_S);
        QCOMPARE(w.NumPage, int16_t(page));
        QCOMPARE(l.vp.Elapsed(), length);
        QCOMPARE(TracesFrom(l, 0, {"Picture1 picture"}), QStringList{QString("100 Picture1 picture Diapo%1.emf").arg(page)});
        // Page 15 hides page 14's captions, even when reached from page 16.
        if (page == 15) QVERIFY(!w.Label2.Visible() && !w.Label3.Visible());
        // Page 18 sets the first question of the evaluation.
        QCOMPARE(w.NumQuestion, int16_t(page == 18 ? 1 : 7));
        const QStringList photograph = TracesFrom(l, 0, {"Picture2 picture", "Picture2 show"});
        if (page != 16) {
            QVERIFY(photograph.isEmpty());
            return;
        }
        QCOMPARE(photograph, (QStringList{"700 Picture2 picture Img20.jpg", "700 Picture2 show"}));
        // On the screen: its right edge 165 pixels inside the slide's, its top 46 pixels under the slide's.
        const QRect slide = OnScreen(w.Picture1), photo = OnScreen(w.Picture2);
        QVERIFY(slide.contains(photo));
        QVERIFY(qAbs(slide.right() - photo.right() - 165) <= 1 && qAbs(photo.top() - slide.top() - 46) <= 1);
    }

    void pageEighteenLeftEarlyStillSetsTheFirstQuestion() {
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 17;
        w.NumQuestion = 7;
        l.ClickAt(550, w.B_Pag_P);
        l.Click(w.B_Pag_S);
        // Page 17 ran to its tick 10; page 18 came back on that tick, its own last, and ended.
        QCOMPARE(l.vp.Elapsed(), 600 + 900);
        QCOMPARE(w.NumPage, int16_t(17));
        QCOMPARE(w.NumQuestion, int16_t(1));
    }

    void pageEighteenLeftForTheEvaluationReachesItsTenthTickUnderIt() {
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 17;
        l.ClickAt(550, w.B_Pag_S);
        // A question number moved on while page 18's loop still runs below the evaluation.
        l.vp.At(750, [&] { w.NumQuestion = 7; });
        l.Click(w.B_Pag_S);
        // The evaluation cleared Interrompre; page 18's loop then counted on to its tick 10 and left
        // the question the evaluation had reached as it was.
        QCOMPARE(l.vp.Elapsed(), 1000);
        QCOMPARE(w.NumPage, int16_t(19));
        QCOMPARE(w.NumQuestion, int16_t(7));
        QCOMPARE(M_Orvalis2::Interrompre, M_Orvalis2::Faux);
        QCOMPARE(w.Label6.Caption(), QString("1"));
        QVERIFY(!w.B_Pag_P.Enabled() && !w.B_Pag_S.Enabled());
        // Page 18's slide came at its tick 1 and nothing of it came back over the questions.
        QVERIFY(SameRun(TracesFrom(l, 1, {"Picture1 picture"}),
                        {"100 Picture1 picture Diapo18.emf", "550 Picture1 picture (none)"}));
    }

    void nextTwiceWithinOneTickFromPageSeventeenLoadsNoSlideForTheEvaluation() {
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = 16;
        // Page 19 runs inside page 18's very first yield, before its tick 1.
        l.ClickAt(450, w.B_Pag_S);
        l.ClickAt(460, w.B_Pag_S);
        l.Click(w.B_Pag_S);
        // Page 18 counted on to its tick 10 without acting, then page 17 found its own tick 10.
        QCOMPARE(l.vp.Elapsed(), 1400);
        QCOMPARE(w.NumPage, int16_t(19));
        QCOMPARE(l.Loaded("Diapo18.emf"), 0);
        QCOMPARE(l.Loaded("Diapo19.emf"), 0);
        QVERIFY(w.Picture1.GetPicture().IsNull());
        QCOMPARE(w.Label6.Caption(), QString("1"));
        QCOMPARE(w.NumQuestion, int16_t(1));
        QVERIFY(w.Option1(0).Visible() && w.B_Valider.Visible());
    }

    void aLearnerGoesFromPageZeroToEighteenWithTheNextButton() {
        Lesson l;
        Cour1p& w = *l.w;
        w.NumQuestion = 7;
        // One click every five seconds: most pages have ended by then, pages 13 and 14 never end alone.
        for (int page = 1; page <= 18; ++page) l.ClickAt(500 + 5000 * (page - 1), w.B_Pag_S);
        l.vp.StopAt(500 + 5000 * 18);
        try {
            while (true) l.vp.Yield({});
        } catch (const RunStopped&) {
        }
        QCOMPARE(w.NumPage, int16_t(18));
        QCOMPARE(w.NumQuestion, int16_t(1));
        QStringList pages;
        for (const QString& line : l.vp.TraceText({"Label1 caption"})) pages << line.section(' ', -1);
        QCOMPARE(pages.join(','), QString("0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18"));
        for (int page = 1; page <= 18; ++page)
            QVERIFY2(l.Loaded(QString("Diapo%1.emf").arg(page)) == 1, qPrintable(QString("page %1").arg(page)));
        // Photographs and strips came up on their own pages only.
        QCOMPARE(l.Loaded("Img19.jpg"), 0);
        QCOMPARE(l.Loaded("Img20.jpg"), 1);
        const qint64 page14 = 500 + 5000 * 13, page15 = page14 + 5000;
        QVERIFY(l.Loaded("111") > 0);
        QVERIFY(TracesFrom(l, page14, {"Picture2 picture"}).filter(QRegularExpression(" 11[1-5]$")).isEmpty());
        QVERIFY(!StripFramesFrom(l, page14).isEmpty());
        QVERIFY(StripFramesFrom(l, page15).isEmpty());
        QVERIFY(!w.Label2.Visible() && !w.Label3.Visible());
        QVERIFY(!w.Picture2.Visible() && !w.Picture3.Visible() && !w.Picture4.Visible());
    }
};

QTEST_MAIN(Pages14To18Test)
#include "test_pages_14_18.moc"
