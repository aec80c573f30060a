// The course window: start-up, first focus, layout of the corner controls, the page buttons at
// their limits, closing, the tick counter and the two kinds of pause.

#include "course_window/m_orvalis2.h"
#include "support/lesson.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
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
        hit << ControlName(w);
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
        if (o->isWidgetType() && !ControlName(o).isEmpty()) order.prepend(ControlName(o));
    return order;
}
}  // namespace

class CourseWindowTest : public QObject {
    Q_OBJECT

private slots:
    void loadGivesTheSlideAreaAFourThirdsBoxBeforeTheFirstFocus() {
        Lesson l(false);
        l.w->Form_Load();
        QCOMPARE(l.w->Form.Widget()->size(), QSize(1920, 1080));
        const QRect slide = OnScreen(l.w->Picture1);
        QCOMPARE(slide.height(), 1080 - 55);
        QVERIFY(qAbs(slide.width() * 3 - slide.height() * 4) <= 4);
        QVERIFY((slide.center() - QRect(0, 0, 1920, 1080).center()).manhattanLength() <= 2);
        QCOMPARE(l.w->NumPage, int16_t(0));
    }

    // On any screen the first slide is centred, cut equally on both sides when larger than the
    // screen, and its notice line reads whole inside it, centred, in its lower part.
    void firstFocusShowsTheSlideAndItsNoticeLineOnAnyScreen_data() {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("1920 × 1080, taller than the slide") << QSize(1920, 1080);
        QTest::newRow("2560 × 1600, much taller") << QSize(2560, 1600);
        QTest::newRow("1024 × 768, the slide's size") << QSize(1024, 768);
        QTest::newRow("800 × 600, smaller than the slide") << QSize(800, 600);
    }
    void firstFocusShowsTheSlideAndItsNoticeLineOnAnyScreen() {
        QFETCH(QSize, screen);
        Lesson l(true, [screen](VirtualPlatform& vp) { vp.screen = screen; });
        Cour1p& w = *l.w;
        QCOMPARE(l.Loaded("Diapo0.emf"), 1);
        QCOMPARE(w.Form.Widget()->size(), screen);
        const QRect slide = OnScreen(w.Picture1);
        QCOMPARE(QSizeF(w.Picture1.Width(), w.Picture1.Height()), w.Picture1.GetPicture().SizeTwips());
        QVERIFY((slide.center() - QRect(QPoint(0, 0), screen).center()).manhattanLength() <= 2);
        QCOMPARE(slide.left() < 0, screen.width() < slide.width());
        const QRect notice = OnScreen(w.Label4);
        QVERIFY(w.Label4.Visible() && !w.Label4.Caption().isEmpty());
        QVERIFY(ReadsWhole(w.Label4));
        QVERIFY(qAbs(notice.center().x() - slide.center().x()) <= 1);
        QVERIFY(notice.top() > slide.center().y());
    }

    void firstFocusSetsTheQuizStateAndLaysOutTheCorners() {
        Lesson l;
        Cour1p& w = *l.w;
        QCOMPARE(w.Repertoire, l.folder->path() + "/Seance1/");
        QCOMPARE(w.Note, 0.0);
        QCOMPARE(w.NumQuestion, int16_t(1));
        QCOMPARE(w.Label1.Caption(), QString("0"));
        // Close button and logo panel in the top-left corner, the bar in the top-right one, all
        // 3 pixels from the edges, level and as tall as one another.
        const QRect close = OnScreen(w.B_Fermer), logo = OnScreen(w.Picture5), bar = OnScreen(w.Picture6);
        QCOMPARE(close.topLeft(), QPoint(3, 3));
        QCOMPARE(bar.right(), 1920 - 1 - 3);
        QCOMPARE(logo.left(), close.right() + 1);
        for (const QRect& r : {logo, bar}) {
            QCOMPARE(r.top(), close.top());
            QCOMPARE(r.height(), close.height());
        }
        // The panel shows the logo alone; the arrows, taller than the bar, are cut by it.
        QCOMPARE(SeenOf(w.Image1).width(), logo.width());
        for (const platform::CommandButton* arrow : {&w.B_Pag_P, &w.B_Pag_S}) {
            QVERIFY(bar.contains(SeenOf(*arrow)));
            QVERIFY(SeenOf(*arrow).height() < OnScreen(*arrow).height());
        }
        QVERIFY(bar.contains(SeenOf(w.Label1)));
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

    void closingEndsTheProgramFromInsideAPageLoopOrAShortPause_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<qint64>("at");
        QTest::addColumn<QString>("frameShown");
        QTest::newRow("page 1's loop") << 0 << qint64(1550) << QString();
        QTest::newRow("page 13's 250 ms wait") << 12 << qint64(3130) << QString("113");
        QTest::newRow("page 14's 230 ms wait") << 13 << qint64(5020) << QString("118");
    }
    void closingEndsTheProgramFromInsideAPageLoopOrAShortPause() {
        QFETCH(int, from);
        QFETCH(qint64, at);
        QFETCH(QString, frameShown);
        Lesson l;
        l.w->NumPage = int16_t(from);
        l.ClickAt(at, l.w->B_Fermer);
        try {
            l.Click(l.w->B_Pag_S);
            QFAIL("the page ran on after Fermer");
        } catch (const ProgramEnded& e) {
            QCOMPARE(e.status, 0);
            QCOMPARE(l.vp.Elapsed(), at);
        }
        // Each wait is well into its animation when the click comes.
        if (!frameShown.isEmpty()) QVERIFY2(l.Loaded(frameShown) > 0, qPrintable(frameShown));
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

    void pauseOfTwoSecondsEndsWhenTheSecondsHaveMovedOnThreeTimes_data() {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<int>("clockAhead");
        QTest::addColumn<qint64>("end");
        QTest::newRow("started at 0.9 s") << qint64(900) << 0 << qint64(3000);
        QTest::newRow("started on a whole second") << qint64(0) << 0 << qint64(3000);
        // With the clock's seconds between two ticks, it ends at the second, not at the next tick.
        QTest::newRow("seconds between two ticks") << qint64(0) << 50 << qint64(2950);
    }
    void pauseOfTwoSecondsEndsWhenTheSecondsHaveMovedOnThreeTimes() {
        QFETCH(qint64, start);
        QFETCH(int, clockAhead);
        QFETCH(qint64, end);
        Lesson l(true, [clockAhead](VirtualPlatform& vp) { vp.timeAtStart = vp.timeAtStart.addMSecs(clockAhead); });
        qint64 returned = -1;
        l.vp.At(start, [&] {
            int32_t n = 2;
            l.w->FaireUnePause(n);
            QCOMPARE(n, 2);
            returned = l.vp.Elapsed();
        });
        while (returned < 0 && l.vp.Elapsed() < 10000) l.vp.Yield({});
        QCOMPARE(returned, end);
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
