// The evaluation as the learner goes through it: question layout, choosing and validating,
// the score, the sounds, and the closing page.

#include "course_window/m_orvalis2.h"
#include "course_window/observateur_lecon.h"
#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QLocale>
#include <QStyle>
#include <QtTest>
#include <algorithm>
#include <array>

using namespace testsupport;

namespace {

// What the learner reads for each question: the question, the answer that scores, and the three
// wrong answers in their stored order.
struct Expected {
    const char* question;
    const char* juste;
    std::array<const char*, 3> faux;
};
const Expected kAttendu[20] = {
    {"La plus petite particule physique qu'on puisse obtenir en divisant un élément est...",
     "un atome",
     {{"un noyau", "un neutron", "une molécule"}}},
    {"La combinaison de deux atomes ou plus est...",
     "une molécule",
     {{"un électron", "une masse atomique", "un noyau atomique"}}},
    {"La partie lourde inerte et électriquement positive d'un atome est...",
     "le noyau",
     {{"le proton", "le neutron", "l'électron"}}},
    {"La particule minuscule et électriquement négative qui n'a pratiquement pas de masse et qui tourne autour du "
     "noyau est...",
     "l'électron",
     {{"le proton", "le neutron", "l'atome"}}},
    {"Quand les électrons libres se déplacent, ils donnent naissance à...",
     "de l'électricité",
     {{"de l'hydrogène", "de l'oxygène", "de la chaleur"}}},
    {"Un excès d'électrons dans une matière est appelé ...",
     "charge négative",
     {{"charge positive", "intensité", "charge neutre"}}},
    {"Deux charges de même signe que l'on approche ...",
     "se repoussent",
     {{"n'ont aucune action l'une sur l'autre", "s'attirent", "ajoutent leurs effets"}}},
    {"Le courant qui se dirige de la charge négative vers la charge positive est le courant...",
     "électronique",
     {{"magnétique", "alternatif", "conventionnel"}}},
    {"Quelle est l'unité employée pour mesurer l'intensité d'un courant ?",
     "L'ampère",
     {{"Le watt", "Le coulomb", "Le volt"}}},
    {"L'appareil qui sert à mesurer l'intensité d'un courant s'appelle :",
     "ampèremètre",
     {{"générateur", "intensimètre", "voltmètre"}}},
    {"La différence de potentiel entre deux charges porte encore le nom de...",
     "tension aux bornes",
     {{"différence de niveau", "résistance", "quantité d'électricité"}}},
    {"Avec quel appareil mesure-t-on la tension entre les bornes d'un récepteur ?",
     "Un voltmètre",
     {{"Un ohmmètre", "Un ampèremètre", "Un voltamètre"}}},
    {"Le dispositif qui sert à ouvrir et à fermer à volonté un circuit électrique est",
     "Un interrupteur",
     {{"Un fusible", "Un potentiomètre", "Un court-circuit"}}},
    {"Que désigne la lettre U dans la représentation des circuits ?",
     "La tension",
     {{"L'intensité", "La résistance", "La capacité"}}},
    {"Que désigne la lettre I dans la représentation des circuits ? Avec quelles unités ?",
     "L'intensité en ampères",
     {{"La résistance en ohms", "La tension en volts", "L'induction en coulombs"}}},
    {"Qu'est-ce qu'une pile ?",
     "Une pile transforme l'énergie chimique en énergie électrique (deux métaux différents dans un électrolyte)",
     {{"Une pile est un appareil qui sert à produire de l'électricité pour les lampes de poche",
       "Une pile est un petit accumulateur de poche",
       "Une pile c'est une boîte métallique avec une borne positive et une borne négative"}}},
    {"Sens du courant électrique ?",
     "Le courant conventionnel va de la borne + à la borne - ; le courant électronique de la borne - à la borne +",
     {{"Le courant conventionnel va de la borne + à la borne - ; de même pour le courant électronique",
       "Le courant conventionnel va de la borne négative à la borne + ; alors que le courant électronique va dans le "
       "sens inverse",
       "Le sens du courant conventionnel est basé sur la théorie des électrons et celui du courant électronique ne "
       "l'est pas."}}},
    {"Qu'est-ce que le coulomb ?",
     "Le coulomb représente un certain nombre d'électrons en repos ou en mouvement.",
     {{"C'est l'unité servant à mesurer le courant électrique.",
       "Le coulomb sert à mesurer la différence de potentiel.",
       "1 ampère par seconde = 1 coulomb"}}},
    {"Qu'est-ce que l'ampère ?",
     "C'est l'unité servant à mesurer l'intensité d'un courant. 1 coulomb par seconde = 1 ampère.",
     {{"C'est l'unité servant à mesurer la quantité d'électricité qui passe dans un conducteur.",
       "L'ampère sert à indiquer la puissance dans un compteur.",
       "C'est l'unité qui sert à graduer les ampèremètres."}}},
    {"Qu'est-ce que le volt ?",
     "Le volt est l'unité servant à mesurer la tension ou différence de potentiel aux bornes d'un générateur.",
     {{"Le volt est utilisé dans un voltamètre à eau acidulé pour mesurer le dégagement d'hydrogène.",
       "Le volt est l'unité  qui sert à mesurer l'intensité d'un courant.",
       "Le volt est l'unité qui sert à graduer les voltamètres. Il a des multiples et des sous-multiples."}}},
};

const QString kFin = QStringLiteral(
    "Et voilà, vous venez de terminer cette séance. Si votre performance est supérieure à 15/20 vous pouvez passer "
    "à la suivante. Si ce n'est pas le cas, il vous serait profitable de reprendre cette séance depuis son début.");

// Clicks the answer button that shows this text; returns false if none does.
bool Choose(Lesson& l, const QString& texte) {
    for (int i = 0; i < 4; ++i) {
        if (l.w->Option1(i).Caption() == texte && l.w->Option1(i).Reachable()) {
            l.w->Option1(i).Click();
            return true;
        }
    }
    return false;
}

// Chooses member i and validates; returns when the next question (or page 20) is shown.
void Answer(Lesson& l, int i) {
    l.w->Option1(i).Click();
    l.Click(l.w->B_Valider);
}

QStringList Sounds(Lesson& l) { return l.vp.SoundCommands(); }

// What the course window tells its observer, one line a call.
struct Recorder final : ObservateurLecon {
    QStringList appels;
    void ReponseValidee(int numero, int choix, bool juste, double note) override {
        appels << QStringLiteral("question %1 choix %2 %3 note %4").arg(numero).arg(choix).arg(juste ? "juste" : "faux").arg(note);
    }
    void LeconFermee() override { appels << QStringLiteral("fermée"); }
};

}  // namespace

class EvaluationTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SL_MM::Forget();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }
    void cleanup() {
        SL_MM::Forget();
        QLocale::setDefault(QLocale::c());
    }

    void firstQuestionStandsOnThePlainSlideAreaWithTheButtonsLocked() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;

        QVERIFY(w.Picture1.GetPicture().IsNull());
        QVERIFY(!w.B_Pag_P.Enabled() && !w.B_Pag_S.Enabled());
        QVERIFY(!w.Label4.Visible());
        QCOMPARE(w.Label2.Caption(), QString("EVALUATION"));
        QCOMPARE(w.Label6.Caption(), QString("1"));
        QCOMPARE(w.Label3.Caption(), QString::fromUtf8(kAttendu[0].question));
        QVERIFY(!w.Label3.Widget()->font().bold());
        // On the slide area, read whole: the title centred at its top, then the question number,
        // then the question across most of its width.
        const QRect slide = OnScreen(w.Picture1), title = OnScreen(w.Label2), number = OnScreen(w.Label6),
                    question = OnScreen(w.Label3);
        for (const platform::Label* label : {&w.Label2, &w.Label6, &w.Label3})
            QVERIFY2(label->Visible() && ReadsWhole(*label), qPrintable(label->Name()));
        QVERIFY(qAbs(title.center().x() - slide.center().x()) <= 1 && title.top() - slide.top() < 40);
        QVERIFY(number.top() > title.bottom() && question.top() > number.bottom());
        QVERIFY(question.width() > slide.width() * 4 / 5);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(w.Option1(i).Reachable());
            QVERIFY(!w.Option1(i).Value());
            QCOMPARE(OnScreen(w.Option1(i)).size(), QSize(700, 50));
        }
        QVERIFY(w.B_Valider.Visible() && !w.B_Valider.Enabled());
        // The logo panel widened to show the score whole beside the logo.
        QCOMPARE(w.Label9.Caption(), QString("Performance : 0/20"));
        QVERIFY(w.Label9.Visible() && ReadsWhole(w.Label9));
        QVERIFY(OnScreen(w.Label9).left() > OnScreen(w.Image1).right());
        QCOMPARE(l.vp.Beeps(), 1);
        QCOMPARE(l.vp.Randomizes(), 1);
        QVERIFY(Sounds(l).isEmpty());

        // Validating needs a choice first.
        l.Click(w.B_Valider);
        QCOMPARE(w.NumQuestion, int16_t(1));
    }

    void wholeEvaluationScoresSoundsAndClosesTheLesson() {
        // Right answers at these questions, wrong ones elsewhere: 0 0 1 0.5 0 0 1..10 9.5 10.5 11.5 11 12.
        const QList<int> justes{2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 20};
        Lesson l(true, [](VirtualPlatform& vp) {
            for (int q = 0; q < 20; ++q) vp.randomValues.push_back((q % 4) / 4.0 + 0.1);
        });
        StartEvaluation(l);
        Cour1p& w = *l.w;
        QStringList sonsAttendus{"open"};
        qint64 debut = l.vp.Elapsed();
        for (int q = 1; q <= 20; ++q) {
            const Expected& a = kAttendu[q - 1];
            QCOMPARE(w.NumPage, int16_t(19));
            QCOMPARE(w.Label6.Caption(), QString::number(q));
            QCOMPARE(w.Label3.Caption(), QString::fromUtf8(a.question));
            QVERIFY(w.Picture1.GetPicture().IsNull());
            if (justes.contains(q)) {
                QVERIFY2(Choose(l, QString::fromUtf8(a.juste)), a.juste);
                sonsAttendus << "sound Bravo.wav";
            } else {
                // The top answer on the screen, or the next one when the top one is right.
                const int autre = AnswersTopToBottom(l).at(0) != 0 ? AnswersTopToBottom(l).at(0) : AnswersTopToBottom(l).at(1);
                w.Option1(autre).Click();
                sonsAttendus << "sound SonMCM.wav";
            }
            l.Click(w.B_Valider);
            // The two-second pause counts whole seconds of the clock.
            QVERIFY(l.vp.Elapsed() - debut >= 2000 && l.vp.Elapsed() - debut <= 3000);
            debut = l.vp.Elapsed();
        }
        QCOMPARE(w.Note, 12.0);
        QCOMPARE(Sounds(l), sonsAttendus);
        QCOMPARE(l.vp.Beeps(), 20 + int(justes.size()));
        QCOMPARE(l.vp.Randomizes(), 20);

        // Page 20.
        QCOMPARE(w.NumPage, int16_t(20));
        QCOMPARE(w.NumQuestion, int16_t(20));
        QCOMPARE(w.Label1.Caption(), QString("20"));
        QCOMPARE(w.Label9.Caption(), QString("Performance : 12/20"));
        QVERIFY(!w.B_Pag_P.Enabled() && !w.B_Pag_S.Enabled());
        QVERIFY(!w.B_Valider.Visible() && !w.Label3.Visible());
        for (int i = 0; i < 4; ++i) QVERIFY(!w.Option1(i).Visible());
        QVERIFY(w.Picture1.GetPicture().IsNull());
        QCOMPARE(w.Label2.Caption(), kFin);
        QVERIFY(w.Label6.Visible() && !w.Label6.Caption().isEmpty());
        // The closing text, 550 pixels wide over several lines, and the address line under it, both
        // centred on the slide area and read whole.
        const QRect slide = OnScreen(w.Picture1), fin = OnScreen(w.Label2), adresse = OnScreen(w.Label6);
        QVERIFY(ReadsWhole(w.Label2) && ReadsWhole(w.Label6));
        QCOMPARE(fin.width(), 550);
        QVERIFY(fin.height() > 3 * w.Label2.Widget()->fontMetrics().height());
        QVERIFY(adresse.top() > fin.bottom() && adresse.height() < 2 * w.Label6.Widget()->fontMetrics().height());
        for (const QRect& r : {fin, adresse}) QVERIFY(qAbs(r.center().x() - slide.center().x()) <= 1);

        // The page buttons stay dead; only Fermer ends it, and the sound device is not closed first.
        l.Click(w.B_Pag_P);
        l.Click(w.B_Pag_S);
        QCOMPARE(w.NumPage, int16_t(20));
        try {
            l.Click(w.B_Fermer);
            QFAIL("Fermer did not end the program");
        } catch (const ProgramEnded& e) {
            QCOMPARE(e.status, 0);
        }
        QCOMPARE(Sounds(l), sonsAttendus);
    }

    void theScoreNeverGoesBelowZeroAndHalvesUseTheRegionalSeparator() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;
        Answer(l, 2);
        QCOMPARE(w.Note, 0.0);
        QCOMPARE(Sounds(l).last(), QString("sound SonMCM.wav"));
        QCOMPARE(w.Label9.Caption(), QString("Performance : 0/20"));

        w.Note = 0.5;
        Answer(l, 1);
        QCOMPARE(w.Note, 0.0);

        w.Note = 3;
        Answer(l, 3);
        QCOMPARE(w.Note, 2.5);
        QCOMPARE(w.Label9.Caption(), QString("Performance : 2,5/20"));
        QVERIFY(ReadsWhole(w.Label9));

        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Answer(l, 0);
        QCOMPARE(w.Note, 3.5);
        QCOMPARE(w.Label9.Caption(), QString("Performance : 3.5/20"));
        QCOMPARE(w.NumQuestion, int16_t(5));
        QCOMPARE(Sounds(l), QStringList({"open", "sound SonMCM.wav", "sound SonMCM.wav", "sound SonMCM.wav",
                                       "sound Bravo.wav"}));
    }

    void onlyTheLastChoiceBeforeValidatingCounts() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;
        w.Option1(3).Click();
        QVERIFY(w.B_Valider.Enabled());
        w.Option1(0).Click();
        QVERIFY(w.Option1(0).Value() && !w.Option1(3).Value());
        QCOMPARE(w.ReponseJuste, M_Orvalis2::Vrai);
        l.Click(w.B_Valider);
        QCOMPARE(w.Note, 1.0);
        QCOMPARE(w.ReponseJuste, M_Orvalis2::Faux);
        QVERIFY(!w.B_Valider.Enabled());
        QCOMPARE(l.vp.Beeps(), 3);  // question 1, the right answer, question 2

        w.Option1(0).Click();
        w.Option1(2).Click();
        l.Click(w.B_Valider);
        QCOMPARE(w.Note, 0.5);
        QCOMPARE(Sounds(l), QStringList({"open", "sound Bravo.wav", "sound SonMCM.wav"}));
        QCOMPARE(l.vp.Beeps(), 4);
    }

    // The four rotations, each drawn at both edges of its quarter of [0, 1).
    void eachDrawRotatesTheAnswersAndValiderFollowsTheBottomOne_data() {
        QTest::addColumn<double>("draw");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QString>("top");
        const QList<QList<int>> orders{{0, 1, 2, 3}, {1, 2, 3, 0}, {2, 3, 0, 1}, {3, 0, 1, 2}};
        const char* tops[] = {"un atome", "un noyau", "un neutron", "une molécule"};
        for (int k = 1; k <= 4; ++k) {
            QTest::addRow("rotation %d, draw %.2f", k, (k - 1) / 4.0) << (k - 1) / 4.0 << orders[k - 1] << QString::fromUtf8(tops[k - 1]);
            QTest::addRow("rotation %d, draw just under %.2f", k, k / 4.0) << k / 4.0 - 1e-9 << orders[k - 1] << QString::fromUtf8(tops[k - 1]);
        }
    }
    void eachDrawRotatesTheAnswersAndValiderFollowsTheBottomOne() {
        QFETCH(double, draw);
        QFETCH(QList<int>, order);
        QFETCH(QString, top);
        Lesson l(true, [draw](VirtualPlatform& vp) { vp.randomValues = {draw}; });
        StartEvaluation(l);
        Cour1p& w = *l.w;
        QCOMPARE(AnswersTopToBottom(l), order);
        // The texts keep their cyclic order.
        QCOMPARE(w.Option1(order[0]).Caption(), top);
        // On the screen: under the question, aligned with it, evenly spaced, Valider under the last.
        const QRect question = OnScreen(w.Label3);
        QRect above = question;
        int step = 0;
        for (int s = 0; s < 4; ++s) {
            const QRect answer = OnScreen(w.Option1(order[s]));
            QVERIFY2(SeenOf(w.Option1(order[s])) == answer && answer.left() == question.left() && answer.top() > above.bottom(),
                     qPrintable(QString("answer %1 from the top").arg(s + 1)));
            if (s >= 2) QVERIFY(qAbs(answer.top() - above.top() - step) <= 1);
            if (s >= 1) step = answer.top() - above.top();
            above = answer;
        }
        const QRect valider = OnScreen(w.B_Valider);
        QVERIFY(SeenOf(w.B_Valider) == valider && valider.top() > above.bottom() && valider.left() > above.left());
    }

    void aLongQuestionPushesTheAnswersDown() {
        Lesson l(true, [](VirtualPlatform& vp) { vp.randomValues = {0, 0}; });
        StartEvaluation(l, 3);
        Cour1p& w = *l.w;
        const double hauteurCourte = w.Label3.Height();
        const double haut = w.Option1(0).Top(), valider = w.B_Valider.Top();
        Answer(l, 0);
        QCOMPARE(w.Label3.Caption(), QString::fromUtf8(kAttendu[3].question));
        const double plus = w.Label3.Height() - hauteurCourte;
        QVERIFY2(plus > 0, "question 4 wraps onto a second line");
        QCOMPARE(w.Option1(0).Top(), haut + plus);
        QCOMPARE(w.B_Valider.Top(), valider + plus);
        // The whole text is on the screen.
        QVERIFY(w.Label3.Height() >= w.Label3.Widget()->heightForWidth(w.Label3.Widget()->width()) * 15.0);
    }

    void clicksDuringThePauseChangeNothing() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;
        const qint64 t = l.vp.Elapsed();
        bool vu = false;
        l.vp.At(t + 500, [&] {
            w.Option1(2).Click();
            QVERIFY(w.Option1(0).Value() && !w.Option1(2).Value());
            QVERIFY(!w.B_Valider.Enabled());
            l.Click(w.B_Valider);
            vu = true;
        });
        l.vp.At(t + 1500, [&] { w.Option1(1).Click(); });
        w.Option1(0).Click();
        l.Click(w.B_Valider);
        QVERIFY(vu);
        QCOMPARE(w.NumQuestion, int16_t(2));
        QCOMPARE(w.Note, 1.0);
        QCOMPARE(Sounds(l), QStringList({"open", "sound Bravo.wav"}));
        // The next question starts afresh and takes answers again.
        for (int i = 0; i < 4; ++i) QVERIFY(!w.Option1(i).Value());
        QVERIFY(!w.B_Valider.Enabled());
        Answer(l, 1);
        QCOMPARE(w.NumQuestion, int16_t(3));
        QCOMPARE(w.Note, 0.5);
    }

    void theObserverIsToldTheBankAnswerOfEachValidationAndTheEnd() {
        Recorder e;
        // Each draw turns the answers one step further: the top one on the screen is bank answer
        // 0, then 1, then 2, then 3.
        Lesson l(true, [](VirtualPlatform& vp) {
            for (int q = 0; q < 4; ++q) vp.randomValues.push_back(q / 4.0 + 0.1);
        }, {}, [&] { return &e; });
        StartEvaluation(l);
        Cour1p& w = *l.w;
        QVERIFY(e.appels.isEmpty());
        for (int q = 1; q <= 3; ++q) {
            // A click during the pause is no second validation.
            l.ClickAt(l.vp.Elapsed() + 500, w.B_Valider);
            w.Option1(AnswersTopToBottom(l).at(0)).Click();
            l.Click(w.B_Valider);
        }
        // Told at the click, before the pause that Fermer cuts short.
        w.Option1(0).Click();
        l.ClickAt(l.vp.Elapsed() + 1000, w.B_Fermer);
        try {
            l.Click(w.B_Valider);
            QFAIL("the pause ran on after Fermer");
        } catch (const ProgramEnded&) {
        }
        QCOMPARE(e.appels, QStringList({"question 1 choix 0 juste note 1", "question 2 choix 1 faux note 0.5",
                                        "question 3 choix 2 faux note 0", "question 4 choix 0 juste note 1",
                                        "fermée"}));
    }

    void fermerEndsTheLessonDuringThePause() {
        Lesson l;
        StartEvaluation(l);
        Cour1p& w = *l.w;
        const qint64 t = l.vp.Elapsed();
        l.ClickAt(t + 1000, w.B_Fermer);
        w.Option1(0).Click();
        try {
            l.Click(w.B_Valider);
            QFAIL("the pause ran on after Fermer");
        } catch (const ProgramEnded& e) {
            QCOMPARE(e.status, 0);
        }
        QCOMPARE(l.vp.Elapsed(), t + 1000);
        QCOMPARE(w.NumQuestion, int16_t(1));
        QCOMPARE(Sounds(l), QStringList({"open", "sound Bravo.wav"}));
    }

    void eachQuestionIsShownExactlyAsStored_data() {
        QTest::addColumn<int>("question");
        for (int q = 1; q <= 20; ++q) QTest::addRow("question %d", q) << q;
    }
    void eachQuestionIsShownExactlyAsStored() {
        QFETCH(int, question);
        // A draw of k = 1: the buttons stand top to bottom in the stored order.
        Lesson l(true, [](VirtualPlatform& vp) { vp.randomValues = {0}; });
        StartEvaluation(l, int16_t(question));
        Cour1p& w = *l.w;
        QCOMPARE(AnswersTopToBottom(l), QList<int>({0, 1, 2, 3}));
        const Expected& a = kAttendu[question - 1];
        QCOMPARE(w.Label3.Caption(), QString::fromUtf8(a.question));
        QCOMPARE(w.Option1(0).Caption(), QString::fromUtf8(a.juste));
        for (int i = 1; i < 4; ++i) QCOMPARE(w.Option1(i).Caption(), QString::fromUtf8(a.faux[static_cast<size_t>(i - 1)]));
        for (int i = 0; i < 4; ++i) {
            const QString texte = w.Option1(i).Caption();
            QVERIFY2(!texte.isEmpty() && texte.trimmed() == texte, qPrintable(texte));
            // None is longer than the answer of question 17 whose fit is checked below.
            QVERIFY2(texte.size() <= 121, qPrintable(texte));
        }
    }

    void longestAnswerFitsItsButton() {
        Lesson l;
        StartEvaluation(l, 17);
        Cour1p& w = *l.w;
        qsizetype longest = 0;
        for (int i = 0; i < 4; ++i) longest = std::max(longest, w.Option1(i).Caption().size());
        QCOMPARE(longest, qsizetype(121));  // the longest answer of the evaluation
        for (int i = 0; i < 4; ++i) {
            const QWidget* b = w.Option1(i).Widget();
            // The text area beside the round indicator, as the button paints it.
            const int indicator = b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b);
            const QRect zone(indicator + 8, 0, b->width() - indicator - 10, b->height());
            const QRect texte = b->fontMetrics().boundingRect(zone, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap,
                                                              w.Option1(i).Caption());
            QVERIFY2(zone.contains(texte), qPrintable(w.Option1(i).Caption()));
        }
    }
};

QTEST_MAIN(EvaluationTest)
#include "test_evaluation.moc"
