// Pages 0 to 3 on the tick timeline, and what a page click during a page loop does.

#include "course_window/m_orvalis2.h"
#include "support/lesson.h"

#include <QtTest>

using namespace testsupport;

namespace {
const QStringList kSeen{"Label1 caption", "Label4 show", "Label4 hide", "Picture1 picture", "Picture2", "Picture3",
                        "Picture4"};

// Twips of photograph n as the test course makes it.
double PW(int n) { return PhotoWidth(n) * 15.0; }
double PH(int n) { return PhotoHeight(n) * 15.0; }
const double kSlideW = FrameTwips(kSlideFrameW), kSlideH = FrameTwips(kSlideFrameH);
const double kSlideL = (28800 - kSlideW) / 2, kSlideT = (16200 - kSlideH) / 2;

QString Move(double l, double t) { return QString("move %1,%2").arg(l, 0, 'f', 1).arg(t, 0, 'f', 1); }
QString Size(int n) { return QString("size %1x%2").arg(PW(n), 0, 'f', 1).arg(PH(n), 0, 'f', 1); }
}  // namespace

class PagesTest : public QObject {
    Q_OBJECT

private slots:
    void pageOneBringsItsPhotographsInOneSecondApartAtTheirPlaces() {
        Lesson l;
        const auto start = l.vp.Traces().size();
        l.Click(l.w->B_Pag_S);  // returns when the page loop ends
        QCOMPARE(l.vp.Elapsed(), 4000);
        QStringList seen;
        for (auto i = start; i < l.vp.Traces().size(); ++i) {
            const TraceLine& t = l.vp.Traces()[i];
            for (const QString& p : kSeen)
                if (t.event.startsWith(p)) seen << QString("%1 %2").arg(t.ms).arg(t.event);
        }
        const double p2l = kSlideL + kSlideW - PW(1) - 100, p2t = kSlideT + 100;
        const double p3l = kSlideL + kSlideW - PW(2) - 300, p3t = p2t + PH(1) + 300;
        const double p4l = kSlideL + kSlideW - PW(2) - PW(3) - 600, p4t = kSlideT + kSlideH - PH(3) - 120;
        QVERIFY(SameRun(seen, {
            "0 Label1 caption 1", "0 Label4 hide",
            "100 Picture1 picture Diapo1.emf",
            "1000 Picture2 picture Img1.jpg", "1000 Picture2 " + Size(1), "1000 Picture2 " + Move(p2l, p2t),
            "1000 Picture2 show",
            "2000 Picture3 picture Img2.jpg", "2000 Picture3 " + Size(2), "2000 Picture3 " + Move(p3l, p3t),
            "2000 Picture3 show",
            "3000 Picture4 picture Img3.jpg", "3000 Picture4 " + Size(3), "3000 Picture4 " + Move(p4l, p4t),
            "3000 Picture4 show",
        }));
        // Everything stays on the screen after the loop.
        QVERIFY(l.w->Picture2.Visible() && l.w->Picture3.Visible() && l.w->Picture4.Visible());
        QCOMPARE(l.w->Picture4.Widget()->geometry().topLeft(),
                 QPoint(qRound(p4l / 15), qRound(p4t / 15)));
    }

    void pagesTwoAndThreePlaceTheirPhotographsByTheirOwnFormulas() {
        Lesson l;
        l.w->NumPage = 1;
        l.Click(l.w->B_Pag_S);
        QCOMPARE(l.w->Picture2.Left(), kSlideL + kSlideW - PW(6) - 300);
        QCOMPARE(l.w->Picture2.Top(), kSlideT + 300);
        QCOMPARE(l.w->Picture3.Left(), kSlideL + kSlideW - PW(7) - 2700);
        QCOMPARE(l.w->Picture3.Top(), kSlideT + 300 + PH(6) + 1000);
        QCOMPARE(l.w->Picture4.Left(), kSlideL + kSlideW - PW(7) - PW(8) - 900);
        QCOMPARE(l.w->Picture4.Top(), kSlideT + kSlideH - PH(8) - 500);
        const qint64 pageTwoEnd = l.vp.Elapsed();
        l.Click(l.w->B_Pag_S);
        // Page 3 brings in two photographs only and still lasts 40 ticks.
        QCOMPARE(l.vp.Elapsed() - pageTwoEnd, 4000);
        QVERIFY(l.w->Picture2.Visible() && l.w->Picture3.Visible() && !l.w->Picture4.Visible());
        QCOMPARE(l.w->Picture2.Left(), kSlideL + kSlideW - PW(9) - 150);
        QCOMPARE(l.w->Picture3.Top(), kSlideT + 150 + PH(9) + 200);
        QCOMPARE(l.w->Picture3.Left(), kSlideL + kSlideW - PW(10) - 400);
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
        std::vector<std::pair<int, qint64>> ends;
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

    void aPhotographWiderThanTheSpaceLeftIsPlacedAsTheFormulaSays() {
        Lesson l;
        WriteJpeg(l.w->Repertoire + "Img1.jpg", 1500, 100);
        l.Click(l.w->B_Pag_S);
        QCOMPARE(l.w->Picture2.Width(), 1500 * 15.0);
        QCOMPARE(l.w->Picture2.Left(), kSlideL + kSlideW - 1500 * 15.0 - 100);
        QVERIFY(l.w->Picture2.Left() < kSlideL);
    }
};

QTEST_MAIN(PagesTest)
#include "test_pages_0_3.moc"
