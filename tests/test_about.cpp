// The About window: one modeless instance opened from the logo, its texts rebuilt at every load,
// closed by OK, Enter or Escape while the lesson goes on behind it.

#include "about/apropos.h"
#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QApplication>
#include <QtTest>
#include <algorithm>
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

// A control of the dialog by its name.
const platform::Control* Named(const Apropos& a, const QString& name) {
    for (const platform::Control* c : a.Form.Children())
        if (c->Name() == name) return c;
    return nullptr;
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
        QVERIFY(!(a->Form.Widget()->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(a->Form.Widget()->windowFlags() & Qt::WindowMaximizeButtonHint));
        // The description wraps onto more lines.
        QVERIFY(a->lblDescription.Widget()->height() > 2 * a->lblDescription.Widget()->fontMetrics().height());
        QCOMPARE(a->picIcon.GetPicture().SizeTwips(), QSizeF(180 * 15, 46 * 15));

        // A second click brings the same window to the front.
        l.w->Image1.Click();
        QCOMPARE(Apropos::Instance(), a);
        QCOMPARE(OpenAboutWindows(), 1);

        // Opened from another séance, or the course's menu, the same window names that one.
        const struct {
            int seance;
            const char* titre;
            const char* lblTitle;
            const char* lblDescription;
        } rows[] = {
            {2, "tension, intensité, résistance", "Séance 2 : tension, intensité, résistance", "(séance 2)"},
            {0, "L'électricité", "L'électricité", "TESSARIN 2"},
            {1, "les bases", "Électricité - Séance 1", "(séance 1)"},
        };
        for (const auto& row : rows) {
            Apropos::Afficher(row.seance, row.titre);
            QCOMPARE(a->lblTitle.Caption(), QString(row.lblTitle));
            QVERIFY2(a->lblDescription.Caption().endsWith(row.lblDescription), qPrintable(a->lblDescription.Caption()));
        }
    }

    // Every line of the dialog reads whole in its own font, inside the dialog.
    void eachLineReadsWhole_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "lblTitle",
                                 "lblVersion", "lblDescription", "lblDisclaimer"})
            QTest::newRow(name) << QString(name);
    }
    void eachLineReadsWhole() {
        QFETCH(QString, name);
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        const auto* label = dynamic_cast<const platform::Label*>(Named(*Apropos::Instance(), name));
        QVERIFY(label);
        QVERIFY(label->Widget()->isVisible() && !label->Caption().isEmpty());
        QVERIFY(ReadsWhole(*label));
    }

    // The address column on the left under the logo, the title column on the right, OK in the
    // bottom-right corner: nothing over anything else, each column read from the top down.
    void theControlsStandApartInTwoColumns() {
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        Apropos& a = *Apropos::Instance();
        const std::vector<const platform::Control*> left{&a.picIcon, &a.Label1, &a.Label2, &a.Label3,
                                                         &a.Label4, &a.Label5, &a.Label6, &a.Label7};
        const std::vector<const platform::Control*> right{&a.lblTitle, &a.lblVersion, &a.lblDescription,
                                                          &a.lblDisclaimer, &a.cmdOK};
        std::vector<const platform::Control*> all = left;
        all.insert(all.end(), right.begin(), right.end());
        for (size_t i = 0; i < all.size(); ++i) {
            QVERIFY2(SeenOf(*all[i]) == OnScreen(*all[i]), qPrintable(all[i]->Name()));
            for (size_t j = i + 1; j < all.size(); ++j)
                QVERIFY2(!OnScreen(*all[i]).intersects(OnScreen(*all[j])),
                         qPrintable(all[i]->Name() + " over " + all[j]->Name()));
        }
        for (const auto* column : {&left, &right}) {
            for (size_t i = 1; i < column->size(); ++i)
                QVERIFY2(OnScreen(*(*column)[i]).top() > OnScreen(*(*column)[i - 1]).bottom(), qPrintable((*column)[i]->Name()));
        }
        int leftEdge = 0;
        for (const auto* c : left) leftEdge = std::max(leftEdge, OnScreen(*c).right());
        for (const auto* c : right) QVERIFY2(OnScreen(*c).left() > leftEdge, qPrintable(c->Name()));
        for (size_t i = 2; i < left.size(); ++i) QCOMPARE(OnScreen(*left[i]).left(), OnScreen(*left[1]).left());
        for (size_t i = 1; i + 1 < right.size(); ++i) QCOMPARE(OnScreen(*right[i]).left(), OnScreen(*right[0]).left());
        // The title stands out: a larger bold face; the publisher's name is bold too.
        QVERIFY(a.lblTitle.Widget()->font().bold() && a.Label1.Widget()->font().bold() && !a.Label2.Widget()->font().bold());
        QVERIFY(a.lblTitle.Widget()->font().pointSizeF() > a.lblVersion.Widget()->font().pointSizeF());
        const QRect ok = OnScreen(a.cmdOK), dialog = a.Form.Widget()->rect();
        QVERIFY(ok.right() > dialog.width() * 2 / 3 && ok.bottom() > dialog.height() * 2 / 3);
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

    void aKeyClosesItOrLeavesItOpen_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("A") << int(Qt::Key_A) << false;
    }
    void aKeyClosesItOrLeavesItOpen() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        Lesson l;
        CloseAbout closeAtEnd;
        l.w->Image1.Click();
        QTest::keyClick(Apropos::Instance()->cmdOK.Widget(), Qt::Key(key));
        QCOMPARE(Apropos::Instance() == nullptr, closes);
        QCOMPARE(OpenAboutWindows(), closes ? 0 : 1);
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
