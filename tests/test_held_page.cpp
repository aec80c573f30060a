// A page held: with « attendre », the next-page button waits until the page's run has ended, shows
// it is waiting, and a screen reader is told; the other pages, and séances that say nothing, keep
// the button as it always was.

#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QtTest>

using namespace testsupport;

namespace {

// Page 1 runs 3 s, page 2 hands over to an animation at 1 s, page 3 runs 2 s.
QByteArray Script(const QByteArray& affichage, const QByteArray& page1, const QByteArray& page2) {
    return affichage + "[[page]]\ntype = \"titre\"\ndiapositive = \"T.emf\"\n"
                       "[[page]]\ndiapositive = \"A.emf\"\nfin = 30\n" + page1 +
           "[[page]]\ndiapositive = \"B.emf\"\nfin = 40\n" + page2 +
           "  [page.animation]\n  instant = 10\n  images = [\"a.png\", \"b.png\"]\n  intervalle = \"200 ms\"\n  cadre = 1\n"
           "  place = \"à droite de la diapositive, en haut\"\n"
           "[[page]]\ndiapositive = \"C.emf\"\nfin = 20\n"
           "[[page]]\ntype = \"evaluation\"\n[[page]]\ntype = \"cloture\"\n";
}

void RunUntil(Lesson& l, qint64 ms) {
    l.vp.StopAt(ms);
    try {
        for (;;) l.vp.Yield({});
    } catch (const RunStopped&) {
    }
}

// Séance 2 of a course in course, played by script, its slides and frames written.
void WriteHeldSeance(const QString& course, const QByteArray& script) {
    WriteCourse(course);
    const QString s2 = WriteSeance(course, 2, script);
    for (const char* slide : {"T.emf", "A.emf", "B.emf", "C.emf"}) WriteEmf(s2 + slide, kSlideFrameW, kSlideFrameH);
    for (const char* frame : {"a.png", "b.png"}) WriteJpeg(s2 + frame, 40, 30);
}

// What the next-page button is at ms, « 2400 page 1 held », read inside the run: stopping it to look
// would end the page's loop.
void Note(Lesson& l, qint64 ms, QStringList& seen) {
    l.vp.At(ms, [&l, &seen, ms] {
        seen << QStringLiteral("%1 page %2 %3").arg(ms).arg(l.w->NumPage).arg(l.w->B_Pag_S.Enabled() ? "free" : "held");
    });
}

}  // namespace

class HeldPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // Pages 1 and 2 entered at 1 s and 5 s: whether each holds the button, as the script says.
    void theNextPageWaitsWhereTheScriptSays_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("page1");
        QTest::addColumn<bool>("page2");
        const QByteArray oui = "attendre = \"oui\"\n", non = "attendre = \"non\"\n";
        QTest::newRow("nothing said") << Script({}, {}, {}) << false << false;
        QTest::newRow("one page") << Script({}, oui, {}) << true << false;
        QTest::newRow("the séance, one page excepted")
            << Script("[affichage]\nattendre = \"oui\"\n", {}, non) << true << false;
        QTest::newRow("the séance, the animation's page") << Script("[affichage]\nattendre = \"oui\"\n", non, {}) << false << true;
    }
    void theNextPageWaitsWhereTheScriptSays() {
        QFETCH(QByteArray, script);
        QFETCH(bool, page1);
        QFETCH(bool, page2);
        QTemporaryDir dir;
        WriteHeldSeance(dir.path(), script);
        SL_MM::Forget();
        Lesson l(true, {}, dir.path(), {}, 2);
        Cour1p& w = *l.w;
        QStringList seen;
        const auto note = [&](qint64 ms) { Note(l, ms, seen); };
        l.ClickAt(1000, w.B_Pag_S);
        note(2400);
        l.ClickAt(2500, w.B_Pag_S);  // ignored while page 1 is held
        note(2600);
        note(4200);  // its run ended at its 30th tick
        l.ClickAt(4500, w.B_Pag_S);
        note(4900);
        note(5700);  // page 2's animation has started: its run has ended
        RunUntil(l, 5800);
        const QString one = page1 ? "held" : "free", two = page2 ? "held" : "free";
        const QStringList expected = page1 ? QStringList{"2400 page 1 held", "2600 page 1 held", "4200 page 1 free", "4900 page 2 " + two,
                                                         "5700 page 2 free"}
                                           : QStringList{"2400 page 1 free", "2600 page 2 " + two};
        QCOMPARE(seen.mid(0, expected.size()), expected);
        if (!page1) return;
        bool told = false;
        for (const auto& a : l.vp.Announcements()) told = told || a.text.contains("La page suivante attend la fin de celle-ci");
        QVERIFY(told);
        bool released = false;
        for (const auto& a : l.vp.Announcements()) released = released || a.text.startsWith("Fin de la page");
        QVERIFY(released);
    }

    void goingBackFromAHeldPageLetsTheButtonGo() {
        QTemporaryDir dir;
        WriteHeldSeance(dir.path(), Script({}, "attendre = \"oui\"\n", {}));
        SL_MM::Forget();
        Lesson l(true, {}, dir.path(), {}, 2);
        Cour1p& w = *l.w;
        QStringList seen;
        const auto note = [&](qint64 ms) { Note(l, ms, seen); };
        l.ClickAt(1000, w.B_Pag_S);
        l.ClickAt(1500, w.B_Pag_P);
        note(1600);
        // Back on it, it holds again, from its own start.
        l.ClickAt(1700, w.B_Pag_S);
        note(4600);
        note(4900);
        RunUntil(l, 5000);
        QCOMPARE(seen, (QStringList{"1600 page 0 free", "4600 page 1 held", "4900 page 1 free"}));
    }
};

QTEST_MAIN(HeldPageTest)
#include "test_held_page.moc"
