// The course's own questions in GIFT: what is read, what is refused and where, the export read back
// by this reader and by an outside one, and the limits of length against the lesson's fonts.

#include "content/banque.h"
#include "content/export_questions.h"
#include "content/lesson_content.h"
#include "content/texte_html.h"
#include "platform/controls.h"
#include "support/missing_tool.h"

#include <QDirIterator>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace content;

namespace {

QString GoodQuestion(int n) { return QStringLiteral("Question %1 ? {=juste ~faux un ~faux deux ~faux trois}").arg(n); }

// Twenty good one-line questions separated by blank lines: question k starts on line 2k - 1.
// premiere, when given, replaces question 1; numero 3 likewise, so that lines are easy to count.
QByteArray GiftFile(const QString& premiere = {}, const QString& troisieme = {}, int nombre = 20) {
    QStringList q;
    for (int n = 1; n <= nombre; ++n) q << GoodQuestion(n);
    if (!premiere.isNull()) q[0] = premiere;
    if (!troisieme.isNull()) q[2] = troisieme;
    return (q.join(QStringLiteral("\n\n")) + u'\n').toUtf8();
}

// A course bank that uses everything GIFT reserves, with the right answer at every place in turn.
QByteArray CourseFile() {
    QString out = QStringLiteral("// Évaluation du cours\n$CATEGORY: $course$/Électricité\n\n");
    for (int n = 1; n <= 20; ++n) {
        out += QStringLiteral("::Q%1::Si a \\= %1 \\: {x} \\{ vaut \\~ \\# « é » ? {\n").arg(n);
        out.replace(QStringLiteral("{x}"), QStringLiteral("\\{x\\}"));
        for (int k = 0; k < 4; ++k) {
            const bool juste = k == n % 4;
            out += (juste ? QStringLiteral("=") : QStringLiteral("~")) +
                   QStringLiteral("réponse %1\\:%2 \\= \\{ç\\} \\~ \\#%3\n").arg(n).arg(k).arg(juste ? "ok" : "non");
        }
        out += QStringLiteral("}\n\n");
    }
    return out.toUtf8();
}

// Texts that would change meaning if written back bare: a leading weight or format, a line break, spaces.
BanqueQuestions AmbiguousBank() {
    BanqueQuestions b = BanqueQuestions::Integree();
    b.entrees[0].reponses = {QStringLiteral("%50% des cas"), QStringLiteral("[html]<b>non</b>"),
                             QStringLiteral("deux\nlignes"), QStringLiteral("a  b\\")};
    b.entrees[1].question = QStringLiteral("[plain]// pas un commentaire ::Q:: $CATEGORY: x");
    return b;
}

BanqueQuestions CourseBank() {
    const LectureGift lecture = LireGiftDonnees(CourseFile(), QStringLiteral("questions.gift"));
    if (!lecture.Reussie()) qFatal("%s", qPrintable(lecture.Texte()));
    return *lecture.banque;
}

void WriteFile(const QString& chemin, const QByteArray& octets) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
}

// Word-wrapped height of text in a box width pixels wide, with the font of the lesson.
int Height(const QString& texte, double points, int largeur) {
    return QFontMetrics(platform::UiFont(points)).boundingRect(QRect(0, 0, largeur, 100000), Qt::TextWordWrap, texte).height();
}

// Ordinary French text of at most n characters, cut between words, from the built-in texts.
QString PlainText(int n) {
    QString tout;
    for (const EntreeQuestion& e : BanqueQuestions::Integree().entrees) for (const QString& r : e.reponses) tout += r + u' ';
    QString t = tout.left(n + 1);
    return t.left(t.lastIndexOf(u' ')).trimmed();
}

void ExportReadsBackAs(const BanqueQuestions& b) {
    const QByteArray gift = EcrireGift(b, QStringLiteral("Séance 1"));
    QVERIFY(gift.contains("\n$CATEGORY: Séance 1\n"));
    QVERIFY(gift.contains("::Q01 "));
    QVERIFY(gift.contains("::Q20 "));
    const LectureGift lu = LireGiftDonnees(gift, QStringLiteral("export.gift"));
    QVERIFY2(lu.Reussie(), qPrintable(lu.Texte()));
    for (int n = 1; n <= 20; ++n) QCOMPARE(lu.banque->Entree(n), b.Entree(n));
    QCOMPARE(lu.banque->Identite(), b.Identite());
}

}  // namespace

class QuestionBankGiftTest : public QObject {
    Q_OBJECT

private slots:
    void courseBankReadsAsWritten() {
        const BanqueQuestions b = CourseBank();
        const EntreeQuestion& q5 = b.Entree(5);
        QCOMPARE(q5.question, QStringLiteral("Si a = 5 : {x} { vaut ~ # « é » ?"));
        QCOMPARE(q5.reponses[0], QStringLiteral("réponse 5:1 = {ç} ~ #ok"));  // right one was second
        QCOMPARE(q5.reponses[1], QStringLiteral("réponse 5:0 = {ç} ~ #non"));
        QCOMPARE(q5.reponses[3], QStringLiteral("réponse 5:3 = {ç} ~ #non"));
        QVERIFY(b.Identite() != BanqueQuestions::Integree().Identite());
        QCOMPARE(b.Identite().size(), 12);
    }

    void exportReadsBack_data() {
        QTest::addColumn<bool>("integree");
        QTest::newRow("intégrée") << true;
        QTest::newRow("cours") << false;
    }
    void exportReadsBack() {
        QFETCH(bool, integree);
        const BanqueQuestions b = integree ? BanqueQuestions::Integree() : CourseBank();
        ExportReadsBackAs(b);
        if (!integree) ExportReadsBackAs(AmbiguousBank());
    }

    void accepted_data() {
        QTest::addColumn<QByteArray>("gift");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("reponses");
        const QStringList abcd{"a", "b", "c", "d"};
        QTest::newRow("comments") << GiftFile("// avant\nVoir http://x ?\n  // au milieu\n{=a ~b ~c ~d}\n// après")
                                  << "Voir http://x ?" << abcd;
        QTest::newRow("title") << GiftFile("::Titre \\: un::Q ? {=a ~b ~c ~d}") << "Q ?" << abcd;
        QTest::newRow("category own block")
            << QByteArray("$CATEGORY: $course$/Séance 1\n\n") + GiftFile("Q ? {=a ~b ~c ~d}") << "Q ?" << abcd;
        QTest::newRow("several lines") << GiftFile("Une question\n   sur deux lignes ?\n{\n\t~b\n  =a\n~c\n~d\n}")
                                       << "Une question sur deux lignes ?" << abcd;
        QTest::newRow("escapes") << GiftFile("a \\= b \\: c \\{d\\} \\~ \\# \\\\ ? {=x \\= y ~\\{z\\} ~w \\#1 ~v\\:}")
                                 << "a = b : c {d} ~ # \\ ?" << QStringList{"x = y", "{z}", "w #1", "v:"};
        QTest::newRow("html") << GiftFile("[html]<p>Le <span lang=\"fr\">courant</span>&nbsp;: I &lt; 2&#160;A &eacute;t&#xE9;<br>fin</p> "
                                         "{=a &amp; b ~b ~c ~[plain]<d>}")
                              << QString::fromUtf8("Le courant\u00a0: I < 2\u00a0A été\nfin")
                              << QStringList{"a & b", "b", "c", "<d>"};
        // What Moodle's page shows, as far as the lesson's plain-text controls can show it.
        QTest::newRow("comparison signs, html") << GiftFile("[html]Si R1 < R2 et R3 > R4, que dire de R1 ? {=a ~b ~c ~d}")
                                                << "Si R1 < R2 et R3 > R4, que dire de R1 ?" << abcd;
        QTest::newRow("comparison signs, default format") << GiftFile("Si R1 < R2 et R3 > R4 ? {=a ~b ~c ~d}")
                                                          << "Si R1 < R2 et R3 > R4 ?" << abcd;
        QTest::newRow("physics entities") << GiftFile("[html]&sup2; &Ecirc; &Delta; &asymp; &plusmn; &le; &ge; &rarr; ? "
                                                     "{=&Omega; ~&micro;F ~&deg;C ~&infin;}")
                                          << "² Ê Δ ≈ ± ≤ ≥ → ?" << QStringList{"Ω", "µF", "°C", "∞"};
        QTest::newRow("entities as a browser reads them")
            << GiftFile("&eacute &NotEqualTilde; &#146;&#x1F600; &#0; &zwj;&bogus; & ; R&D ? {=a ~b ~c ~d}")
            << QString::fromUtf8("é \u2242\u0338 \u2019\U0001F600 \uFFFD \u200d&bogus; & ; R&D ?") << abcd;
        QTest::newRow("sub and sup") << GiftFile("[html]U<sub>1</sub> = 10<sup>-3</sup> V, H<SUB>2</SUB>O, x<sup>n</sup>, "
                                                "I<sub>max</sub> ? {=U<sup>2</sup>/R ~b ~c ~d}")
                                     << "U₁ = 10⁻³ V, H₂O, xⁿ, Iₘₐₓ ?" << QStringList{"U²/R", "b", "c", "d"};
        QTest::newRow("paragraphs and breaks")
            << GiftFile("<p dir=\"ltr\" style=\"text-align: left;\">Ligne un<br/>  ligne deux</p>\n<p>trois</p><!-- note --> "
                       "{=a\\nb ~b ~c ~d}")
            << "Ligne un\nligne deux\ntrois" << QStringList{"a\nb", "b", "c", "d"};
        // Moodle reads these as the lesson does.
        QTest::newRow("arrow in a multiple choice") << GiftFile("Q ? {=a -> b#c -> d ~b ~c\n~[html]c -&gt; d}") << "Q ?"
                                                    << QStringList{"a -> b", "b", "c", "c -> d"};
        QTest::newRow("percent as text") << GiftFile("Q ? {=a ~%5 des cas ~c ~%5b}") << "Q ?"
                                         << QStringList{"a", "%5 des cas", "c", "%5b"};
        QTest::newRow("old Mac line ends") << GiftFile("Q\nsuite ? {\n=a\n~b\n~c\n~d\n}").replace("\n", "\r")
                                           << "Q suite ?" << abcd;
        QTest::newRow("plain") << GiftFile("[plain]Q <b> ? {=a ~b ~c ~d}") << "Q <b> ?" << abcd;
        QTest::newRow("markdown") << GiftFile("[markdown]Q **ici** ? {=a ~b ~c ~d}") << "Q **ici** ?" << abcd;
        QTest::newRow("moodle") << GiftFile("[moodle]Q ? {=a ~b ~c ~d}") << "Q ?" << abcd;
        QTest::newRow("zero written 0.0") << GiftFile("Q ? {=a ~%0.0%b ~c ~d}") << "Q ?" << abcd;
        QTest::newRow("feedback and weights")
            << GiftFile("Q ? {~%0%b#non =a#oui, \\= bien ~c#x ~d ####en général}") << "Q ?" << abcd;
        QTest::newRow("a tag in feedback") << GiftFile("Q ? {=a#<b>oui</b> ~b ~c ~d ####<i>voir</i>}") << "Q ?" << abcd;
        QTest::newRow("missing word") << GiftFile("Le {=courant ~b ~c ~d} circule.") << "Le _____ circule." << QStringList{"courant", "b", "c", "d"};
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") + GiftFile("Q ? {=a ~b ~c ~d}") << "Q ?" << abcd;
        QTest::newRow("CRLF") << GiftFile("Q\nsuite ? {\n=a\n~b\n~c\n~d\n}").replace("\n", "\r\n") << "Q suite ?" << abcd;
        QTest::newRow("blank lines") << QByteArray("\n\n  \n") + GiftFile("Q ? {=a ~b ~c ~d}").replace("\n\n", "\n\n \t\n\n")
                                     << "Q ?" << abcd;
    }
    void accepted() {
        QFETCH(QByteArray, gift);
        QFETCH(QString, question);
        QFETCH(QStringList, reponses);
        const LectureGift lu = LireGiftDonnees(gift, QStringLiteral("questions.gift"));
        QVERIFY2(lu.Reussie(), qPrintable(lu.Texte()));
        QCOMPARE(lu.banque->Entree(1).question, question);
        QCOMPARE(QStringList(lu.banque->Entree(1).reponses.begin(), lu.banque->Entree(1).reponses.end()), reponses);
        QCOMPARE(lu.banque->Entree(20).question, QStringLiteral("Question 20 ?"));
        // What is read goes to Moodle and back unchanged, as the fuzzer checks on any input.
        ExportReadsBackAs(*lu.banque);
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("gift");
        QTest::addColumn<int>("ligne");
        QTest::addColumn<QString>("message");
        // Question 3 starts on line 5.
        QTest::newRow("three answers") << GiftFile({}, "Q ? {=a ~b ~c}") << 5 << "la question 3 a 3 réponses";
        QTest::newRow("five answers") << GiftFile({}, "Q ? {=a ~b ~c ~d ~e}") << 5 << "la question 3 a 5 réponses";
        QTest::newRow("two right ones") << GiftFile({}, "Q ? {\n=a\n~b\n=c\n~d\n}") << 8 << "la question 3 a deux bonnes réponses";
        QTest::newRow("no right one") << GiftFile({}, "Q ? {~a ~b ~c ~d}") << 5 << "la question 3 n'a pas de bonne réponse";
        QTest::newRow("open question") << GiftFile({}, "Q ?\n{}") << 6 << "la question 3 est une question ouverte";
        QTest::newRow("true-false") << GiftFile({}, "Q ? {TRUE#oui}") << 5 << "vrai-faux";
        QTest::newRow("numerical") << GiftFile({}, "Q ? {#12:2}") << 5 << "numérique";
        QTest::newRow("matching") << GiftFile({}, "Q ? {\n=a -> 1\n=b -> 2\n=c -> 3\n}") << 5 << "appariement";
        QTest::newRow("short answers") << GiftFile({}, "Q ? {=a =b =c =d}") << 5 << "la question 3 est une question à réponse courte";
        QTest::newRow("several to tick") << GiftFile({}, "Q ? {~%50%a ~%50%b ~c ~d}") << 5 << "à plusieurs réponses";
        QTest::newRow("two answers") << GiftFile({}, "Q ? {=a ~b}") << 5 << "la question 3 a 2 réponses,";
        QTest::newRow("missing }") << GiftFile({}, "Q ?\n{=a ~b\n~c ~d") << 6 << "il manque l'accolade fermante";
        QTest::newRow("missing } before next") << GiftFile({}, "Q ? {=a ~b ~c ~d\nQ4 ? {=a ~b ~c ~d}") << 6
                                               << "une ligne vide sépare deux questions";
        QTest::newRow("blank line missing") << GiftFile({}, "Q ? {=a ~b ~c ~d}\nQ4 ? {=a ~b ~c ~d}") << 6
                                            << "n'est pas séparée de la suivante : une ligne vide sépare deux questions";
        QTest::newRow("extra {") << GiftFile({}, "Q ? {=a ~b {x} ~c ~d}") << 5 << "« { » de trop : écrivez \\{ pour l'afficher";
        QTest::newRow("stray }") << GiftFile({}, "Q } ? {=a ~b ~c ~d}") << 5 << "« } » sans « { »";
        QTest::newRow("extra }") << GiftFile({}, "Q ? {=a ~b ~c ~d}\n}") << 6 << "« } » de trop";
        QTest::newRow("no answers") << GiftFile({}, "Q sans réponses ?") << 5 << "pas de réponses entre accolades";
        QTest::newRow("title not closed") << GiftFile({}, "::Titre Q ? {=a ~b ~c ~d}") << 5 << "titre de la question 3";
        QTest::newRow("no text") << GiftFile({}, "::Titre::{=a ~b ~c ~d}") << 5 << "la question 3 n'a pas de texte";
        QTest::newRow("text before answers") << GiftFile({}, "Q ? {x =a ~b ~c ~d}") << 5 << "avant sa première réponse";
        QTest::newRow("empty answer") << GiftFile({}, "Q ? {=a\n~\n~c ~d}") << 6 << "une réponse vide";
        QTest::newRow("partial credit") << GiftFile({}, "Q ? {=a\n~%50%b ~c ~d}") << 6 << "vaut 50 %";
        QTest::newRow("weight badly written") << GiftFile({}, "Q ? {=a ~%5 sur 10%b ~c ~d}") << 5 << "poids mal écrit";
        // Weights Moodle reads otherwise than the lesson would.
        QTest::newRow("weight on the right one") << GiftFile({}, "Q ? {=%100%Paris ~b ~c ~d}") << 5
                                                 << "porte le poids « %100% », que Moodle lit comme du texte : écrivez « =Paris »";
        QTest::newRow("weight 100.0") << GiftFile({}, "Q ? {=a ~%100.0%Paris ~c ~d}") << 5 << "écrivez-la « =Paris », sans poids";
        QTest::newRow("weight 100,0") << GiftFile({}, "Q ? {=a ~%100,0%Paris ~c ~d}") << 5 << "vaut « %100,0% »";
        QTest::newRow("zero on =, hundred on ~") << GiftFile({}, "Q ? {=%0%Lyon ~%100%Paris ~c ~d}") << 5
                                                 << "« %0% », que Moodle lit comme du texte : écrivez « =Lyon » si elle est la bonne, « ~Lyon » sinon";
        QTest::newRow("hundred without =") << GiftFile({}, "Q ? {~a ~%100%Paris ~c ~d}") << 5 << "écrivez-la « =Paris »";
        // Lines a word processor leaves, blank or a comment to the eye only.
        QTest::newRow("non-breaking space line") << GiftFile({}, "Q ? {=a ~b ~c ~d}").replace("}\n\nQ ? {", "}\n\xC2\xA0\nQ ? {")
                                                 << 4 << "espace insécable";
        QTest::newRow("non-breaking space before //") << GiftFile({}, "\u00a0// note\nQ ? {=a ~b ~c ~d}") << 5
                                                      << "précède « // » : Moodle n'y voit pas un commentaire";
        QTest::newRow("category then question") << QByteArray("$CATEGORY: tom/dick\n") + GiftFile() << 2
                                                << "une ligne vide doit suivre la ligne « $CATEGORY: »";
        // Tags the lesson's controls cannot show, named.
        QTest::newRow("bold") << GiftFile({}, "[html]Le <b>courant</b> ? {=a ~b ~c ~d}") << 5 << "la balise <b>";
        QTest::newRow("bold, default format") << GiftFile({}, "Le <strong>courant</strong> ? {=a ~b ~c ~d}") << 5
                                              << "la question 3 : la balise <strong> ne peut pas s'afficher";
        QTest::newRow("italic answer") << GiftFile({}, "Q ? {=a\n~<i>b</i> ~c ~d}") << 6 << "une réponse de la question 3 : la balise <i>";
        QTest::newRow("comparison without spaces") << GiftFile({}, "[html]Si R1<R2 et R3>R4 ? {=a ~b ~c ~d}") << 5
                                                   << "la balise <r2> ne peut pas s'afficher dans la leçon, dont les textes sont "
                                                      "sans mise en forme : retirez-la (écrivez « &lt; » pour afficher le signe « < »)";
        QTest::newRow("tag not closed") << GiftFile({}, "[html]Si R1 <R2 ? {=a ~b ~c ~d}") << 5 << "« <r2 » n'est pas fermée";
        QTest::newRow("subscript without its characters") << GiftFile({}, "U<sub>eff</sub> ? {=a ~b ~c ~d}") << 5
                                                          << "« f » de <sub>eff</sub> n'a pas de forme en indice";
        QTest::newRow("styled paragraph") << GiftFile({}, "<p style=\"color: red\">Q ?</p> {=a ~b ~c ~d}") << 5
                                          << "retirez « style=\"color: red\" »";
        QTest::newRow("question too long") << GiftFile({}, QString(201, u'é') + " {=a ~b ~c ~d}") << 5
                                           << "la question 3 fait 201 caractères, l'écran en montre 200 au plus";
        QTest::newRow("question at the limit") << GiftFile({}, QString(200, u'é') + " {=a ~b ~c ~d}" + "\n\n" + "Q21 {=a ~b ~c}")
                                               << 7 << "la question 4 a 3 réponses";
        QTest::newRow("answer too long") << GiftFile({}, "Q ? {\n=a\n~" + QString(151, u'x') + "\n~c ~d}") << 7
                                         << "fait 151 caractères, son bouton en montre 150 au plus";
        QTest::newRow("empty file") << QByteArray("// rien\n\n") << 1 << "aucune question";
        // The same text saved in Latin-1.
        QTest::newRow("not UTF-8") << GiftFile({}, "Q ? {=a ~b ~c ~d}").replace("Q ?", "Q \xE9t\xE9 ?") << 5 << "UTF-8";
        QTest::newRow("CRLF keeps lines") << GiftFile({}, "Q ? {\n=a\n~b\n=c\n~d\n}").replace("\n", "\r\n") << 8
                                          << "deux bonnes réponses";
    }
    void refused() {
        QFETCH(QByteArray, gift);
        QFETCH(int, ligne);
        QFETCH(QString, message);
        const LectureGift lu = LireGiftDonnees(gift, QStringLiteral("questions.gift"));
        QVERIFY(!lu.Reussie());
        QVERIFY2(lu.message.contains(message), qPrintable(lu.Texte()));
        QCOMPARE(lu.ligne, ligne);
        QVERIFY(lu.Texte().startsWith(QStringLiteral("questions.gift, ligne %1 : ").arg(ligne)));
        QVERIFY(lu.Texte().endsWith(u'.'));
    }

    // A séance asks as many questions as its file holds, in the file's order.
    void anyCount_data() {
        QTest::addColumn<int>("nombre");
        for (int n : {1, 19, 21, 45}) QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void anyCount() {
        QFETCH(int, nombre);
        const LectureGift lu = LireGiftDonnees(GiftFile({}, {}, nombre), QStringLiteral("questions.gift"));
        QVERIFY2(lu.Reussie(), qPrintable(lu.Texte()));
        QCOMPARE(lu.banque->Nombre(), nombre);
        QCOMPARE(lu.banque->Entree(nombre).question, QStringLiteral("Question %1 ?").arg(nombre));
    }

    // A teacher's file is refused once, with all its mistakes.
    void everyMistakeInOneRun() {
        const LectureGift lu = LireGiftDonnees(GiftFile("Q ? {=a ~b ~c}", "Q ? {T}", 19), QStringLiteral("questions.gift"));
        QCOMPARE(lu.erreurs.Textes(),
                 QStringList({"questions.gift, ligne 1 : la question 1 a 3 réponses, il en faut quatre dont une bonne.",
                              "questions.gift, ligne 5 : la question 3 est une question vrai-faux : la leçon attend quatre "
                              "réponses, la bonne précédée de « = », les autres de « ~ »."}));
        QCOMPARE(lu.Texte(), lu.erreurs.Textes().front());
    }

    void courseFolderAndItsCheck() {
        QTemporaryDir dir;
        const QString chemin = dir.filePath(QStringLiteral("Seance1/questions.gift"));
        QDir().mkpath(dir.filePath(QStringLiteral("Seance1")));
        const LectureGift sans = Charger(dir.path());
        QVERIFY(sans.Reussie());
        QCOMPARE(*sans.banque, BanqueQuestions::Integree());
        const int verifies = CheckFolder(dir.path()).checked;

        WriteFile(chemin, CourseFile());
        const LectureGift avec = Charger(dir.path());
        QVERIFY(avec.Reussie());
        QCOMPARE(*avec.banque, CourseBank());
        const Report bon = CheckFolder(dir.path());
        QCOMPARE(bon.checked, verifies + 1);
        QVERIFY(!bon.problems.join(u'\n').contains(QStringLiteral("questions.gift")));

        WriteFile(chemin, GiftFile({}, "Q ? {=a ~b ~c}"));
        QVERIFY(!Charger(dir.path()).Reussie());
        const Report mauvais = CheckFolder(dir.path());
        QVERIFY(mauvais.problems.contains(
            QDir::toNativeSeparators(chemin) + QStringLiteral(", ligne 5 : la question 3 a 3 réponses, il en faut quatre dont une bonne.")));
        // The check tells every mistake of the file, as the lesson's refusal does.
        WriteFile(chemin, GiftFile("Q ? {#4,5}", "Q ? {=a ~b ~c}"));
        const QStringList tous = CheckFolder(dir.path()).problems.filter(QStringLiteral("questions.gift"));
        QCOMPARE(tous.size(), 2);
        QVERIFY(tous[0].contains(QStringLiteral("ligne 1 : la question 1 donne le nombre « 4,5 »")));
        QVERIFY(tous[1].contains(QStringLiteral("ligne 5 : la question 3 a 3 réponses")));
    }

    void exportCommand() {
        QTemporaryDir dir;
        const QString avant = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const auto retour = qScopeGuard([&] { QDir::setCurrent(avant); });

        QCOMPARE(ExporterQuestions(QDir::currentPath(), QStringLiteral("integree.gift")).ok, true);
        QCOMPARE(*LireGift(QStringLiteral("integree.gift")).banque, BanqueQuestions::Integree());

        WriteFile(QStringLiteral("Seance1/questions.gift"), CourseFile());
        QCOMPARE(ExporterQuestions(QDir::currentPath(), QStringLiteral("cours.gift")).ok, true);
        QCOMPARE(*LireGift(QStringLiteral("cours.gift")).banque, CourseBank());

        QCOMPARE(ExporterQuestions(QDir::currentPath(), dir.filePath(QStringLiteral("absent/x.gift"))).ok, false);
        WriteFile(QStringLiteral("Seance1/questions.gift"), GiftFile({}, "Q ? {T}", 3));
        QCOMPARE(ExporterQuestions(QDir::currentPath(), QStringLiteral("refus.gift")).ok, false);
        QVERIFY(!QFileInfo::exists(QStringLiteral("refus.gift")));
    }

    // Another GIFT reader, the one many tools use, must read the export as Moodle would.
    void outsideParserReadsTheExport_data() { exportReadsBack_data(); }
    void outsideParserReadsTheExport() {
        QFETCH(bool, integree);
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        if (node.isEmpty()) SKIP_MISSING_TOOL("Node.js is not installed here: the export is not checked by gift-pegjs");
        const QString module = QStringLiteral(SEANCE_BIN_DIR "/node_modules/gift-pegjs");
        if (!QFileInfo::exists(module))
            QFAIL("gift-pegjs is not installed in the build folder: run ./test, or install_gift_parser from scripts/setup.sh");

        const BanqueQuestions b = integree ? BanqueQuestions::Integree() : CourseBank();
        QTemporaryDir dir;
        const QString fichier = dir.filePath(QStringLiteral("export.gift"));
        WriteFile(fichier, EcrireGift(b, QStringLiteral("Séance 1")));
        const char* script = R"(
            const gift = require(process.argv[1]);
            const text = require('fs').readFileSync(process.argv[2], 'utf8');
            console.log(JSON.stringify(gift.parse(text)));)";
        QProcess p;
        p.start(node, {QStringLiteral("-e"), QString::fromUtf8(script), module, fichier});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        const QJsonArray lues = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
        QCOMPARE(lues.size(), 21);
        QCOMPARE(lues[0]["type"].toString(), QStringLiteral("Category"));
        QCOMPARE(lues[0]["title"].toString(), QStringLiteral("Séance 1"));
        for (int n = 1; n <= 20; ++n) {
            const QJsonObject q = lues[n].toObject();
            const EntreeQuestion& e = b.Entree(n);
            QCOMPARE(q["type"].toString(), QStringLiteral("MC"));
            QVERIFY(q["title"].toString().startsWith(QStringLiteral("Q%1").arg(n, 2, 10, QLatin1Char('0'))));
            // Word for word: that reader folds runs of spaces, as a web page shows them anyway (a
            // built-in answer holds two spaces in a row); this reader keeps them.
            QCOMPARE(q["stem"]["text"].toString(), e.question.simplified());
            const QJsonArray choix = q["choices"].toArray();
            QCOMPARE(choix.size(), 4);
            for (int k = 0; k < 4; ++k) {
                QCOMPARE(choix[k]["text"]["text"].toString(), e.reponses[static_cast<size_t>(k)].simplified());
                QCOMPARE(choix[k]["isCorrect"].toBool(), k == 0);
            }
        }
    }

    // The fuzzer's seeds (teacher-like files, and inputs it once found) keep its two rules: read or
    // refused at a line with a reason, and what is read comes back the same through the export.
    void fuzzSeedsKeepTheirRules() {
        QDirIterator it(QStringLiteral(SEANCE_SOURCE_DIR "/fuzz/seeds/gift"), QDir::Files);
        int n = 0;
        while (it.hasNext()) {
            QFile f(it.next());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const LectureGift lu = LireGiftDonnees(f.readAll(), QStringLiteral("questions.gift"));
            ++n;
            if (!lu.Reussie()) {
                QVERIFY2(lu.ligne >= 1 && !lu.message.isEmpty(), qPrintable(f.fileName()));
                continue;
            }
            const LectureGift relue = LireGiftDonnees(EcrireGift(*lu.banque, QStringLiteral("Séance 1")), QStringLiteral("x"));
            QVERIFY2(relue.Reussie() && *relue.banque == *lu.banque, qPrintable(f.fileName()));
        }
        QVERIFY(n > 10);
    }

    // Sub- and superscripts are drawn with characters of their own: the lesson's font must have them.
    void subscriptsAreInTheFont() {
        const QFontMetrics police(platform::UiFont(12));
        for (const char* html : {"<sub>0123456789+-=()aeoxhklmnpstijruv</sub>", "<sup>0123456789+-=()ni</sup>"}) {
            const TexteHtml lu = LireHtml(QString::fromUtf8(html));
            QVERIFY2(lu.refus.isEmpty(), qPrintable(lu.refus));
            for (char32_t c : lu.texte.toUcs4()) QVERIFY2(police.inFontUcs4(c), qPrintable(QString::number(c, 16)));
        }
    }

    // The limits of length hold on screen: an ordinary answer of the longest length takes two
    // lines of its button's text area (700 px less the round indicator and margins), where a third
    // would be cut by its 50 px; a question of the longest length wraps to three lines of the
    // question label at 800 x 600, the smallest screen the lesson lays out.
    void limitsFitTheLayout() {
        const QString reponse = PlainText(BanqueQuestions::kLongueurReponseMax);
        QVERIFY(reponse.size() > BanqueQuestions::kLongueurReponseMax - 15);
        const int ligne12 = QFontMetrics(platform::UiFont(12)).lineSpacing();
        // Two lines at most: the height of two lines differs by a pixel or two from one font version to another.
        QVERIFY(Height(reponse, 12, 700 - 20 - 10) < 3 * ligne12);
        QVERIFY(3 * ligne12 > 50);

        const QString question = PlainText(BanqueQuestions::kLongueurQuestionMax);
        const int largeurQuestion = static_cast<int>(0.9 * (600 - 55) * 4 / 3);
        QVERIFY(Height(question, 13.5, largeurQuestion) < 4 * QFontMetrics(platform::UiFont(13.5)).lineSpacing());
        for (const EntreeQuestion& e : BanqueQuestions::Integree().entrees) {
            QVERIFY(e.question.size() <= BanqueQuestions::kLongueurQuestionMax);
            for (const QString& r : e.reponses) QVERIFY(r.size() <= BanqueQuestions::kLongueurReponseMax);
        }
    }
};

QTEST_MAIN(QuestionBankGiftTest)
#include "test_question_bank_gift.moc"
