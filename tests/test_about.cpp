// The About window: one modeless instance opened from the logo, its texts rebuilt at every load,
// closed by OK, Enter or Escape while the lesson goes on behind it.

#include "about/apropos.h"
#include "support/lesson.h"

#include <QApplication>
#include <QtTest>

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
