// The course window: start-up, first focus, layout of the corner controls, the page buttons at
// their limits, closing, the tick counter and the two kinds of pause.

#include "course_window/m_orvalis2.h"
#include "support/lesson.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <map>
#include <vector>

using namespace testsupport;

namespace {
// What a learner's pointer meets at a point of host, front to back: the control hit is named, then
// taken off the screen so that the one under it shows. Labels let clicks through and are never hit.
QStringList PeelAt(QWidget* host, QPoint at) {
    QStringList hit;
    std::vector<QWidget*> hidden;
    while (QWidget* w = host->childAt(at)) {
        while (w->parentWidget() != host) w = w->parentWidget();
        hit << w->objectName();
        w->hide();
        hidden.push_back(w);
    }
    for (QWidget* w : hidden) w->show();
    return hit;
}

// The controls of a container front to back, as the toolkit paints them (the last child on top).
QStringList PaintedFrontToBack(QWidget* host) {
    QStringList order;
    for (QObject* o : host->children())
        if (o->isWidgetType() && !o->objectName().isEmpty()) order.prepend(o->objectName());
    return order;
}
}  // namespace

class CourseWindowTest : public QObject {
    Q_OBJECT

private slots:
    void loadGivesTheSlideAreaAFourThirdsBoxBeforeTheFirstFocus() {
        Lesson l(false);
        l.w->Form_Load();
        QCOMPARE(l.w->EchelleX, 15.0f);
        QCOMPARE(l.w->Form.Width(), 28800.0);
        QCOMPARE(l.w->Form.Height(), 16200.0);
        QCOMPARE(l.w->Picture1.Height(), 16200.0 - 55 * 15);
        QCOMPARE(l.w->Picture1.Width(), (16200.0 - 55 * 15) * 4 / 3);
        QCOMPARE(l.w->Picture1.Left(), (28800 - l.w->Picture1.Width()) / 2);
        QCOMPARE(l.w->Picture1.Top(), 412.5);
        QCOMPARE(l.w->NumPage, int16_t(0));
    }

    void firstFocusShowsPageZeroAndLaysOutTheCorners() {
        Lesson l;
        Cour1p& w = *l.w;
        QCOMPARE(w.Repertoire, l.folder.path() + "/Seance1/");
        QCOMPARE(l.Loaded("Diapo0.emf"), 1);
        const double slideW = FrameTwips(kSlideFrameW), slideH = FrameTwips(kSlideFrameH);
        QCOMPARE(w.Picture1.Width(), slideW);
        QCOMPARE(w.Picture1.Left(), (28800 - slideW) / 2);
        QCOMPARE(w.Picture1.Top(), (16200 - slideH) / 2);
        // The notice line sits inside the slide, centred, 101 pixels above its bottom.
        QVERIFY(w.Label4.Visible());
        QCOMPARE(w.Label4.Width(), 735.0);
        QCOMPARE(w.Label4.Left(), (slideW - 735) / 2);
        QCOMPARE(w.Label4.Top(), slideH - 255 - 101 * 15);
        QVERIFY(w.Label4.Top() + w.Label4.Height() <= w.Picture1.Height());
        QVERIFY(!w.Label4.Caption().isEmpty());
        QCOMPARE(w.Note, 0.0);
        QCOMPARE(w.NumQuestion, int16_t(1));
        // Corner controls, 3 pixels from the edges.
        QCOMPARE(w.B_Fermer.Left(), 45.0);
        QCOMPARE(w.B_Fermer.Top(), 45.0);
        QCOMPARE(w.Picture6.Height(), w.B_Fermer.Height());
        QCOMPARE(w.Picture6.Left(), 28800 - 1700 - 45.0);
        QCOMPARE(w.Picture6.Top(), 45.0);
        QCOMPARE(w.Label1.Caption(), QString("0"));
        QCOMPARE(w.Picture5.Left(), 45.0 + 735);
        QCOMPARE(w.Picture5.Width(), w.Image1.Width());
        QCOMPARE(w.Picture5.Height(), 420.0);
        // Pixels on the screen: the bar is 28 px tall and the arrow buttons, 30 px at -1, are cut by it.
        QCOMPARE(w.Picture6.Widget()->geometry(), QRect(1804, 3, 113, 28));
        QCOMPARE(w.B_Pag_S.Widget()->geometry(), QRect(73, -1, 40, 30));
        QCOMPARE(w.Picture1.Widget()->geometry().center(), QPoint(959, 539));
    }

    void laterFocusChangesNothing() {
        Lesson l;
        Cour1p& w = *l.w;
        w.Note = 3.5;
        w.NumQuestion = 7;
        w.NumPage = 4;
        w.Label4.Move(1, 2);
        platform::RunHandler([&] { w.Form_Activate(); });
        QCOMPARE(l.Loaded("Diapo0.emf"), 1);
        QCOMPARE(w.Note, 3.5);
        QCOMPARE(w.NumQuestion, int16_t(7));
        QCOMPARE(w.NumPage, int16_t(4));
        QCOMPARE(w.Label4.Left(), 1.0);
    }

    void aSlideLargerThanTheScreenIsCutEquallyOnBothSides() {
        Lesson l(true, [](VirtualPlatform& vp) { vp.screen = QSize(800, 600); });
        QCOMPARE(l.w->Picture1.Left(), (12000 - FrameTwips(kSlideFrameW)) / 2);
        QCOMPARE(l.w->Picture1.Top(), (9000 - FrameTwips(kSlideFrameH)) / 2);
        QVERIFY(l.w->Picture1.Left() < 0 && l.w->Picture1.Top() < 0);
    }

    void atTheRootTheSeparatorDoubles() {
        Lesson l(false, [](VirtualPlatform& vp) { vp.currentDirectory = "/"; });
        l.w->Form_Load();
        try {
            platform::RunHandler([&] { l.w->Form_Activate(); });
        } catch (const ProgramEnded& e) {
            QVERIFY2(e.message.contains("//Seance1/Diapo0.emf"), qPrintable(e.message));
        }
        QCOMPARE(l.w->Repertoire, QString("//Seance1/"));
    }

    void pageButtonsStopAtTheirLimits() {
        Lesson l;
        Cour1p& w = *l.w;
        const QStringList shown{"Label1", "Picture1", "Picture2", "Label4"};
        const QStringList before = l.vp.TraceText(shown);
        l.Click(w.B_Pag_P);
        QCOMPARE(w.NumPage, int16_t(0));
        QCOMPARE(M_Orvalis2::Interrompre, M_Orvalis2::Faux);
        w.NumPage = 19;
        l.Click(w.B_Pag_S);
        QCOMPARE(w.NumPage, int16_t(19));
        QCOMPARE(l.vp.TraceText(shown), before);
    }

    void framesPanelsAndButtonsStandInFrontOfWhatTheyOverlap() {
        Lesson l;
        Cour1p& w = *l.w;
        // Everything of the window over one corner of the screen, everything of the slide over one
        // corner of the slide.
        for (platform::Control* c : std::initializer_list<platform::Control*>{
                 &w.Picture1, &w.Picture2, &w.Picture3, &w.Picture4, &w.Picture5, &w.Picture6, &w.B_Fermer}) {
            c->Move(0, 0);
            c->SetVisible(true);
        }
        w.Picture5.Resize(1500, 1500);
        w.Picture2.Resize(1500, 1500);
        w.Picture3.Resize(1500, 1500);
        w.Picture4.Resize(1500, 1500);
        QCOMPARE(PeelAt(w.Form.Widget(), QPoint(20, 20)),
                 QStringList({"Picture6", "Picture5", "Picture4", "Picture3", "Picture2", "B_Fermer", "Picture1"}));

        for (platform::Control* c : std::initializer_list<platform::Control*>{
                 &w.B_Valider, &w.Option1(0), &w.Option1(1), &w.Option1(2), &w.Option1(3), &w.Label2, &w.Label3,
                 &w.Label4, &w.Label6}) {
            c->Move(0, 0);
            c->SetVisible(true);
        }
        for (int i = 0; i < 4; ++i) w.Option1(i).Resize(1500, 750);
        QCOMPARE(PeelAt(w.Picture1.Widget(), QPoint(10, 10)),
                 QStringList({"B_Valider", "Option1(3)", "Option1(2)", "Option1(1)", "Option1(0)"}));
        // The labels are drawn on the slide's surface, under every button.
        QCOMPARE(PaintedFrontToBack(w.Picture1.Widget()),
                 QStringList({"B_Valider", "Option1(3)", "Option1(2)", "Option1(1)", "Option1(0)", "Label6", "Label4",
                              "Label3", "Label2"}));
    }

    void closingEndsTheProgramFromInsideAPageLoopOrAShortPause() {
        // Page 1's loop; page 13's 250 ms wait and page 14's 230 ms wait, each well into its animation.
        const std::map<int16_t, std::pair<qint64, QString>> cases{
            {0, {1550, ""}}, {12, {3130, "113"}}, {13, {5020, "118"}}};
        for (const auto& [from, when] : cases) {
            const auto& [at, frameShown] = when;
            Lesson l;
            l.w->NumPage = from;
            l.ClickAt(at, l.w->B_Fermer);
            try {
                l.Click(l.w->B_Pag_S);
                QFAIL("the page ran on after Fermer");
            } catch (const ProgramEnded& e) {
                QCOMPARE(e.status, 0);
                QCOMPARE(l.vp.Elapsed(), at);
            }
            if (!frameShown.isEmpty()) QVERIFY2(l.Loaded(frameShown) > 0, qPrintable(frameShown));
        }
    }

    void aMissingOrBrokenSlideEndsTheProgramWithThePathAndTheReason() {
        {
            Lesson l;
            QFile::remove(l.w->Repertoire + "Diapo1.emf");
            try {
                l.Click(l.w->B_Pag_S);
                QFAIL("no error");
            } catch (const ProgramEnded& e) {
                QCOMPARE(e.status, 1);
                QVERIFY2(e.message.contains(l.w->Repertoire + "Diapo1.emf"), qPrintable(e.message));
                QVERIFY2(e.message.contains("introuvable"), qPrintable(e.message));
                QCOMPARE(l.vp.Elapsed(), 100);
            }
        }
        {
            Lesson l;
            QFile f(l.w->Repertoire + "Img1.jpg");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(5000, 'x'));
            f.close();
            try {
                l.Click(l.w->B_Pag_S);
                QFAIL("no error");
            } catch (const ProgramEnded& e) {
                QVERIFY2(e.message.contains("Img1.jpg") && e.message.contains("image"), qPrintable(e.message));
                QCOMPARE(l.vp.Elapsed(), 1000);
            }
        }
    }

    void theRealProgramReportsAMissingFolderAndFailsPlainly() {
        QTemporaryDir empty;
        QProcess p;
        p.setWorkingDirectory(empty.path());
        p.start(QStringLiteral(SEANCE_BIN_DIR "/src/seance1"), {});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains(empty.path() + "/Seance1/Diapo0.emf") && err.contains("introuvable"), qPrintable(err));
    }

    void counterStopsAtItsTop() {
        Lesson l;
        l.w->Compteur = 32766;
        for (int i = 0; i < 3; ++i) l.vp.Yield({});
        QCOMPARE(l.w->Compteur, int16_t(32767));
    }

    void pauseOfTwoSecondsEndsWhenTheSecondsHaveMovedOnThreeTimes() {
        for (const qint64 start : {900, 0}) {
            Lesson l;
            qint64 returned = -1;
            l.vp.At(start, [&] {
                int32_t n = 2;
                l.w->FaireUnePause(n);
                QCOMPARE(n, 2);
                returned = l.vp.Elapsed();
            });
            while (returned < 0 && l.vp.Elapsed() < 10000) l.vp.Yield({});
            QCOMPARE(returned, 3000);
        }
        // With the clock's seconds between two ticks, it ends at the second, not at the next tick.
        Lesson l(true, [](VirtualPlatform& vp) { vp.timeAtStart = vp.timeAtStart.addMSecs(50); });
        int32_t n = 2;
        l.w->FaireUnePause(n);
        QCOMPARE(l.vp.Elapsed(), 2950);
    }

    void pauseEndsEarlyWhenAPageButtonIsPressed() {
        Lesson l;
        qint64 returned = -1;
        l.vp.At(0, [&] {
            int32_t n = 2;
            l.w->FaireUnePause(n);
            returned = l.vp.Elapsed();
        });
        l.vp.At(450, [&] { l.Click(l.w->B_Pag_P); });  // page 0: nothing happens, nothing raised
        l.vp.At(1250, [&] {
            l.w->NumPage = 5;
            M_Orvalis2::Interrompre = M_Orvalis2::Vrai;
        });
        while (returned < 0 && l.vp.Elapsed() < 10000) l.vp.Yield({});
        QCOMPARE(returned, 1250);
    }

    void shortPauseLastsItsTimeAcrossTheCounterWrap() {
        Lesson l(true, [](VirtualPlatform& vp) { vp.tickAtStart = INT32_MAX - 100; });
        M_Orvalis2::Interrompre = M_Orvalis2::Faux;
        l.w->PauseCourte(250);
        QCOMPARE(l.vp.Elapsed(), 250);
        // A nested pause started during the wait: the outer one then ends by the newer start.
        qint64 inner = -1;
        l.vp.At(400, [&] {
            l.w->PauseCourte(250);
            inner = l.vp.Elapsed();
        });
        l.w->PauseCourte(250);
        QCOMPARE(inner, 650);
        QCOMPARE(l.vp.Elapsed(), 650);
    }
};

QTEST_MAIN(CourseWindowTest)
#include "test_course_window.moc"
