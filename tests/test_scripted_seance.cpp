// Séances written as scripts: séance 1's own, compiled in, or a teacher's seance.toml, played by the
// one page engine; what a teacher's pages show and when, and a click storm past the nesting limit.

#include "course_window/m_orvalis2.h"
#include "course_window/sl_mm.h"
#include "support/explorer.h"
#include "support/lesson.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtTest>

using namespace testsupport;

namespace {

void ClickNextAt(Lesson& l, qint64 ms) { l.ClickAt(ms, l.w->B_Pag_S); }

}  // namespace

class ScriptedSeanceTest : public QObject {
    Q_OBJECT

    QTemporaryDir course_;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        WriteCourse(course_.path());
    }

    void seanceOnePlaysTheScriptTheProgramHolds() {
        // Without a seance.toml, Seance1/ plays the compiled-in one: twenty-one pages, the evaluation
        // on page 19; with one, its own.
        {
            Lesson l(false, {}, course_.path());
            QVERIFY(l.seance.scriptIntegre);
            QCOMPARE(int(l.seance.script.pages.size()), 21);
            QCOMPARE(l.w->PageEvaluation(), int16_t(19));
        }
        QTemporaryDir own;
        WriteCourse(own.path());
        WriteSeance(own.path(), 1, "[[page]]\ntype = \"titre\"\ndiapositive = \"Diapo0.emf\"\n[[page]]\ntype = \"evaluation\"\n"
                                   "[[page]]\ntype = \"cloture\"\n");
        Lesson mine(false, {}, own.path());
        QVERIFY(!mine.seance.scriptIntegre);
        QCOMPARE(mine.w->PageEvaluation(), int16_t(1));
    }

    void aTeachersSeancePlaysItsOwnPages() {
        // Séance 2: a slide built in two steps with a photograph placed in words, the teacher's own
        // animation, then the evaluation on page 3 and the closing page with its own text.
        QTemporaryDir dir;
        WriteCourse(dir.path());
        const QString s2 = WriteSeance(dir.path(), 2, R"([[page]]
type = "titre"
diapositive = "Titre.emf"
[[page]]
diapositive = "Pile.emf"
fin = "3 s"
  [[page.photo]]
  instant = 5
  cadre = 1
  fichier = "pile.jpg"
  place = "à droite de la diapositive, en haut, marge 20 px"
  [[page.etape]]
  instant = "1,5 s"
  diapositive = "Pile2.emf"
[[page]]
diapositive = "Anim.emf"
fin = 20
  [page.animation]
  instant = 10
  images = ["a.png", "b.png", "c.png"]
  intervalle = "200 ms"
  cadre = 2
  place = "à gauche de la diapositive, en bas, marge 10 px"
[[page]]
type = "evaluation"
[[page]]
type = "cloture"
texte = "Fin de la séance 2."
)");
        for (const char* slide : {"Titre.emf", "Pile.emf", "Pile2.emf", "Anim.emf"}) WriteEmf(s2 + slide, kSlideFrameW, kSlideFrameH);
        WriteJpeg(s2 + "pile.jpg", 200, 100);
        for (const char* frame : {"a.png", "b.png", "c.png"}) {
            QImage image(120, 80, QImage::Format_RGB32);
            image.fill(Qt::yellow);
            QVERIFY(image.save(s2 + frame));
        }

        SL_MM::Forget();
        Lesson l(true, {}, dir.path(), {}, 2);
        QVERIFY(!l.seance.scriptIntegre);
        Cour1p& w = *l.w;
        QCOMPARE(w.PageEvaluation(), int16_t(3));
        ClickNextAt(l, 1000);
        ClickNextAt(l, 5000);
        ClickNextAt(l, 9000);
        ClickNextAt(l, 9500);  // the evaluation has locked the page buttons
        for (int q = 1; q <= 20; ++q) {
            const qint64 at = 10000 + 3500LL * (q - 1);
            l.vp.At(at, [&w] { w.Option1(0).Click(); });
            l.ClickAt(at + 100, w.B_Valider);
        }
        l.vp.StopAt(10000 + 3500LL * 20 + 500);
        try {
            for (;;) l.vp.Yield({});
        } catch (const RunStopped&) {
        }
        const QStringList seen = l.vp.TraceText({"Picture1 picture", "Picture2 picture", "Picture3 picture", "Label1 caption"});
        for (const char* line : {"0 Picture1 picture Titre.emf", "1000 Label1 caption 1", "1100 Picture1 picture Pile.emf",
                                 "1500 Picture2 picture pile.jpg", "2500 Picture1 picture Pile2.emf", "5100 Picture1 picture Anim.emf",
                                 "6000 Picture3 picture a.png", "9000 Label1 caption 3"})
            QVERIFY2(seen.contains(QString::fromUtf8(line)), qPrintable(QString(line) + "\n" + seen.join('\n')));
        QCOMPARE(seen.filter("Label1 caption 4").size(), 1);
        // The frames follow one another every 200 ms, each loaded from the folder; the first one is held
        // for two, as séance 1's circuit holds its first frame.
        QVERIFY(seen.contains("6400 Picture3 picture b.png") && seen.contains("6600 Picture3 picture c.png") &&
                seen.contains("6800 Picture3 picture a.png"));
        QCOMPARE(w.NumPage, int16_t(4));
        QCOMPARE(w.Note, 20.0);
        QCOMPARE(w.Label2.Caption(), QString("Fin de la séance 2."));
        QVERIFY(!w.B_Pag_P.Enabled() && !w.B_Pag_S.Enabled());
        // The photograph stands 20 px inside the slide's top-right corner.
        QCOMPARE(w.Picture2.Left() + w.Picture2.Width(), w.Picture1.Left() + w.Picture1.Width() - 20 * 15);
        QCOMPARE(w.Picture2.Top(), w.Picture1.Top() + 20 * 15);
    }

    void theEvaluationEnteredBeforeTheLastPageEndsKeepsItsQuestions() {
        // The page before the evaluation runs five seconds; the learner is on question 2 before
        // then, and its loop's end must not take the evaluation back to question 1.
        QTemporaryDir dir;
        WriteCourse(dir.path());
        const QString s2 = WriteSeance(dir.path(), 2, R"([[page]]
type = "titre"
diapositive = "Titre.emf"
[[page]]
diapositive = "Long.emf"
fin = "5 s"
[[page]]
type = "evaluation"
[[page]]
type = "cloture"
)");
        for (const char* slide : {"Titre.emf", "Long.emf"}) WriteEmf(s2 + slide, kSlideFrameW, kSlideFrameH);
        SL_MM::Forget();
        Lesson l(true, {}, dir.path(), {}, 2);
        Cour1p& w = *l.w;
        ClickNextAt(l, 1000);
        ClickNextAt(l, 1500);
        l.vp.At(1800, [&w] { w.Option1(0).Click(); });
        l.ClickAt(1900, w.B_Valider);
        l.vp.At(7000, [&w] { w.Option1(0).Click(); });
        l.ClickAt(7100, w.B_Valider);
        l.vp.StopAt(11000);
        try {
            for (;;) l.vp.Yield({});
        } catch (const RunStopped&) {
        }
        QCOMPARE(w.NumPage, int16_t(2));
        QCOMPARE(w.NumQuestion, int16_t(3));
        QCOMPARE(w.Label6.Caption(), QString("3"));
        QCOMPARE(w.Note, 2.0);
    }

    void aClickStormPastTheLimitKeepsTheInvariants() {
        // Seed 285084 of the explorer: its learner clicks séance 1 past the nesting limit, where the
        // loops left on the stack are the script's; the lesson's invariants hold.
        using namespace testsupport::explorer;
        PrepareDirectVisits(course_.path());
        const Outcome o = Play(Draw(285084, 120), Options{course_.path(), true, 30000});
        QVERIFY2(o.ok, qPrintable(o.failure));
        QVERIFY(o.storm);
    }

};

QTEST_MAIN(ScriptedSeanceTest)
#include "test_scripted_seance.moc"
