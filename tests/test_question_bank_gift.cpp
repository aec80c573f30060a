// The course's own questions in GIFT: what is read, what is refused and where, the export read back
// by this reader and by an outside one, and the limits of length against the lesson's fonts.

#include "content/banque.h"
#include "content/export_questions.h"
#include "content/lesson_content.h"
#include "platform/controls.h"
#include "support/missing_tool.h"

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
        QTest::newRow("category then question") << QByteArray("$CATEGORY: tom/dick\n") + GiftFile("Q ? {=a ~b ~c ~d}")
                                                << "Q ?" << abcd;
        QTest::newRow("several lines") << GiftFile("Une question\n   sur deux lignes ?\n{\n\t~b\n  =a\n~c\n~d\n}")
                                       << "Une question sur deux lignes ?" << abcd;
        QTest::newRow("escapes") << GiftFile("a \\= b \\: c \\{d\\} \\~ \\# \\\\ ? {=x \\= y ~\\{z\\} ~w \\#1 ~v\\:}")
                                 << "a = b : c {d} ~ # \\ ?" << QStringList{"x = y", "{z}", "w #1", "v:"};
        QTest::newRow("html") << GiftFile("[html]<p>Le <b>courant</b>&nbsp;: I &lt; 2&#160;A &eacute;t&#xE9;<br>fin</p> "
                                         "{=<i>a</i> &amp; b ~b ~c ~[plain]<d>}")
                              << QString::fromUtf8("Le courant\u00a0: I < 2\u00a0A été fin")
                              << QStringList{"a & b", "b", "c", "<d>"};
        QTest::newRow("plain") << GiftFile("[plain]Q <b> ? {=a ~b ~c ~d}") << "Q <b> ?" << abcd;
        QTest::newRow("markdown") << GiftFile("[markdown]Q **ici** ? {=a ~b ~c ~d}") << "Q **ici** ?" << abcd;
        QTest::newRow("moodle") << GiftFile("[moodle]Q ? {=a ~b ~c ~d}") << "Q ?" << abcd;
        QTest::newRow("feedback and weights")
            << GiftFile("Q ? {~%0%b#non =%100%a#oui, \\= bien ~c#x ~d ####en général}") << "Q ?" << abcd;
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
        QTest::newRow("matching") << GiftFile({}, "Q ? {\n=a -> 1\n=b -> 2\n=c -> 3\n}") << 6 << "appariement";
        QTest::newRow("arrow from HTML") << GiftFile({}, "Q ? {=a ~b ~c\n~[html]c -&gt; d}") << 6 << "appariement";
        QTest::newRow("short answer") << GiftFile({}, "Q ? {=a}") << 5 << "la question 3 a 1 réponse,";
        QTest::newRow("missing }") << GiftFile({}, "Q ?\n{=a ~b\n~c ~d") << 6 << "il manque l'accolade fermante";
        QTest::newRow("missing } before next") << GiftFile({}, "Q ? {=a ~b ~c ~d\nQ4 ? {=a ~b ~c ~d}") << 6
                                               << "accolade « { » de trop";
        QTest::newRow("stray }") << GiftFile({}, "Q } ? {=a ~b ~c ~d}") << 5 << "« } » sans « { »";
        QTest::newRow("extra }") << GiftFile({}, "Q ? {=a ~b ~c ~d}\n}") << 6 << "« } » de trop";
        QTest::newRow("no answers") << GiftFile({}, "Q sans réponses ?") << 5 << "pas de réponses entre accolades";
        QTest::newRow("title not closed") << GiftFile({}, "::Titre Q ? {=a ~b ~c ~d}") << 5 << "titre de la question 3";
        QTest::newRow("no text") << GiftFile({}, "::Titre::{=a ~b ~c ~d}") << 5 << "la question 3 n'a pas de texte";
        QTest::newRow("text before answers") << GiftFile({}, "Q ? {x =a ~b ~c ~d}") << 5 << "avant sa première réponse";
        QTest::newRow("empty answer") << GiftFile({}, "Q ? {=a\n~\n~c ~d}") << 6 << "une réponse vide";
        QTest::newRow("partial credit") << GiftFile({}, "Q ? {=a\n~%50%b ~c ~d}") << 6 << "vaut 50 %";
        QTest::newRow("weight badly written") << GiftFile({}, "Q ? {=a ~%5b ~c ~d}") << 5 << "poids mal écrit";
        QTest::newRow("question too long") << GiftFile({}, QString(201, u'é') + " {=a ~b ~c ~d}") << 5
                                           << "la question 3 fait 201 caractères, l'écran en montre 200 au plus";
        QTest::newRow("question at the limit") << GiftFile({}, QString(200, u'é') + " {=a ~b ~c ~d}" + "\n\n" + "Q21 {=a ~b ~c ~d}")
                                               << 41 << "plus de vingt questions";
        QTest::newRow("answer too long") << GiftFile({}, "Q ? {\n=a\n~" + QString(151, u'x') + "\n~c ~d}") << 7
                                         << "fait 151 caractères, son bouton en montre 150 au plus";
        QTest::newRow("nineteen questions") << GiftFile({}, {}, 19) << 37 << "n'a que 19 questions, il en faut vingt";
        QTest::newRow("twenty-one") << GiftFile({}, {}, 21) << 41 << "la vingt et unième commence ici";
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
        WriteFile(QStringLiteral("Seance1/questions.gift"), GiftFile({}, {}, 3));
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
