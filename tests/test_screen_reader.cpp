// What a blind learner hears, in order, without a screen reader: the announcements the lesson makes
// for the page and its slide, photographs and animations, the evaluation, the closing page and the
// About window, all in words that a screen reader says without naming punctuation.

#include "about/apropos.h"
#include "course_window/texte_parle.h"
#include "support/lesson.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace testsupport;

namespace {

QStringList Heard(const Lesson& l, size_t from = 0) {
    QStringList out;
    const auto& all = l.vp.Announcements();
    for (size_t i = from; i < all.size(); ++i) out << all[i].text;
    return out;
}

// A screen reader names these aloud ("deux-points", "barre oblique"...): none may be told.
bool Unspoken(const QStringList& said) {
    static const QRegularExpression signs(QStringLiteral("[;:/()\\[\\]«»\"•·…]"));
    for (const QString& s : said)
        if (s.contains(signs)) return false;
    return true;
}

// Where the first announcement that starts so stands, or -1.
int At(const QStringList& said, const QString& start) {
    for (int i = 0; i < said.size(); ++i)
        if (said[i].startsWith(start)) return i;
    return -1;
}

void UseDemoSlide(Lesson& l, int page) {
    const QString name = QStringLiteral("Seance1/Diapo%1.emf").arg(page);
    QFile::remove(l.folder->filePath(name));
    QVERIFY(QFile::copy(QStringLiteral(SEANCE_DEMO_DIR "/") + name, l.folder->filePath(name)));
}

// Question 1 with the answers rotated so that the right one stands in the given place (1 to 4).
void StartEvaluation(Lesson& l, int rightPlace) {
    // Slot s holds member (s + k - 1) mod 4; the right answer, member 0, stands in slot 4 - (k - 1).
    const int k = 1 + (5 - rightPlace) % 4;
    l.vp.randomValues = {(k - 1) / 4.0 + 0.01};
    l.w->NumPage = 18;
    l.w->NumQuestion = 1;
    l.Click(l.w->B_Pag_S);
}

}  // namespace

class ScreenReaderTest : public QObject {
    Q_OBJECT

private slots:
    void eachPageIsToldWithItsSlideThenItsPhotographs() {
        Lesson l;
        // At start: page 0, as its slide comes.
        QCOMPARE(int(Heard(l).size()), 1);
        // A frame with its title, which screen readers read out.
        QAccessibleInterface* fenetre = QAccessible::queryAccessibleInterface(l.w->Form.Widget());
        QCOMPARE(fenetre->role(), QAccessible::Window);
        QCOMPARE(fenetre->text(QAccessible::Name), QString("Séance 1"));
        QVERIFY2(Heard(l)[0].startsWith("Page 0 sur 20."), qPrintable(Heard(l)[0]));

        UseDemoSlide(l, 1);
        const size_t before = l.vp.Announcements().size();
        l.vp.StopAt(l.vp.Elapsed() + 10000);
        RunFrom(l, l.w->B_Pag_S);
        const QStringList said = Heard(l, before);
        // The page number and the slide's lines, as sentences, once; then each photograph as it comes.
        QVERIFY(said.size() >= 2);
        QVERIFY2(said[0].startsWith("Page 1 sur 20. La matière. Tout ce qui nous entoure est de la matière, l'eau"),
                 qPrintable(said[0]));
        QCOMPARE(int(said.filter(QRegularExpression("^Page ")).size()), 1);
        for (int i = 1; i < said.size(); ++i) QVERIFY2(said[i].startsWith("Photographie."), qPrintable(said[i]));
        QCOMPARE(int(said.size()) - 1, l.Loaded("Img1.jpg") + l.Loaded("Img2.jpg") + l.Loaded("Img3.jpg"));
        QVERIFY(Unspoken(said));
        // R says the page again, photographs aside.
        l.w->Form_KeyPreview(Qt::Key_R);
        QCOMPARE(Heard(l).last(), said[0]);
        // Nothing of this reaches what the learner sees.
        for (const QString& line : l.vp.TraceText()) QVERIFY(!line.contains("sur 20"));
    }

    void theAnimationsAreDescribedOnceEach() {
        {
            Lesson l;
            l.w->NumPage = 12;
            const size_t before = l.vp.Announcements().size();
            l.vp.StopAt(l.vp.Elapsed() + 20000);
            StoppedInside(l, l.w->B_Pag_S);
            const QStringList said = Heard(l, before);
            QCOMPARE(int(said.filter("Animation.").size()), 1);
            QVERIFY(At(said, "Page 13 sur 20") >= 0);
            QVERIFY(At(said, "Animation. Les charges") > At(said, "Page 13 sur 20"));
        }
        // One lesson at a time: each sets the platform its window runs on.
        Lesson l;
        l.w->NumPage = 13;
        const size_t before = l.vp.Announcements().size();
        l.vp.StopAt(l.vp.Elapsed() + 40000);
        StoppedInside(l, l.w->B_Pag_S);
        const QStringList said = Heard(l, before);
        QCOMPARE(int(said.filter(QRegularExpression("^Animation\\. Courant continu")).size()), 1);
        QCOMPARE(int(said.filter(QRegularExpression("^Courant alternatif")).size()), 1);
        QVERIFY(At(said, "Courant alternatif") > At(said, "Animation. Courant continu"));
        QVERIFY(Unspoken(said));
    }

    void theEvaluationIsHeardQuestionAnswersVerdictScore() {
        Lesson l;
        StartEvaluation(l, 3);
        Cour1p& w = *l.w;
        QStringList said = Heard(l);
        QVERIFY(said.contains("Page 19 sur 20. Évaluation de 20 questions."));
        const QString question = said.last();
        QVERIFY2(question.startsWith("Question 1 sur 20. " + TexteParle(w.Question)), qPrintable(question));
        // The answers in the order they stand on the screen, each with its place.
        QStringList ordre;
        std::vector<const platform::OptionButton*> parHauteur;
        for (int i = 0; i < 4; ++i) parHauteur.push_back(&w.Option1(i));
        std::sort(parHauteur.begin(), parHauteur.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
        for (int p = 0; p < 4; ++p) ordre << TexteParle(parHauteur[p]->Caption()) + QStringLiteral(", %1 sur 4").arg(p + 1);
        QVERIFY2(question.endsWith(ordre.join(". ")) || question.endsWith(ordre.join(". ") + "."), qPrintable(question));
        QCOMPARE(parHauteur[2], &w.Option1(0));
        // Moving to an answer says its place too.
        QCOMPARE(QAccessible::queryAccessibleInterface(parHauteur[0]->Widget())->text(QAccessible::Name), ordre[0]);

        // A wrong answer at 0 keeps 0; a right one adds 1; the next wrong one takes half a point.
        size_t before = l.vp.Announcements().size();
        w.Option1(1).Click();
        l.Click(w.B_Valider);
        QCOMPARE(Heard(l, before).first(), QString("Mauvaise réponse. Performance, 0 sur 20"));
        QVERIFY(Heard(l, before).last().startsWith("Question 2 sur 20. "));
        before = l.vp.Announcements().size();
        w.Option1(0).Click();
        l.Click(w.B_Valider);
        QCOMPARE(Heard(l, before).first(), QString("Bonne réponse. Performance, 1 sur 20"));
        before = l.vp.Announcements().size();
        w.Option1(2).Click();
        l.Click(w.B_Valider);
        QCOMPARE(Heard(l, before).first(), "Mauvaise réponse. Performance, " + platform::NumberText(0.5) + " sur 20");
        QVERIFY(Unspoken(Heard(l)));
    }

    // Tab goes through every answer, the chosen one or not, then Valider, as on the screen; the
    // toolkit's own order would keep only the chosen answer once the window has the focus.
    void tabReachesEveryAnswerOnceOneIsChosen() {
        Lesson l;
        Cour1p& w = *l.w;
        QApplication::setActiveWindow(w.Form.Widget());
        StartEvaluation(l, 2);
        std::vector<platform::OptionButton*> parHauteur;
        for (int i = 0; i < 4; ++i) parHauteur.push_back(&w.Option1(i));
        std::sort(parHauteur.begin(), parHauteur.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
        parHauteur[0]->SetFocus();
        QTest::keyClick(w.Form.Widget(), Qt::Key_Space);
        QVERIFY(parHauteur[0]->Value());
        QStringList vus;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(w.Form.Widget(), Qt::Key_Tab);
            QWidget* focus = w.Form.Widget()->focusWidget();
            vus << ControlName(focus);
        }
        QCOMPARE(vus, QStringList({parHauteur[1]->Name(), parHauteur[2]->Name(), parHauteur[3]->Name(), "B_Valider",
                                   "B_Fermer", "Image1"}));
    }

    void theClosingPageSaysItsTextAndTheFinalScore() {
        Lesson l;
        StartEvaluation(l, 1);
        l.w->NumQuestion = 20;
        l.w->Note = 14.5;
        l.w->Option1(0).Click();
        const size_t before = l.vp.Announcements().size();
        l.Click(l.w->B_Valider);
        const QStringList said = Heard(l, before);
        const QString note = platform::NumberText(15.5);  // "15,5" in French
        QCOMPARE(said.first(), "Bonne réponse. Performance, " + note + " sur 20");
        QVERIFY2(said.last().startsWith("Page 20 sur 20. Fin de la séance. Et voilà, vous venez de terminer cette séance."),
                 qPrintable(said.last()));
        QVERIFY(said.last().contains("supérieure à 15 sur 20 vous pouvez"));
        QVERIFY(said.last().endsWith("Performance finale, " + note + " sur 20"));
        QVERIFY(Unspoken(said));
    }

    void theAboutWindowIsReadWhenItOpens() {
        Lesson l;
        const size_t before = l.vp.Announcements().size();
        l.w->Image1.Click();
        Apropos* a = Apropos::Instance();
        QVERIFY(a);
        const QStringList said = Heard(l, before);
        a->cmdOK.Click();
        QCOMPARE(int(said.size()), 1);
        QVERIFY2(said[0].startsWith("Électricité, Séance 1. Version 0.1.5. Ce cours d'électricité"),
                 qPrintable(said[0]));
        QVERIFY(said[0].contains("Téléphone 01 99 00 41 20"));
        QVERIFY(said[0].contains("contact arobase korvane point fr"));
        QVERIFY(Unspoken(said));
    }

    void writtenTextIsSaidInWords_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("said");
        QTest::newRow("score") << "Performance : 1,5/20" << "Performance, 1,5 sur 20";
        QTest::newRow("lines") << "La matière\nTout ce qui nous entoure : l'eau, l'air…\nFin."
                               << "La matière. Tout ce qui nous entoure, l'eau, l'air. Fin.";
        QTest::newRow("separators") << "l'atome · les charges (négatives) ; le courant – la tension"
                                    << "l'atome, les charges, négatives, le courant, la tension";
        QTest::newRow("signs") << "de la borne + à la borne - ; le courant de la borne - à la borne +. , 2 sur 4"
                               << "de la borne + à la borne moins, le courant de la borne moins à la borne +. 2 sur 4";
        QTest::newRow("quotes and slashes") << "« Sens réel » km/h" << "Sens réel km h";
        QTest::newRow("address") << "Tél. : 01 99. contact@korvane.fr. Version 0.1.5"
                                 << "Téléphone 01 99. contact arobase korvane point fr. Version 0.1.5";
        // Wrapped lines of a paragraph stay one sentence; French no-break spaces are spaces.
        QTest::newRow("wrapped") << QString::fromUtf8("Divisons\u00a0: la plus petite partie\nqui soit\nLa molécule…\n")
                                 << "Divisons, la plus petite partie qui soit. La molécule.";
    }
    void writtenTextIsSaidInWords() {
        QFETCH(QString, written);
        QFETCH(QString, said);
        QCOMPARE(TexteParle(written), said);
    }
};

QTEST_MAIN(ScreenReaderTest)
#include "test_screen_reader.moc"
