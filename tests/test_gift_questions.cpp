// Every kind of GIFT question a learner can answer alone: read as Moodle's import reads it (the
// expected readings written from Moodle's documentation of the format), refused with the line and
// what to write, and graded by Moodle's rules.

#include "content/question.h"

#include <QtTest>

using namespace content;

namespace {

QString Genre(GenreQuestion g) {
    switch (g) {
    case GenreQuestion::ChoixUnique: return QStringLiteral("unique");
    case GenreQuestion::ChoixMultiple: return QStringLiteral("multiple");
    case GenreQuestion::VraiFaux: return QStringLiteral("vrai-faux");
    case GenreQuestion::ReponseCourte: return QStringLiteral("courte");
    case GenreQuestion::Numerique: return QStringLiteral("numérique");
    case GenreQuestion::Appariement: return QStringLiteral("appariement");
    }
    return {};
}

// A reading in one line: kind, title, text, general feedback, then each answer with its percent and
// feedback, each range, each pair.
QString Describe(const QuestionGift& q) {
    QStringList out{Genre(q.genre), q.titre, q.texte, q.retourGeneral};
    for (const ReponseGift& r : q.reponses) {
        QString a = q.genre == GenreQuestion::Numerique ? QStringLiteral("[%1,%2]").arg(r.minimum).arg(r.maximum) : r.texte;
        a += QStringLiteral(" %1").arg(r.fraction * 100);
        if (!r.retour.isEmpty()) a += QStringLiteral(" #") + r.retour;
        out << a;
    }
    for (const PaireGift& p : q.paires) out << p.gauche + QStringLiteral(" -> ") + p.droite;
    return out.join(QStringLiteral(" | "));
}

LectureQuestions Read(const QString& gift) { return LireQuestionsGift(gift.toUtf8(), QStringLiteral("questions.gift")); }

QuestionGift One(const QString& gift) {
    const LectureQuestions lu = Read(gift);
    if (!lu.erreurs.Vide() || lu.questions.size() != 1) qFatal("%s", qPrintable(lu.erreurs.Texte()));
    return lu.questions.front();
}

}  // namespace

class GiftQuestionsTest : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QString>("gift");
        QTest::addColumn<QString>("reading");
        QTest::newRow("single choice, feedback, title")
            << "::Q2:: Entre orange et vert ? {=jaune # oui, bravo ~rouge # non ~bleu}"
            << "unique | Q2 | Entre orange et vert ? |  | jaune 100 #oui, bravo | rouge 0 #non | bleu 0";
        QTest::newRow("two answers") << "Vrai ? {~non =oui}" << "unique |  | Vrai ? |  | non 0 | oui 100";
        QTest::newRow("partial credit, general feedback")
            << "Q ? {=a ~%50%b#presque ~%-50%c ####Voir la page 4.}"
            << "unique |  | Q ? | Voir la page 4. | a 100 | b 50 #presque | c -50";
        QTest::newRow("several to tick") << "Lesquels ? {~%50%a ~%50%b#oui ~%-100%c}"
                                         << "multiple |  | Lesquels ? |  | a 50 | b 50 #oui | c -100";
        QTest::newRow("thirds") << "Q ? {~%33.33333%a ~%33.33333%b ~%33.33333%c ~%-100%d}"
                                << "multiple |  | Q ? |  | a 33.3333 | b 33.3333 | c 33.3333 | d -100";
        QTest::newRow("true") << "::V::Le courant circule. {T}" << "vrai-faux | V | Le courant circule. |  | Vrai 100 | Faux 0";
        QTest::newRow("false, feedback for wrong then right")
            << "U se mesure en ampères. {FALSE#Non : en volts.#Oui, en volts.####U est une tension.}"
            << "vrai-faux |  | U se mesure en ampères. | U est une tension. | Vrai 0 #Non : en volts. | Faux 100 #Oui, en volts.";
        QTest::newRow("short answers, missing word") << "Deux plus {=deux =2} font quatre."
                                                     << "courte |  | Deux plus _____ font quatre. |  | deux 100 | 2 100";
        QTest::newRow("short answer, partial credit")
            << "Unité de U ? {=le volt#bien =%50%V#c'est son symbole}"
            << "courte |  | Unité de U ? |  | le volt 100 #bien | V 50 #c'est son symbole";
        QTest::newRow("numerical, tolerance") << "Tension du secteur ? {#230:5}" << "numérique |  | Tension du secteur ? |  | [225,235] 100";
        QTest::newRow("numerical, range") << "Q ? {#220..240}" << "numérique |  | Q ? |  | [220,240] 100";
        QTest::newRow("numerical, exact and exponent") << "Q ? {#1.5e3}" << "numérique |  | Q ? |  | [1500,1500] 100";
        QTest::newRow("numerical, several answers")
            << "Q ? {#\n=230:0#exact\n=%50%230:10#presque\n}"
            << "numérique |  | Q ? |  | [230,230] 100 #exact | [220,240] 50 #presque";
        QTest::newRow("matching") << "Associez. {=R -> l'ohm =U -> le volt =I -> l'ampère}"
                                  << "appariement |  | Associez. |  | R -> l'ohm | U -> le volt | I -> l'ampère";
        QTest::newRow("matching, an extra choice") << "Associez. {\n=R -> l'ohm\n=U -> le volt\n= -> le watt\n####Trois unités.}"
                                                   << "appariement |  | Associez. | Trois unités. | R -> l'ohm | U -> le volt |  -> le watt";
        QTest::newRow("missing word, choice") << "Le {=courant ~vent} circule." << "unique |  | Le _____ circule. |  | courant 100 | vent 0";
        QTest::newRow("escapes in title and feedback") << "::Un \\: deux::Q ? {=a#x \\# y ~b}"
                                                       << "unique | Un : deux | Q ? |  | a 100 #x # y | b 0";
    }
    void read() {
        QFETCH(QString, gift);
        QFETCH(QString, reading);
        QCOMPARE(Describe(One(gift)), reading);
    }

    void refused_data() {
        QTest::addColumn<QString>("gift");
        QTest::addColumn<int>("ligne");
        QTest::addColumn<QString>("message");
        QTest::newRow("essay") << "Q ?\n{}" << 2 << "question ouverte (une rédaction), que la leçon ne peut pas noter";
        QTest::newRow("description") << "Un texte sans réponses." << 1 << "pas de réponses entre accolades";
        QTest::newRow("decimal comma in the file") << "Q ? {#4,5}" << 1 << "écrivez « 4.5 »";
        QTest::newRow("not a number") << "Q ? {#environ 4}" << 1 << "attend un nombre là où elle dit « environ 4 »";
        QTest::newRow("range upside down") << "Q ? {#5..1}" << 1 << "intervalle à l'envers";
        QTest::newRow("numerical without full credit") << "Q ? {#=%50%3:1}" << 1 << "pas de réponse juste à 100 %";
        QTest::newRow("numerical with ~") << "Q ? {#=3 ~2}" << 1 << "ses réponses sont précédées de « = »";
        QTest::newRow("weights not adding up") << "Q ? {~%50%a ~%30%b ~c}" << 1 << "font 80 %, il faut 100 %";
        QTest::newRow("weight Moodle refuses") << "Q ? {=a\n~%35%b}" << 2 << "que Moodle n'accepte pas : écrivez « %33.33333% »";
        QTest::newRow("negative short answer") << "Q ? {=a =%-50%b}" << 1 << "écrivez « %0% »";
        QTest::newRow("short answer without full credit") << "Q ? {=%50%a}" << 1 << "pas de réponse juste à 100 %";
        QTest::newRow("nine choices") << "Q ? {=1 ~2 ~3 ~4 ~5 ~6 ~7 ~8 ~9}" << 1 << "9 réponses, l'écran en montre huit au plus";
        QTest::newRow("one choice") << "Q ? {~%100%a}" << 1 << "écrivez-la « =a »";
        QTest::newRow("matching, two pairs") << "Q ? {=a -> 1 =b -> 2}" << 1 << "au moins deux, avec trois réponses à droite";
        QTest::newRow("matching, no arrow") << "Q ? {\n=a -> 1\n=b\n=c -> 3}" << 3 << "n'a pas de « -> »";
        QTest::newRow("matching, feedback") << "Q ? {=a -> 1#oui =b -> 2 =c -> 3}" << 1 << "Moodle n'en donne pas de commentaire";
        QTest::newRow("matching, too long") << "Q ? {=a -> 1 =b -> 2 =c -> 3 =d -> 4 =e -> 5 =f -> 6 =g -> 7}" << 1
                                            << "six paires au plus";
    }
    void refused() {
        QFETCH(QString, gift);
        QFETCH(int, ligne);
        QFETCH(QString, message);
        const LectureQuestions lu = Read(gift);
        QVERIFY(lu.questions.empty());
        QCOMPARE(lu.erreurs.Nombre(), 1);
        const Erreur& e = lu.erreurs.liste.front();
        QVERIFY2(e.message.contains(message), qPrintable(e.Texte()));
        QCOMPARE(e.ligne, ligne);
    }

    // One run tells every mistake, each at its line, and reads the questions around them.
    void everyMistakeInOneRun() {
        const LectureQuestions lu = Read(QStringLiteral("Q1 ? {}\n\nQ2 ? {T}\n\nQ3 ? {#4,5}\n\n$CATEGORY: x\ny\n\nQ4 ? {=a ~b"));
        QStringList lieux;
        for (const Erreur& e : lu.erreurs.liste) lieux << QStringLiteral("%1 %2").arg(e.ligne).arg(e.message.left(13));
        QCOMPARE(lieux, QStringList({"1 la question 1", "5 la question 3", "8 une ligne vid", "10 il manque l'a"}));
        QCOMPARE(lu.questions.size(), size_t(1));
        QCOMPARE(lu.questions.front().numero, 2);
        QCOMPARE(lu.debuts, std::vector<int>({1, 3, 5, 10}));
    }

    void grade_data() {
        QTest::addColumn<QString>("gift");
        QTest::addColumn<QList<int>>("choix");
        QTest::addColumn<QString>("tape");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QString>("retours");
        const QString unique = QStringLiteral("Q ? {=a#oui ~%50%b#presque ~c#non}");
        QTest::newRow("single, right") << unique << QList<int>{0} << "" << 1.0 << "oui";
        QTest::newRow("single, partial") << unique << QList<int>{1} << "" << 0.5 << "presque";
        QTest::newRow("single, wrong") << unique << QList<int>{2} << "" << 0.0 << "non";
        QTest::newRow("single, none") << unique << QList<int>{} << "" << 0.0 << "";
        const QString plusieurs = QStringLiteral("Q ? {~%50%a#A ~%50%b#B ~%-100%c#C ~d}");
        QTest::newRow("several, both right") << plusieurs << QList<int>{0, 1} << "" << 1.0 << "A B";
        QTest::newRow("several, one of two") << plusieurs << QList<int>{1} << "" << 0.5 << "B";
        QTest::newRow("several, never below 0") << plusieurs << QList<int>{0, 2} << "" << 0.0 << "A C";
        QTest::newRow("several, all ticked") << plusieurs << QList<int>{0, 1, 2, 3} << "" << 0.0 << "A B C";
        QTest::newRow("several, a neutral one") << plusieurs << QList<int>{0, 1, 3} << "" << 1.0 << "A B";
        QTest::newRow("thirds make full credit") << "Q ? {~%33.33333%a ~%33.33333%b ~%33.33333%c ~d}" << QList<int>{0, 1, 2}
                                                 << "" << 0.9999999 << "";
        QTest::newRow("true-false, right") << "Q {F#Non.#Oui.}" << QList<int>{1} << "" << 1.0 << "Oui.";
        QTest::newRow("true-false, wrong") << "Q {F#Non.#Oui.}" << QList<int>{0} << "" << 0.0 << "Non.";
        const QString courte = QStringLiteral("Unité ? {=le volt#bien =volt =%50%V#son symbole}");
        QTest::newRow("short, case ignored") << courte << QList<int>{} << "Le Volt" << 1.0 << "bien";
        QTest::newRow("short, spaces around") << courte << QList<int>{} << "  volt " << 1.0 << "";
        QTest::newRow("short, partial") << courte << QList<int>{} << "v" << 0.5 << "son symbole";
        QTest::newRow("short, no match") << courte << QList<int>{} << "volts" << 0.0 << "";
        QTest::newRow("short, empty") << courte << QList<int>{} << "" << 0.0 << "";
        QTest::newRow("short, accents as typed") << "Q ? {=électron}" << QList<int>{} << QString::fromUtf8("E\u0301LECTRON") << 1.0 << "";
        QTest::newRow("short, wildcard") << "Q ? {=*ohm*}" << QList<int>{} << "l'ohmmètre" << 1.0 << "";
        QTest::newRow("short, asterisk written") << "Q ? {=2\\*3}" << QList<int>{} << "2*3" << 1.0 << "";
        QTest::newRow("short, asterisk is not any") << "Q ? {=2\\*3}" << QList<int>{} << "2x3" << 0.0 << "";
        const QString numerique = QStringLiteral("Q ? {#=230:0#exact =%50%230:10#presque}");
        QTest::newRow("numerical, exact") << numerique << QList<int>{} << "230" << 1.0 << "exact";
        QTest::newRow("numerical, first that matches") << numerique << QList<int>{} << "225,5" << 0.5 << "presque";
        QTest::newRow("numerical, bound included") << numerique << QList<int>{} << "240.0" << 0.5 << "presque";
        QTest::newRow("numerical, outside") << numerique << QList<int>{} << "240,01" << 0.0 << "";
        QTest::newRow("numerical, exponent and comma") << numerique << QList<int>{} << "2,3e2" << 1.0 << "exact";
        QTest::newRow("numerical, not a number") << numerique << QList<int>{} << "230 V" << 0.0 << "";
        QTest::newRow("numerical, thousands") << "Q ? {#1000}" << QList<int>{} << QString::fromUtf8("1\u202f000") << 1.0 << "";
        QTest::newRow("numerical, rounding of bounds") << "Q ? {#0.1:0.2}" << QList<int>{} << "0,3" << 1.0 << "";
        const QString paires = QStringLiteral("Q {=R -> l'ohm =U -> le volt =I -> l'ampère = -> le watt}");
        QTest::newRow("matching, all right") << paires << QList<int>{0, 1, 2} << "" << 1.0 << "";
        QTest::newRow("matching, one of three") << paires << QList<int>{0, 2, 1} << "" << 1.0 / 3 << "";
        QTest::newRow("matching, the extra one") << paires << QList<int>{3, 3, 3} << "" << 0.0 << "";
        QTest::newRow("matching, one left unanswered") << paires << QList<int>{0, 1} << "" << 2.0 / 3 << "";
        QTest::newRow("matching, a choice twice") << "Q {=a -> x =b -> x =c -> y = -> z}" << QList<int>{0, 0, 1} << "" << 1.0 << "";
    }
    void grade() {
        QFETCH(QString, gift);
        QFETCH(QList<int>, choix);
        QFETCH(QString, tape);
        QFETCH(double, fraction);
        QFETCH(QString, retours);
        const QuestionGift q = One(gift);
        const Saisie s{std::vector<int>(choix.begin(), choix.end()), tape};
        QVERIFY2(std::abs(Fraction(q, s) - fraction) < 1e-9, qPrintable(QString::number(Fraction(q, s))));
        QStringList lus;
        for (const ReponseGift* r : ReponsesRetenues(q, s))
            if (!r->retour.isEmpty()) lus << r->retour;
        QCOMPARE(lus.join(u' '), retours);
    }

    void identityIsTitleOrText() {
        QCOMPARE(One(QStringLiteral("::Loi d'Ohm::U = R × I ? {T}")).Identite(), QStringLiteral("Loi d'Ohm"));
        QCOMPARE(One(QStringLiteral("U \\= R × I ? {T}")).Identite(), QStringLiteral("U = R × I ?"));
    }
};

QTEST_MAIN(GiftQuestionsTest)
#include "test_gift_questions.moc"
