// What a screen reader finds: a French name for every control the learner meets, and the page,
// question and score changes announced as they happen.

#include "course_window/texte_parle.h"
#include "support/lesson.h"

#include <QAccessible>
#include <QFile>
#include <QtTest>

using namespace testsupport;

namespace {

QString AccessibleName(const platform::Control& c) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(c.Widget());
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("(none)");
}

QAccessible::Role Role(const platform::Control& c) {
    return QAccessible::queryAccessibleInterface(c.Widget())->role();
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasAFrenchName() {
        Lesson l;
        Cour1p& w = *l.w;
        QCOMPARE(AccessibleName(w.B_Pag_P), QString("Page précédente"));
        QCOMPARE(AccessibleName(w.B_Pag_S), QString("Page suivante"));
        QCOMPARE(AccessibleName(w.B_Fermer), QString("Fermer"));
        QCOMPARE(AccessibleName(w.Label1), QString("Page 0"));
        QCOMPARE(AccessibleName(w.Picture1), QString("Diapositive 0"));
        QCOMPARE(AccessibleName(w.Image1), QString("À propos"));
        QCOMPARE(Role(w.B_Pag_S), QAccessible::Button);
        QCOMPARE(QAccessible::queryAccessibleInterface(w.Form.Widget())->text(QAccessible::Name), QString("Séance 1"));

        l.Click(w.B_Pag_S);
        l.Click(w.B_Pag_S);
        l.Click(w.B_Pag_S);
        QCOMPARE(AccessibleName(w.Label1), QString("Page 3"));
        QCOMPARE(AccessibleName(w.Picture1), QString("Diapositive 3"));
        QCOMPARE(AccessibleName(w.Picture2), QString("Photographie"));

        StartEvaluation(l);
        QCOMPARE(AccessibleName(w.Label1), QString("Page 19"));
        QCOMPARE(AccessibleName(w.Label2), QString("EVALUATION"));
        QCOMPARE(AccessibleName(w.Label6), QString("Question 1"));
        QCOMPARE(AccessibleName(w.Label3), TexteParle(w.Question));
        // Said in words: "sur" for the slash, no colon read aloud.
        QCOMPARE(AccessibleName(w.Label9), QString("Performance, 0 sur 20"));
        QCOMPARE(AccessibleName(w.B_Valider), QString("Valider"));
        const QString* reponses[] = {&w.Reponse1, &w.Reponse2, &w.Reponse3, &w.Reponse4};
        for (int i = 0; i < 4; ++i) {
            // The answer, then its place on the screen.
            QVERIFY2(AccessibleName(w.Option1(i)).startsWith(TexteParle(*reponses[i]) + ", "), qPrintable(AccessibleName(w.Option1(i))));
            QVERIFY(AccessibleName(w.Option1(i)).endsWith(" sur 4"));
            QCOMPARE(Role(w.Option1(i)), QAccessible::RadioButton);
        }
        // A chosen answer reads as checked.
        w.Option1(2).Click();
        QVERIFY(QAccessible::queryAccessibleInterface(w.Option1(2).Widget())->state().checked);
    }

    void namesChangeAsTheLearnerSeesTheChange() {
        // The toolkit announces a name change to screen readers the moment it happens; what a test
        // can see is that the name has changed while the page or the pause is still running.
        Lesson l;
        Cour1p& w = *l.w;
        // Page 1's slide as the demo course has it, with its words.
        QFile::remove(l.folder->filePath("Seance1/Diapo1.emf"));
        QVERIFY(QFile::copy(SEANCE_DEMO_DIR "/Seance1/Diapo1.emf", l.folder->filePath("Seance1/Diapo1.emf")));
        QStringList vus;
        l.vp.At(l.vp.Elapsed() + 300, [&] { vus << AccessibleName(w.Label1) << AccessibleName(w.Picture1); });
        l.Click(w.B_Pag_S);
        QCOMPARE(vus, QStringList({"Page 1", "Diapositive 1"}));
        // The slide's own words, in reading order, as its description.
        const QString description = QAccessible::queryAccessibleInterface(w.Picture1.Widget())->text(QAccessible::Description);
        QVERIFY2(description.startsWith("La matière\n"), qPrintable(description));
        QVERIFY2(description.contains("\nTout ce qui nous entoure est de la matière"), qPrintable(description));
        QVERIFY(description.contains("\nDivisons une goutte d'eau de plus en plus finement"));

        w.NumPage = 18;
        w.NumQuestion = 1;
        l.Click(w.B_Pag_S);
        QCOMPARE(AccessibleName(w.Picture1), QString("Évaluation"));
        w.Option1(0).Click();
        vus.clear();
        l.vp.At(l.vp.Elapsed() + 500, [&] { vus << AccessibleName(w.Label9) << AccessibleName(w.Label6); });
        l.Click(w.B_Valider);
        // During the pause: the new score, still the same question.
        QCOMPARE(vus, QStringList({"Performance, 1 sur 20", "Question 1"}));
        QCOMPARE(AccessibleName(w.Label6), QString("Question 2"));
        QCOMPARE(AccessibleName(w.Label3), TexteParle(w.Question));

        // The closing page.
        w.NumQuestion = 20;
        w.Option1(0).Click();
        l.Click(w.B_Valider);
        QCOMPARE(w.NumPage, int16_t(20));
        QCOMPARE(AccessibleName(w.Label1), QString("Page 20"));
        QCOMPARE(AccessibleName(w.Picture1), QString("Fin de la séance"));
        QCOMPARE(AccessibleName(w.Label9), QString("Performance, 2 sur 20"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
