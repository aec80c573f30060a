// Pages 0 to 3 on the tick timeline, and what a page click during a page loop does.

#include "course_window/m_orvalis2.h"
#include "support/lesson.h"

#include <QtTest>

using namespace testsupport;

namespace {
// The steps of pages 1 to 3 as the learner sees them happen; where a box goes is checked on the screen.
QStringList Steps(const Lesson& l) {
    QStringList steps = TracesFrom(l, 0, {"Label4 hide", "Picture1 picture", "Picture2", "Picture3", "Picture4"});
    steps.replaceInStrings(QRegularExpression(" (size|move) .*$"), " \\1");
    return steps;
}
}  // namespace

class PagesTest : public QObject {
    Q_OBJECT

private slots:
    // Entered from the page before, each page brings its photographs in one second apart, each one
    // loaded, sized and placed before it shows, and ends at tick 40 with everything left on screen:
    // whole on the slide, none over another, the first in the slide's top-right corner, each next
    // one under the one before.
    void eachPageBringsItsPhotographsInOneSecondApart_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("photographs");
        QTest::newRow("page 1") << 1 << QStringList{"Img1.jpg", "Img2.jpg", "Img3.jpg"};
        QTest::newRow("page 2") << 2 << QStringList{"Img6.jpg", "Img7.jpg", "Img8.jpg"};
        QTest::newRow("page 3, two photographs") << 3 << QStringList{"Img9.jpg", "Img10.jpg"};
    }
    void eachPageBringsItsPhotographsInOneSecondApart() {
        QFETCH(int, page);
        QFETCH(QStringList, photographs);
        Lesson l;
        Cour1p& w = *l.w;
        w.NumPage = int16_t(page - 1);
        l.vp.ClearTraces();
        l.Click(w.B_Pag_S);  // returns when the page loop ends
        QCOMPARE(l.vp.Elapsed(), 4000);
        QStringList expected{QString("100 Picture1 picture Diapo%1.emf").arg(page)};
        // Started from page 0's state: each slide's page puts the title's notice line away.
        expected.prepend("0 Label4 hide");
        for (int i = 0; i < photographs.size(); ++i) {
            const QString box = QString("%1 Picture%2 ").arg(1000 * (i + 1)).arg(i + 2);
            expected << box + "picture " + photographs[i] << box + "size" << box + "move" << box + "show";
        }
        QVERIFY(SameRun(Steps(l), expected));
        QCOMPARE(w.Picture4.Visible(), photographs.size() == 3);
        QVERIFY(w.Picture2.Visible() && w.Picture3.Visible());
        QCOMPARE(PhotographsApart(w), QString());
        const QRect slide = OnScreen(w.Picture1), first = OnScreen(w.Picture2);
        QVERIFY(first.left() > slide.center().x() && first.bottom() < slide.center().y());
    }

    void aPhotographWiderThanTheSpaceLeftComesUpWholeReachingLeftOfTheSlide() {
        Lesson l;
        WriteJpeg(l.w->Repertoire + "Img1.jpg", 1500, 100);
        l.Click(l.w->B_Pag_S);
        const QRect slide = OnScreen(l.w->Picture1), photo = OnScreen(l.w->Picture2);
        // Neither scaled nor clipped to the slide: its right edge stays by the slide's, its left goes past.
        QCOMPARE(photo.size(), QSize(1500, 100));
        QVERIFY(photo.right() <= slide.right() && photo.right() > slide.right() - 20);
        QVERIFY(photo.left() < slide.left());
    }

    // Left for page 0 while one of its steps' ticks is on, page 1 ends without bringing a
    // photograph back, however deep it lies under the runs that came after it.
    void pageOneLeftForPageZeroOnAStepTickBringsNoPhotographBack_data() {
        QTest::addColumn<QList<qint64>>("next");
        QTest::addColumn<QList<qint64>>("previous");
        QTest::newRow("previous at tick 10") << QList<qint64>{} << QList<qint64>{1050};
        QTest::newRow("previous at tick 20") << QList<qint64>{} << QList<qint64>{2050};
        QTest::newRow("previous at tick 30") << QList<qint64>{} << QList<qint64>{3050};
        // Page 2 from page 1, page 1 again from page 2, then page 0 at the second page 1's ticks.
        QTest::newRow("1, 2, 1, 0 at tick 10") << QList<qint64>{550} << QList<qint64>{1050, 2050};
        QTest::newRow("1, 2, 1, 0 at tick 20") << QList<qint64>{550} << QList<qint64>{1050, 3050};
        QTest::newRow("1, 2, 1, 0 at tick 30") << QList<qint64>{550} << QList<qint64>{1050, 4050};
    }
    void pageOneLeftForPageZeroOnAStepTickBringsNoPhotographBack() {
        QFETCH(QList<qint64>, next);
        QFETCH(QList<qint64>, previous);
        Lesson l;
        Cour1p& w = *l.w;
        for (const qint64 at : next) l.ClickAt(at, w.B_Pag_S);
        for (const qint64 at : previous) l.ClickAt(at, w.B_Pag_P);
        l.Click(w.B_Pag_S);
        const qint64 left = previous.last();
        // Every run on the stack ended at the click that showed page 0.
        QCOMPARE(l.vp.Elapsed(), left);
        QCOMPARE(w.NumPage, int16_t(0));
        QVERIFY(SameRun(TracesFrom(l, left, {"Picture1 picture", "Picture2 picture", "Picture3 picture", "Picture4 picture",
                                              "Picture2 show", "Picture3 show", "Picture4 show", "Label4"}),
                        {QString("%1 Picture1 picture Diapo0.emf").arg(left), QString("%1 Label4 show").arg(left)}));
        QVERIFY(!w.Picture2.Visible() && !w.Picture3.Visible() && !w.Picture4.Visible());
    }

    void aFinishedPageOneLeftForPageZeroHidesItsThreePhotographs() {
        Lesson l;
        Cour1p& w = *l.w;
        l.Click(w.B_Pag_S);
        QVERIFY(w.Picture2.Visible() && w.Picture3.Visible() && w.Picture4.Visible());
        l.Click(w.B_Pag_P);
        QCOMPARE(l.vp.Elapsed(), 4000);
        QVERIFY(SameRun(TracesFrom(l, 4000, {"Picture", "Label1 caption", "Label4"}),
                        {"4000 Picture2 hide", "4000 Picture3 hide", "4000 Picture4 hide", "4000 Label1 caption 0",
                         "4000 Picture1 picture Diapo0.emf", "?4000 Picture1 move", "4000 Label4 show"}));
        QVERIFY(!w.Picture2.Visible() && !w.Picture3.Visible() && !w.Picture4.Visible() && w.Label4.Visible());
    }

    void nextAtTickFifteenRunsPageTwoInsidePageOne() {
        Lesson l;
        l.ClickAt(1550, l.w->B_Pag_S);
        l.Click(l.w->B_Pag_S);
        // Page 2 ran from 1550 to its tick 40; page 1 then saw tick 40 too and ended.
        QCOMPARE(l.vp.Elapsed(), 1600 + 3900);
        QCOMPARE(l.w->NumPage, int16_t(2));
        QCOMPARE(l.Loaded("Img2.jpg"), 0);
        QCOMPARE(l.Loaded("Img3.jpg"), 0);
        QStringList at1550 = l.vp.TraceText({"Picture2 hide", "Label1 caption 2", "Picture1 picture Diapo2"});
        QVERIFY(SameRun(at1550, {"1550 Picture2 hide", "1550 Label1 caption 2", "1600 Picture1 picture Diapo2.emf"}));
        QCOMPARE(l.Loaded("Img8.jpg"), 1);
    }

    void previousAtTickFifteenShowsPageZeroAtOnceAndEndsPageOne() {
        Lesson l;
        l.ClickAt(1550, l.w->B_Pag_P);
        l.Click(l.w->B_Pag_S);
        QCOMPARE(l.vp.Elapsed(), 1550);
        QCOMPARE(l.w->NumPage, int16_t(0));
        QVERIFY(SameRun(l.vp.TraceText({"Picture1 picture", "Label1 caption", "Label4 caption", "Label4 show", "Label4 hide", "Picture2 hide"}), {
            "0 Picture1 picture Diapo0.emf", "0 Label4 caption © 2026", "0 Label1 caption 0",
            "0 Label1 caption 1", "0 Label4 hide", "100 Picture1 picture Diapo1.emf",
            "1550 Picture2 hide", "1550 Label1 caption 0", "1550 Picture1 picture Diapo0.emf", "1550 Label4 show",
        }));
        QCOMPARE(M_Orvalis2::Interrompre, M_Orvalis2::Vrai);
        // The counter goes on from where it was.
        QCOMPARE(l.w->Compteur, int16_t(15));
        l.vp.Yield({});
        QCOMPARE(l.w->Compteur, int16_t(16));
    }

    void twoQuickClicksNestThreePagesThatAllEndAtTickForty() {
        Lesson l;
        l.ClickAt(550, l.w->B_Pag_S);
        l.ClickAt(1050, l.w->B_Pag_S);
        l.Click(l.w->B_Pag_S);
        QCOMPARE(l.w->NumPage, int16_t(3));
        QCOMPARE(l.vp.Elapsed(), 1100 + 3900);
        QCOMPARE(l.Loaded("Img1.jpg"), 0);
        QCOMPARE(l.Loaded("Img6.jpg"), 0);
        QVERIFY(SameRun(l.vp.TraceText({"Picture2 picture", "Picture3 picture"}),
                        {"2000 Picture2 picture Img9.jpg", "3000 Picture3 picture Img10.jpg"}));
    }
};

QTEST_MAIN(PagesTest)
#include "test_pages_0_3.moc"
