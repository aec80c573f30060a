// The lesson from the keyboard: page keys, the evaluation without a mouse, Tab, and keys that
// must never end the lesson.

#include "support/lesson.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <random>

using namespace testsupport;

namespace {

void PressKey(Lesson& l, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(l.w->Form.Widget(), static_cast<Qt::Key>(key), mods);
}

int Chosen(Lesson& l) {
    for (int i = 0; i < 4; ++i) {
        if (l.w->Option1(i).Value()) return i;
    }
    return -1;
}

int Focused(Lesson& l) {
    for (int i = 0; i < 4; ++i) {
        if (l.w->Option1(i).HasFocus()) return i;
    }
    return -1;
}

QString FocusName(Lesson& l) {
    const QWidget* f = l.w->Form.Widget()->focusWidget();
    return ControlName(f);
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void pageKeysDoWhatThePageButtonsDo() {
        Lesson l;
        Cour1p& w = *l.w;
        PressKey(l, Qt::Key_Right);
        QCOMPARE(w.NumPage, int16_t(1));
        QCOMPARE(w.Label1.Caption(), QString("1"));
        PressKey(l, Qt::Key_PageDown);
        QCOMPARE(w.NumPage, int16_t(2));
        PressKey(l, Qt::Key_Left);
        QCOMPARE(w.NumPage, int16_t(1));
        PressKey(l, Qt::Key_PageUp);
        QCOMPARE(w.NumPage, int16_t(0));
        // As the previous button does on page 0: nothing.
        PressKey(l, Qt::Key_Left);
        QCOMPARE(w.NumPage, int16_t(0));
        // With a modifier the key is not a page key.
        PressKey(l, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(w.NumPage, int16_t(0));

        // A key during a page's timeline interrupts it as a click does, and the page the key led
        // to runs to its end.
        const int avant = l.Loaded("Img6.jpg");
        l.vp.At(l.vp.Elapsed() + 1500, [&] { PressKey(l, Qt::Key_Right); });
        PressKey(l, Qt::Key_Right);
        QCOMPARE(w.NumPage, int16_t(2));
        QCOMPARE(l.Loaded("Img6.jpg"), avant + 1);

        // Escape is not a way out.
        PressKey(l, Qt::Key_Escape);
        QCOMPARE(w.NumPage, int16_t(2));
        QVERIFY(w.B_Pag_S.Reachable());
    }

    void evaluationWithoutAMouse() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;
        QCOMPARE(w.NumPage, int16_t(19));

        // The page buttons are disabled: their keys do nothing; nor does Enter before a choice.
        PressKey(l, Qt::Key_Right);
        PressKey(l, Qt::Key_Left);
        PressKey(l, Qt::Key_Return);
        QCOMPARE(w.NumPage, int16_t(19));
        QCOMPARE(w.NumQuestion, int16_t(1));
        QCOMPARE(Chosen(l), -1);

        // The question starts on the answer at the top; Up and Down move along the answers as they
        // stand on the screen, without choosing.
        const QList<int> ordre = AnswersTopToBottom(l);
        QCOMPARE(Focused(l), ordre[0]);
        PressKey(l, Qt::Key_Up);
        QCOMPARE(Focused(l), ordre[0]);
        PressKey(l, Qt::Key_Down);
        PressKey(l, Qt::Key_Down);
        QCOMPARE(Focused(l), ordre[2]);
        PressKey(l, Qt::Key_Up);
        QCOMPARE(Focused(l), ordre[1]);
        QCOMPARE(Chosen(l), -1);
        QVERIFY(!w.B_Valider.Enabled());

        // Space chooses the one with the focus; a digit chooses by place, top to bottom.
        PressKey(l, Qt::Key_Space);
        QCOMPARE(Chosen(l), ordre[1]);
        QVERIFY(w.B_Valider.Enabled());
        PressKey(l, Qt::Key_4);
        QCOMPARE(Chosen(l), ordre[3]);
        QCOMPARE(Focused(l), ordre[3]);

        // The right answer by its place, then Enter validates it and scores.
        PressKey(l, Qt::Key_1 + static_cast<int>(ordre.indexOf(0)));
        QCOMPARE(Chosen(l), 0);
        PressKey(l, Qt::Key_Enter);
        QCOMPARE(w.NumQuestion, int16_t(2));
        QCOMPARE(w.Note, 1.0);
        QCOMPARE(w.Label9.Caption(), QString("Performance : 1/20"));
    }

    // The same keys pressed at every question, without reading it, must score what chance gives:
    // the keyboard is handed places on the screen, never the control that holds the right answer.
    void fixedKeysScoreWhatChanceGives_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::newRow("Space Enter") << QList<int>{Qt::Key_Space, Qt::Key_Return};
        QTest::newRow("1 Enter") << QList<int>{Qt::Key_1, Qt::Key_Return};
        QTest::newRow("Down Down Space Enter") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Space, Qt::Key_Return};
    }

    void fixedKeysScoreWhatChanceGives() {
        QFETCH(QList<int>, keys);
        constexpr int kQuestions = 2000;
        Lesson l(true, [&](VirtualPlatform& vp) {
            std::mt19937 draw(static_cast<uint32_t>(qHash(QTest::currentDataTag())));
            std::uniform_real_distribution<double> uniform(0.0, 1.0);
            for (int i = 0; i < kQuestions + 100; ++i) vp.randomValues.push_back(uniform(draw));
        });
        Cour1p& w = *l.w;
        StartEvaluation(l);
        int justes = 0, comptees = 0;
        for (int q = 0; q < kQuestions; ++q) {
            // One evaluation after another, on the score it started from.
            if (w.NumQuestion == 20) w.NumQuestion = 1;
            w.Note = 10;
            const int16_t avant = w.NumQuestion;
            for (int key : keys) PressKey(l, key);
            if (w.NumQuestion == avant) break;  // the keys validated nothing
            ++comptees;
            if (w.Note == 11) ++justes;
        }
        QCOMPARE(comptees, kQuestions);
        const double part = double(justes) / kQuestions;
        QVERIFY2(std::abs(part - 0.25) <= 0.03, qPrintable(QStringLiteral("%1 % right").arg(100 * part)));
    }

    void keysDuringThePauseAfterAValidationAreIgnored() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;
        const QList<int> ordre = AnswersTopToBottom(l);
        const int mauvaise = ordre[0] == 0 ? ordre[1] : ordre[0];
        w.Option1(mauvaise).Click();
        const qint64 t = l.vp.Elapsed();
        // During the two seconds: another answer, another Enter, Escape.
        l.vp.At(t + 500, [&] { PressKey(l, Qt::Key_1 + static_cast<int>(ordre.indexOf(0))); });
        l.vp.At(t + 700, [&] { PressKey(l, Qt::Key_Return); });
        l.vp.At(t + 900, [&] { PressKey(l, Qt::Key_Escape); });
        l.vp.At(t + 1100, [&] { QCOMPARE(Chosen(l), mauvaise); });
        PressKey(l, Qt::Key_Return);
        QCOMPARE(w.NumQuestion, int16_t(2));
        QCOMPARE(w.Note, 0.0);
        QCOMPARE(l.vp.SoundCommands().filter("sound"), QStringList({"sound SonMCM.wav"}));
    }

    void tabGoesThroughTheButtonsInAReadingOrder() {
        Lesson l;
        Cour1p& w = *l.w;
        // On page 0 the previous button does nothing and is left out.
        QStringList vus;
        for (int i = 0; i < 4; ++i) {
            PressKey(l, Qt::Key_Tab);
            vus << FocusName(l);
        }
        QCOMPARE(vus, QStringList({"B_Pag_S", "B_Fermer", "Image1", "B_Pag_S"}));
        PressKey(l, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(FocusName(l), QString("Image1"));

        StartEvaluation(l);
        // The page buttons are disabled now: the question starts on the top answer, Tab goes down
        // the others, then round.
        const QList<int> ordre = AnswersTopToBottom(l);
        vus = QStringList{FocusName(l)};
        for (int i = 0; i < 6; ++i) {
            PressKey(l, Qt::Key_Tab);
            vus << FocusName(l);
        }
        QStringList attendu;
        for (int i : ordre) attendu << QStringLiteral("Option1(%1)").arg(i);
        attendu << "B_Fermer" << "Image1" << attendu[0];
        // Valider is reached only once an answer is chosen.
        QCOMPARE(vus, attendu);
        PressKey(l, Qt::Key_Space);
        for (int i = 0; i < 4; ++i) PressKey(l, Qt::Key_Tab);
        QCOMPARE(FocusName(l), QString("B_Valider"));
        QVERIFY(w.B_Valider.Enabled());
    }

    void enterPressesTheFocusedButtonAndFermerStillEnds() {
        Lesson l;
        Cour1p& w = *l.w;
        w.B_Pag_S.SetFocus();
        PressKey(l, Qt::Key_Return);
        QCOMPARE(w.NumPage, int16_t(1));
        w.B_Fermer.SetFocus();
        bool fini = false;
        try {
            PressKey(l, Qt::Key_Return);
        } catch (const testsupport::ProgramEnded& e) {
            fini = e.status == 0;
        }
        QVERIFY(fini);
    }
};

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
