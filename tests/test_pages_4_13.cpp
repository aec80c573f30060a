// Pages 4 to 13: slide pages and their last ticks, page 9's photographs and its tick-10 page test,
// the photographs of pages 11 and 12, and page 13's looping circuit animation.

#include "course_window/m_orvalis2.h"
#include "platform/picture.h"
#include "support/lesson.h"

#include <QtTest>

using namespace testsupport;

class Pages4To13Test : public QObject {
    Q_OBJECT

private slots:
    void eachPageShowsItsSlideOneTickInAndEndsAtItsLastTick_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<qint64>("length");
        for (const int page : {4, 5, 6, 7}) QTest::addRow("page %d", page) << page << qint64(4000);
        QTest::newRow("page 8") << 8 << qint64(1000);
        QTest::newRow("page 9") << 9 << qint64(3000);
        QTest::newRow("page 10") << 10 << qint64(1000);
    }
    void eachPageShowsItsSlideOneTickInAndEndsAtItsLastTick() {
        QFETCH(int, page);
        QFETCH(qint64, length);
        Lesson l;
        l.w->NumPage = int16_t(page - 1);
        l.vp.ClearTraces();
        l.Click(l.w->B_Pag_S);
        QCOMPARE(l.w->NumPage, int16_t(page));
        QCOMPARE(l.vp.Elapsed(), length);
        QCOMPARE(l.w->Label1.Caption(), QString::number(page));
        QCOMPARE(TracesFrom(l, 0, {"Picture1 picture"}), QStringList{QString("100 Picture1 picture Diapo%1.emf").arg(page)});
        if (page != 9) QVERIFY(!l.w->Picture2.Visible() && !l.w->Picture3.Visible() && !l.w->Picture4.Visible());
    }

    void pageNineBringsItsTwoPhotographsBesideTheSlide() {
        Lesson l;
        l.w->NumPage = 8;
        l.Click(l.w->B_Pag_S);
        QVERIFY(SameRun(TracesFrom(l, 0, {"Picture2 picture", "Picture2 show", "Picture3 picture", "Picture3 show"}, 0),
                        {"1000 Picture2 picture Img11.jpg", "1000 Picture2 show", "2000 Picture3 picture Img12.jpg",
                         "2000 Picture3 show"}));
        QCOMPARE(PhotographsApart(*l.w), QString());
        // On the screen, in pixels: the second 274 in from the slide's right edge and 2 above its bottom.
        const QRect slide = OnScreen(l.w->Picture1), second = OnScreen(l.w->Picture3);
        QVERIFY(qAbs(slide.right() - second.right() - 274) <= 1 && qAbs(slide.bottom() - second.bottom() - 2) <= 1);
        // The page re-applied the corner layout first.
        QCOMPARE(OnScreen(l.w->Picture6).right(), 1920 - 1 - 3);
    }

    void nextOnPageEightAtTickFiveLeavesPageEightPollingAfterPageNine() {
        Lesson l;
        l.w->NumPage = 7;
        l.ClickAt(550, l.w->B_Pag_S);
        l.vp.StopAt(20000);
        QVERIFY(StoppedInside(l, l.w->B_Pag_S));
        // Page 9 ran in full inside page 8, which then found its tick 10 long gone.
        QCOMPARE(l.w->NumPage, int16_t(9));
        QCOMPARE(l.Loaded("Img11.jpg"), 1);
        QCOMPARE(l.Loaded("Img12.jpg"), 1);
        QVERIFY(l.w->Compteur > 150);
    }

    void previousOnPageNineAtTickFifteenNeverPlacesImg11Again() {
        Lesson l;
        l.w->NumPage = 8;
        l.ClickAt(1550, l.w->B_Pag_P);
        l.Click(l.w->B_Pag_S);
        // Page 8 ran to its tick 10; page 9 resumed at tick 10 and counted on to its own last, 30,
        // drawing nothing over page 8.
        QCOMPARE(l.vp.Elapsed(), 1600 + 900 + 2000);
        QCOMPARE(l.w->NumPage, int16_t(8));
        QVERIFY(SameRun(TracesFrom(l, 0, {"Picture2 picture", "Picture2 show", "Picture2 hide", "Picture3 picture"}, 0),
                        {"1000 Picture2 picture Img11.jpg", "1000 Picture2 show", "1550 Picture2 hide"}));
        QVERIFY(!l.w->Picture2.Visible());
    }

    void pageSevenLeftForPageEightCountsOnToItsOwnLastTick() {
        Lesson l;
        l.w->NumPage = 6;
        l.ClickAt(1550, l.w->B_Pag_S);
        l.Click(l.w->B_Pag_S);
        // Page 8 ended at its tick 10, long before page 7's 40: page 7 counted on from 10 and ended.
        QCOMPARE(l.vp.Elapsed(), 1600 + 900 + 3000);
        QCOMPARE(l.w->NumPage, int16_t(8));
        QCOMPARE(TracesFrom(l, 1550, {"Picture1 picture", "Label1 caption"}),
                 QStringList({"1550 Label1 caption 8", "1600 Picture1 picture Diapo8.emf"}));
    }

    void leavingPageNineBeforeTickTenAndComingBackRunsTheWholePageAgain() {
        {
            Lesson l;
            l.w->NumPage = 8;
            l.ClickAt(550, l.w->B_Pag_P);
            l.Click(l.w->B_Pag_S);
            // Page 8 ran to its tick 10; page 9 resumed on that tick and counted on to its 30 unseen.
            QCOMPARE(l.vp.Elapsed(), 600 + 900 + 2000);
            QCOMPARE(l.Loaded("Img11.jpg"), 0);
            const qint64 back = l.vp.Elapsed();
            l.Click(l.w->B_Pag_S);
            QCOMPARE(l.vp.Elapsed() - back, 3000);
            QVERIFY(SameRun(TracesFrom(l, back, {"Picture1 picture", "Picture2 picture", "Picture2 show",
                                                 "Picture3 picture", "Picture3 show"}, back),
                            {"100 Picture1 picture Diapo9.emf", "1000 Picture2 picture Img11.jpg",
                             "1000 Picture2 show", "2000 Picture3 picture Img12.jpg", "2000 Picture3 show"}));
            QCOMPARE(PhotographsApart(*l.w), QString());
        }
        // Coming back while page 8 still runs: page 9 runs whole inside it; page 8 then finds its
        // tick 10 gone and keeps polling, and nothing of page 9 is drawn again.
        {
            Lesson l;
            l.w->NumPage = 8;
            l.ClickAt(550, l.w->B_Pag_P);
            l.ClickAt(1050, l.w->B_Pag_S);
            l.vp.StopAt(8000);
            QVERIFY(StoppedInside(l, l.w->B_Pag_S));
            QVERIFY(SameRun(TracesFrom(l, 1, {"Picture1 picture", "Picture2 picture", "Picture3 picture"}),
                            {"100 Picture1 picture Diapo9.emf", "600 Picture1 picture Diapo8.emf",
                             "1100 Picture1 picture Diapo9.emf", "2000 Picture2 picture Img11.jpg",
                             "3000 Picture3 picture Img12.jpg"}));
            QCOMPARE(l.w->NumPage, int16_t(9));
            QVERIFY(l.w->Picture2.Visible() && l.w->Picture3.Visible());
        }
    }

    void pagesElevenAndTwelveBringThreePhotographsEach_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("photographs");
        QTest::newRow("page 11") << 11 << QStringList{"Img13.jpg", "Img14.jpg", "Img15.jpg"};
        QTest::newRow("page 12") << 12 << QStringList{"Img17.jpg", "Img16.jpg", "Img18.jpg"};
    }
    void pagesElevenAndTwelveBringThreePhotographsEach() {
        QFETCH(int, page);
        QFETCH(QStringList, photographs);
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = int16_t(page - 1);
        l.Click(w.B_Pag_S);
        QCOMPARE(l.vp.Elapsed(), 4000);
        QVERIFY(SameRun(TracesFrom(l, 0, {"Picture2 picture", "Picture3 picture", "Picture4 picture"}, 0),
                        {"1000 Picture2 picture " + photographs[0], "2000 Picture3 picture " + photographs[1],
                         "3000 Picture4 picture " + photographs[2]}));
        QCOMPARE(PhotographsApart(w), QString());
        // The third stands left of the second one's column, whatever its own width.
        QVERIFY(OnScreen(w.Picture4).right() < OnScreen(w.Picture3).left());
    }

    void aPageElevenLoopResumedOnAnotherPageEndsAtOnce() {
        Lesson l;
        l.w->NumPage = 10;
        l.ClickAt(2550, l.w->B_Pag_S);
        l.Click(l.w->B_Pag_S);
        // Page 12 ran to its tick 40; page 11 came back on its own last tick and ended without its third photograph.
        QCOMPARE(l.vp.Elapsed(), 2600 + 3900);
        QCOMPARE(l.Loaded("Img15.jpg"), 0);
        QCOMPARE(l.Loaded("Img18.jpg"), 1);
        QVERIFY(l.w->Picture4.Visible());
        QCOMPARE(PhotographsApart(*l.w), QString());
    }

    void pageTwelveInterruptedNeverDrawsItsPhotographsOverAnotherPage() {
        // Back to page 11 while page 12 runs: page 11 runs whole, then page 12 sees it and ends.
        {
            Lesson l;
            l.w->NumPage = 11;
            l.ClickAt(1550, l.w->B_Pag_P);
            l.Click(l.w->B_Pag_S);
            QCOMPARE(l.vp.Elapsed(), 1600 + 3900);
            QCOMPARE(l.w->NumPage, int16_t(11));
            QVERIFY(SameRun(TracesFrom(l, 0, {"Picture2 picture", "Picture3 picture", "Picture4 picture"}),
                            {"1000 Picture2 picture Img17.jpg", "2500 Picture2 picture Img13.jpg",
                             "3500 Picture3 picture Img14.jpg", "4500 Picture4 picture Img15.jpg"}));
        }
        // Back twice, to page 10, which ends at its tick 10: page 11 resumes there and counts on to
        // its tick 40, page 12 then finds its last tick and ends, neither drawing.
        {
            Lesson l;
            l.w->NumPage = 11;
            l.ClickAt(1550, l.w->B_Pag_P);
            l.ClickAt(2050, l.w->B_Pag_P);
            l.Click(l.w->B_Pag_S);
            QCOMPARE(l.vp.Elapsed(), 2100 + 900 + 3000);
            QCOMPARE(l.w->NumPage, int16_t(10));
            QVERIFY(SameRun(TracesFrom(l, 0, {"Picture2 picture", "Picture3 picture", "Picture4 picture"}),
                            {"1000 Picture2 picture Img17.jpg"}));
            QVERIFY(!l.w->Picture2.Visible());
        }
        // On to page 13, and back to page 12 during the animation: the nested page 12 runs whole,
        // page 13 and the first page 12 then end without drawing anything more.
        {
            Lesson l;
            l.w->NumPage = 11;
            l.ClickAt(1550, l.w->B_Pag_S);
            l.ClickAt(4120, l.w->B_Pag_P);
            l.vp.StopAt(30000);
            l.Click(l.w->B_Pag_S);
            QCOMPARE(l.vp.Elapsed(), 4200 + 3900);
            QCOMPARE(l.w->NumPage, int16_t(12));
            QVERIFY(SameRun(TracesFrom(l, 0, {"Picture2 picture Img", "Picture3 picture", "Picture4 picture"}),
                            {"1000 Picture2 picture Img17.jpg", "5100 Picture2 picture Img17.jpg",
                             "6100 Picture3 picture Img16.jpg", "7100 Picture4 picture Img18.jpg"}));
            QVERIFY(l.Loaded("113") > 0);
            QVERIFY(TracesFrom(l, 4120, {"Picture2 picture 11"}).isEmpty());
            QVERIFY(l.w->Picture2.Visible() && l.w->Picture3.Visible() && l.w->Picture4.Visible());
            QCOMPARE(PhotographsApart(*l.w), QString());
        }
    }

    void pageThirteenCyclesItsFiveFramesAndAddsImg19AfterTenPasses() {
        Lesson l;
        l.w->NumPage = 12;
        l.w->Label2.SetVisible(true);
        l.w->Label3.SetVisible(true);
        l.vp.StopAt(30000);
        QVERIFY(StoppedInside(l, l.w->B_Pag_S));
        QVERIFY(!l.w->Label2.Visible() && !l.w->Label3.Visible());
        const QStringList frames = TracesFrom(l, 0, {"Picture2 picture", "Picture3 picture"}, 0);
        // 111 is in place at tick 10 and shown again by the first wait's frame: it stays 500 ms once.
        QStringList expected{"1000 Picture2 picture 111"};
        qint64 t = 1000;
        for (int pass = 1; pass <= 23; ++pass) {
            for (int n = 111; n <= 115; ++n) {
                t += 250;
                if (t >= 30000) break;
                if (!(pass == 1 && n == 111)) expected << QString("%1 Picture2 picture %2").arg(t).arg(n);
            }
            if (pass == 10) expected << "13500 Picture3 picture Img19.jpg";
        }
        QVERIFY(SameRun(frames, expected));
        Cour1p& w = *l.w;
        QCOMPARE(OnScreen(w.Picture2).size(), QSize(300, 374));
        QVERIFY(w.Picture3.Visible());
        QCOMPARE(PhotographsApart(w), QString());
    }

    void leavingPageThirteenAndComingBackStartsTheAnimationAfresh() {
        Lesson l;
        l.w->NumPage = 12;
        // Leave in the middle of the eleventh pass, long after Img19 came, then come back.
        l.ClickAt(14120, l.w->B_Pag_P);
        l.Click(l.w->B_Pag_S);
        QCOMPARE(l.w->NumPage, int16_t(12));
        QCOMPARE(l.Loaded("Img19.jpg"), 1);
        const qint64 back = l.vp.Elapsed();
        // Page 12 ended at its tick 40; page 13's wait then ended and its next check ended the page.
        QCOMPARE(back, 14100 + 4000);
        QVERIFY(TracesFrom(l, 14121, {"Picture2 picture 11", "Picture3 picture Img19"}, 14121).isEmpty());

        l.vp.StopAt(back + 14000);
        QVERIFY(StoppedInside(l, l.w->B_Pag_S));
        QVERIFY(SameRun(TracesFrom(l, back, {"Picture2 picture 111", "Picture3 picture Img19"}, back),
                        {"1000 Picture2 picture 111", "2500 Picture2 picture 111", "3750 Picture2 picture 111",
                         "5000 Picture2 picture 111", "6250 Picture2 picture 111", "7500 Picture2 picture 111",
                         "8750 Picture2 picture 111", "10000 Picture2 picture 111", "11250 Picture2 picture 111",
                         "12500 Picture2 picture 111", "13500 Picture3 picture Img19.jpg",
                         "13750 Picture2 picture 111"}));
    }

    void leavingPageThirteenBeforeTickTenNeverStartsTheAnimation() {
        Lesson l;
        l.w->NumPage = 12;
        l.ClickAt(550, l.w->B_Pag_P);
        // Page 12 runs whole inside it; page 13's loop then finds its tick 20 gone and polls on
        // unseen until the next page is asked for.
        l.vp.StopAt(20000);
        QVERIFY(StoppedInside(l, l.w->B_Pag_S));
        QCOMPARE(l.w->NumPage, int16_t(12));
        QCOMPARE(l.Loaded("111"), 0);
    }
};

QTEST_MAIN(Pages4To13Test)
#include "test_pages_4_13.moc"
