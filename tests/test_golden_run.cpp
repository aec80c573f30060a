// One whole lesson, pages 0 to 20, with a scripted learner: what appears and when. The learner
// pages on every 4.5 s (during page loops as often as after them), leaves the two animations
// running, answers the twenty questions (right, except questions 3, 7 and 15) and reaches page 20.

#include "course_window/m_orvalis2.h"
#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QtTest>
#include <set>

using namespace testsupport;

namespace {
// What the learner sees change: the page number, the slides and photographs, the questions, the score.
const QStringList kSeen{"Label1 caption", "Picture1 picture", "Picture2 picture Img", "Picture3 picture Img",
                        "Picture4 picture Img", "Label6 caption", "Label9 caption"};
}  // namespace

class GoldenRunTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SL_MM::Forget();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void wholeLessonFromPageZeroToPageTwenty() {
        Lesson l;
        Cour1p& w = *l.w;
        for (int page = 1; page <= 19; ++page) l.ClickAt(1000 + 4500LL * (page - 1), w.B_Pag_S);
        const qint64 quiz = 1000 + 4500LL * 18;  // page 19 is shown
        const std::set<int> wrong{3, 7, 15};
        for (int q = 1; q <= 20; ++q) {
            const qint64 at = quiz + 3500LL * (q - 1);
            l.vp.At(at + 700, [&w, q, &wrong] { w.Option1(wrong.count(q) ? 2 : 0).Click(); });
            l.ClickAt(at + 1200, w.B_Valider);
        }
        const qint64 end = quiz + 3500LL * 20;
        while (l.vp.Elapsed() < end) l.vp.Yield({});

        QCOMPARE(w.NumPage, int16_t(20));
        QCOMPARE(w.NumQuestion, int16_t(20));
        // 17 right answers; each of the three wrong ones took half a point off.
        QCOMPARE(w.Note, 15.5);
        QCOMPARE(w.Label9.Caption(), QString("Performance : 15,5/20"));
        QStringList sounds = l.vp.SoundCommands();
        QCOMPARE(sounds.size(), 21);
        QCOMPARE(sounds.first(), QString("open"));
        QCOMPARE(sounds.count("sound SonMCM.wav"), 3);
        // One beep per question shown, one more per right answer.
        QCOMPARE(l.vp.Beeps(), 20 + 17);

        QStringList seen = l.vp.TraceText(kSeen);
        // The run up to the evaluation, as a table of (virtual ms, what changes on the screen).
        const QStringList lesson{
            "0 Picture1 picture Diapo0.emf", "0 Label1 caption 0",
            "1000 Label1 caption 1", "1100 Picture1 picture Diapo1.emf", "2000 Picture2 picture Img1.jpg",
            "3000 Picture3 picture Img2.jpg", "4000 Picture4 picture Img3.jpg",
            "5500 Label1 caption 2", "5600 Picture1 picture Diapo2.emf", "6500 Picture2 picture Img6.jpg",
            "7500 Picture3 picture Img7.jpg", "8500 Picture4 picture Img8.jpg",
            "10000 Label1 caption 3", "10100 Picture1 picture Diapo3.emf", "11000 Picture2 picture Img9.jpg",
            "12000 Picture3 picture Img10.jpg",
            "14500 Label1 caption 4", "14600 Picture1 picture Diapo4.emf",
            "19000 Label1 caption 5", "19100 Picture1 picture Diapo5.emf",
            "23500 Label1 caption 6", "23600 Picture1 picture Diapo6.emf",
            "28000 Label1 caption 7", "28100 Picture1 picture Diapo7.emf",
            "32500 Label1 caption 8", "32600 Picture1 picture Diapo8.emf",
            "37000 Label1 caption 9", "37100 Picture1 picture Diapo9.emf", "38000 Picture2 picture Img11.jpg",
            "39000 Picture3 picture Img12.jpg",
            "41500 Label1 caption 10", "41600 Picture1 picture Diapo10.emf",
            "46000 Label1 caption 11", "46100 Picture1 picture Diapo11.emf", "47000 Picture2 picture Img13.jpg",
            "48000 Picture3 picture Img14.jpg", "49000 Picture4 picture Img15.jpg",
            "50500 Label1 caption 12", "50600 Picture1 picture Diapo12.emf", "51500 Picture2 picture Img17.jpg",
            "52500 Picture3 picture Img16.jpg", "53500 Picture4 picture Img18.jpg",
            "55000 Label1 caption 13", "55100 Picture1 picture Diapo13.emf",
            "59500 Label1 caption 14", "59600 Picture1 picture Diapo14.emf",
            "64000 Label1 caption 15", "64100 Picture1 picture Diapo15.emf",
            "68500 Label1 caption 16", "68600 Picture1 picture Diapo16.emf", "69200 Picture2 picture Img20.jpg",
            "73000 Label1 caption 17", "73100 Picture1 picture Diapo17.emf",
            "77500 Label1 caption 18", "77600 Picture1 picture Diapo18.emf",
            "82000 Label1 caption 19", "82000 Picture1 picture (none)", "82000 Label6 caption 1",
            "82000 Label9 caption Performance : 0/20",
        };
        const QStringList head = seen.mid(0, lesson.size());
        QVERIFY(SameRun(head, lesson));
        // Then one question every 3.5 s: the score after each validation, the next number.
        QStringList quizSeen = seen.mid(lesson.size());
        // Questions 2 to 20, then page 20 with the publisher's address in the same label.
        QCOMPARE(quizSeen.filter(" Label6 caption ").size(), 20);
        QCOMPARE(quizSeen.filter("Label1 caption 20").size(), 1);
        QVERIFY(quizSeen.last().endsWith("Label6 caption www.korvane.fr"));
    }
};

QTEST_MAIN(GoldenRunTest)
#include "test_golden_run.moc"
