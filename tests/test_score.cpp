// The score out of 20 whatever the number of questions: each answer's worth, credit and penalty,
// what the learner reads, and the script's [evaluation] penalite, down to the lesson playing it.

#include "content/bareme.h"
#include "content/script_seance.h"
#include "support/lesson.h"

#include <QLocale>
#include <QtTest>

using namespace content;
using namespace testsupport;

namespace {

QByteArray Script(const QByteArray& evaluation) {
    return evaluation + "[[page]]\ntype = \"titre\"\ndiapositive = \"Diapo0.emf\"\n[[page]]\ntype = \"evaluation\"\n"
                        "[[page]]\ntype = \"cloture\"\n";
}

}  // namespace

class ScoreTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void afterAnAnswer_data() {
        QTest::addColumn<int>("questions");
        QTest::addColumn<double>("penalite");
        QTest::addColumn<double>("note");
        QTest::addColumn<double>("credit");
        QTest::addColumn<double>("apres");
        // Séance 1's rule: +1, and -0.5 while the score is above 0.
        QTest::newRow("twenty, right") << 20 << 0.5 << 0.0 << 1.0 << 1.0;
        QTest::newRow("twenty, wrong") << 20 << 0.5 << 3.0 << 0.0 << 2.5;
        QTest::newRow("twenty, wrong at a half") << 20 << 0.5 << 0.5 << 0.0 << 0.0;
        QTest::newRow("twenty, wrong at 0") << 20 << 0.5 << 0.0 << 0.0 << 0.0;
        QTest::newRow("twenty, the last right") << 20 << 0.5 << 19.0 << 1.0 << 20.0;
        QTest::newRow("ten, wrong") << 10 << 0.5 << 4.0 << 0.0 << 3.0;
        QTest::newRow("three, right") << 3 << 0.5 << 0.0 << 1.0 << 20.0 / 3;
        QTest::newRow("three, never below 0") << 3 << 0.5 << 3.0 << 0.0 << 0.0;
        QTest::newRow("three, never above 20") << 3 << 0.5 << 40.0 / 3 << 1.0 << 20.0;
        QTest::newRow("eight, half credit") << 8 << 0.5 << 0.0 << 0.5 << 1.25;
        QTest::newRow("no penalty") << 20 << 0.0 << 3.0 << 0.0 << 3.0;
        QTest::newRow("a whole worth") << 5 << 1.0 << 10.0 << 0.0 << 6.0;
    }
    void afterAnAnswer() {
        QFETCH(int, questions);
        QFETCH(double, penalite);
        QFETCH(double, note);
        QFETCH(double, credit);
        QFETCH(double, apres);
        QCOMPARE((Bareme{questions, penalite}.Apres(note, credit)), apres);
    }

    void asTheLearnerReadsIt_data() {
        QTest::addColumn<double>("note");
        QTest::addColumn<QString>("texte");
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("a half") << 2.5 << "2,5";
        QTest::newRow("a third of 20") << 20.0 / 3 << "6,7";
        QTest::newRow("rounded down to whole") << 0.04 << "0";
        QTest::newRow("rounded up to 20") << 19.96 << "20";
    }
    void asTheLearnerReadsIt() {
        QFETCH(double, note);
        QFETCH(QString, texte);
        QCOMPARE(TexteSur20(note), texte);
    }

    void theScriptSaysThePenalty_data() {
        QTest::addColumn<QByteArray>("evaluation");
        QTest::addColumn<double>("penalite");
        QTest::addColumn<QString>("erreur");
        QTest::newRow("séance 1's by default") << QByteArray() << 0.5 << "";
        QTest::newRow("none") << QByteArray("[evaluation]\npenalite = 0\n") << 0.0 << "";
        QTest::newRow("a quarter") << QByteArray("[evaluation]\npenalite = 0.25\n") << 0.25 << "";
        QTest::newRow("a whole worth") << QByteArray("[evaluation]\npenalite = 1\n") << 1.0 << "";
        QTest::newRow("above 1") << QByteArray("[evaluation]\npenalite = 2\n") << 0.0
                                 << "ligne 2, colonne 12 : « penalite » est la part de la valeur d'une question";
        QTest::newRow("below 0") << QByteArray("[evaluation]\npenalite = -0.5\n") << 0.0 << "ligne 2, colonne 12 : « penalite »";
        QTest::newRow("in words") << QByteArray("[evaluation]\npenalite = \"moitié\"\n") << 0.0 << "ligne 2, colonne 12 : « penalite »";
        QTest::newRow("a typo") << QByteArray("[evaluation]\npenalites = 0\n") << 0.0
                                << "ligne 2, colonne 1 : la clé « penalites » est inconnue dans [evaluation] ; écrivez « penalite »";
        QTest::newRow("not a table") << QByteArray("evaluation = 0\n") << 0.0 << "ligne 1, colonne 14 : « evaluation » doit être une table";
    }
    void theScriptSaysThePenalty() {
        QFETCH(QByteArray, evaluation);
        QFETCH(double, penalite);
        QFETCH(QString, erreur);
        const LectureScript l = LireScriptDonnees(Script(evaluation), QStringLiteral("Seance1/seance.toml"));
        if (erreur.isEmpty()) {
            QVERIFY2(l.Reussie(), qPrintable(l.Texte()));
            QCOMPARE(l.script->penalite, penalite);
        } else {
            QVERIFY(!l.Reussie());
            QVERIFY2(l.Texte().startsWith(QStringLiteral("Seance1/seance.toml, ") + erreur), qPrintable(l.Texte()));
        }
    }

    // The lesson scores with the script's penalty: none, and a wrong answer leaves the score as it was.
    void theLessonPlaysThePenaltyOfItsScript() {
        QTemporaryDir dir;
        WriteCourse(dir.path());
        WriteSeance(dir.path(), 1, Script("[evaluation]\npenalite = 0\n"));
        Lesson l(true, {}, dir.path());
        Cour1p& w = *l.w;
        l.ClickAt(1000, w.B_Pag_S);
        l.vp.At(2000, [&w] {
            w.Note = 3;
            w.Option1(1).Click();
        });
        l.ClickAt(2100, w.B_Valider);
        l.vp.StopAt(5000);
        try {
            for (;;) l.vp.Yield({});
        } catch (const RunStopped&) {
        }
        QCOMPARE(w.Note, 3.0);
        QCOMPARE(w.Label9.Caption(), QStringLiteral("Performance : 3/20"));
    }
};

QTEST_MAIN(ScoreTest)
#include "test_score.moc"
