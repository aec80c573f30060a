// The About window: one modeless instance opened from the logo, its texts rebuilt at every load,
// closed by OK, Enter or Escape while the lesson goes on behind it.

#include "about/apropos.h"
#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QApplication>
#include <QtTest>
#include <tuple>
#include <vector>

using namespace testsupport;

namespace {
const QString kTitre = QStringLiteral("À propos de KORVANE");

int OpenAboutWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == kTitre) ++n;
    return n;
}

// Closes the window at the end of a case, even a failed one, while its lesson's platform still
// stands, so that the next case starts with none.
struct CloseAbout {
    ~CloseAbout() {
        if (Apropos* a = Apropos::Instance()) a->cmdOK.Click();
    }
};
}  // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void theLogoOpensOneWindowWithItsTexts() {
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        Apropos* a = Apropos::Instance();
        QVERIFY(a);
        QVERIFY(a->Form.Widget()->isVisible());
        QCOMPARE(a->Form.Widget()->windowTitle(), kTitre);
        QCOMPARE(a->lblVersion.Caption(), QString("Version 0.1.5"));
        QCOMPARE(a->lblDescription.Caption(),
                 QString("Ce cours d'électricité fera partie du logiciel TESSARIN 2   (séance 1)"));
        QCOMPARE(a->Form.Widget()->size(), QSize(402, 186));
        QVERIFY(!(a->Form.Widget()->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(a->Form.Widget()->windowFlags() & Qt::WindowMaximizeButtonHint));
        // The description keeps its width and wraps onto more lines below.
        QCOMPARE(a->lblDescription.Width(), 2655.0);
        QVERIFY(a->lblDescription.Height() > 240);
        QVERIFY(a->lblDescription.Top() + a->lblDescription.Height() <= a->lblDisclaimer.Top());
        QCOMPARE(a->picIcon.GetPicture().SizeTwips(), QSizeF(180 * 15, 46 * 15));

        // A second click brings the same window to the front.
        l.w->Image1.Click();
        QCOMPARE(Apropos::Instance(), a);
        QCOMPARE(OpenAboutWindows(), 1);
    }

    void itsControlsStandWhereTheDialogPlacesThemInItsFonts() {
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        Apropos& a = *Apropos::Instance();
        // Pixels of a 96-dpi screen, 15 twips each.
        const std::vector<std::pair<const platform::Control*, QRect>> boxes{
            {&a.picIcon, QRect(8, 8, 182, 48)}, {&a.cmdOK, QRect(299, 151, 84, 23)}};
        for (const auto& [c, rect] : boxes) QCOMPARE(c->Widget()->geometry(), rect);
        // The labels size themselves to their text from their top-left corners.
        const std::vector<std::pair<const platform::Label*, QPoint>> corners{
            {&a.Label1, {8, 64}},       {&a.Label2, {8, 80}},          {&a.Label3, {8, 96}},
            {&a.Label4, {8, 112}},      {&a.Label5, {8, 128}},         {&a.Label6, {8, 144}},
            {&a.Label7, {8, 160}},      {&a.lblTitle, {213, 16}},      {&a.lblVersion, {213, 36}},
            {&a.lblDescription, {213, 67}}, {&a.lblDisclaimer, {213, 127}}};
        for (const auto& [label, corner] : corners) {
            QVERIFY2(label->Widget()->pos() == corner, qPrintable(label->Name()));
            QVERIFY2(label->Widget()->isVisible() && !label->Caption().isEmpty(), qPrintable(label->Name()));
            const QFont font = label->Widget()->font();
            const bool title = label == &a.lblTitle;
            QVERIFY2(font.pointSizeF() == (title ? 12.0 : 9.75), qPrintable(label->Name()));
            QVERIFY2(font.bold() == (title || label == &a.Label1), qPrintable(label->Name()));
            // Each line reads whole on the dialog, right column included.
            QVERIFY2(label->Widget()->geometry().right() < 402, qPrintable(label->Name()));
        }
        QCOMPARE(a.lblDescription.Widget()->width(), 177);
    }

    void theLogoDuringThePauseAfterAnAnswerLeavesTheEvaluationOnItsCourse() {
        // The same answer validated with and without a look at the About window in the two-second pause.
        const auto run = [](bool logo) {
            SL_MM::Forget();
            Lesson l;
            CloseAbout closeAtEnd;
            Cour1p& w = *l.w;
            w.NumPage = 18;
            l.Click(w.B_Pag_S);
            const qint64 t = l.vp.Elapsed();
            if (logo) l.vp.At(t + 700, [&] { w.Image1.Click(); });
            w.Option1(0).Click();
            l.Click(w.B_Valider);
            const auto seen = std::make_tuple(l.vp.Elapsed() - t, w.NumQuestion, w.Note, Screen(w),
                                              Apropos::Instance() != nullptr);
            SL_MM::Forget();
            return seen;
        };
        const auto without = run(false);
        const auto with = run(true);
        QVERIFY(std::get<4>(with));
        QCOMPARE(std::get<0>(with), std::get<0>(without));
        QCOMPARE(std::get<1>(with), int16_t(2));
        QCOMPARE(std::get<2>(with), 1.0);
        QVERIFY(SameRun(std::get<3>(with), std::get<3>(without)));
    }

    void okUnloadsAndTheNextClickLoadsItAgain() {
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        Apropos::Instance()->cmdOK.Click();
        QVERIFY(!Apropos::Instance());
        QCOMPARE(OpenAboutWindows(), 0);
        l.w->Image1.Click();
        QVERIFY(Apropos::Instance());
        QCOMPARE(OpenAboutWindows(), 1);
        // The version line is written by each load.
        QCOMPARE(l.vp.TraceText({"lblVersion caption"}).size(), 2);
        QCOMPARE(Apropos::Instance()->lblVersion.Caption(), QString("Version 0.1.5"));
    }

    void enterAndEscapeCloseIt() {
        Lesson l;
        CloseAbout closeAtEnd;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            l.w->Image1.Click();
            QTest::keyClick(Apropos::Instance()->cmdOK.Widget(), key);
            QVERIFY2(!Apropos::Instance(), qPrintable(QString::number(key, 16)));
            QCOMPARE(OpenAboutWindows(), 0);
        }
        // Other keys leave it open.
        l.w->Image1.Click();
        QTest::keyClick(Apropos::Instance()->Form.Widget(), Qt::Key_A);
        QVERIFY(Apropos::Instance());
    }

    void closingFromTheTitleBarUnloadsItAndLeavesTheProgramRunning() {
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        // The toolkit ends a running event loop when its last counted window closes.
        QTimer::singleShot(0, [] { Apropos::Instance()->Form.Widget()->close(); });
        QTimer::singleShot(200, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 7);
        QVERIFY(!Apropos::Instance());
        l.w->Image1.Click();
        QCOMPARE(OpenAboutWindows(), 1);
    }

    void theLessonGoesOnBehindTheOpenWindow() {
        Lesson l;
        CloseAbout closeAtEnd;
        l.vp.At(550, [&] { l.w->Image1.Click(); });
        l.Click(l.w->B_Pag_S);
        QVERIFY(Apropos::Instance());
        QCOMPARE(l.vp.Elapsed(), 4000);
        QCOMPARE(l.Loaded("Img3.jpg"), 1);
        QVERIFY(l.w->B_Pag_S.Reachable());
    }
};

QTEST_MAIN(AboutTest)
#include "test_about.moc"
