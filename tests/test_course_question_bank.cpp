// A course with its own questions.gift: the lesson asks them, its storyboard gives their key, its
// statements carry them and the bank's identity, and the class report keeps two banks apart. A
// broken file stops the lesson and the storyboard before anything starts.

#include "class_reports/rapport.h"
#include "class_reports/rapport_classe.h"
#include "cli/commands.h"
#include "content/banque.h"
#include "course_window/observateur_lecon.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"
#include "storyboard/storyboard.h"
#include "support/lesson.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace testsupport;
using content::BanqueQuestions;

namespace {

const QString kDemo = QStringLiteral(SEANCE_DEMO_DIR);

// Where question n's right answer stands in the file: never first, so that answer 1 of the bank
// is the one marked right, not the one written first.
int RightPlace(int n) { return 1 + n % 3; }

QString ExpectedQuestion(int n) { return QStringLiteral("Question %1 : que vaut a = b ~ c # d { é } ?").arg(n); }
QString ExpectedRight(int n) { return QStringLiteral("Réponse juste %1 {à}").arg(n); }
QString ExpectedWrong(int n, int k) { return QStringLiteral("Réponse fausse %1.%2 : è").arg(n).arg(k); }

// Everything GIFT reserves, escaped, with accents; a comment and a category as a teacher writes them.
QByteArray CourseFile(int nombre = 20) {
    QString out = QStringLiteral("// Banque du cours : électricité, version « maison »\n$CATEGORY: $course$/Électricité\n\n");
    for (int n = 1; n <= nombre; ++n) {
        out += QStringLiteral("::Q%1::Question %1 \\: que vaut a \\= b \\~ c \\# d \\{ é \\} ? {\n").arg(n);
        for (int k = 0; k < 4; ++k)
            out += k == RightPlace(n) ? QStringLiteral("=Réponse juste %1 \\{à\\}\n").arg(n)
                                      : QStringLiteral("~Réponse fausse %1.%2 \\: è\n").arg(n).arg(k);
        out += QStringLiteral("}\n\n");
    }
    return out.toUtf8();
}

// Twenty one-line questions, blank lines between: question 3, on line 5, has two right answers.
QByteArray BrokenFile() {
    QStringList q;
    for (int n = 1; n <= 20; ++n) q << QStringLiteral("Question %1 ? {=juste ~a ~b ~c}").arg(n);
    q[2] = QStringLiteral("Question 3 ? {=juste =aussi juste ~a ~b}");
    return (q.join(QStringLiteral("\n\n")) + u'\n').toUtf8();
}

void WriteQuestions(const QString& dossierCours, const QByteArray& octets) {
    QDir().mkpath(QDir(dossierCours).filePath(QStringLiteral("Seance1")));
    QFile f(QDir(dossierCours).filePath(content::CheminQuestions()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
}

// The demo course, with a questions file added.
void CopyDemo(const QString& vers, const QByteArray& questions) {
    QDirIterator it(kDemo, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString de = it.next();
        const QString cible = QDir(vers).filePath(QDir(kDemo).relativeFilePath(de));
        QDir().mkpath(QFileInfo(cible).path());
        QFile::copy(de, cible);
    }
    WriteQuestions(vers, questions);
}

QStringList PdfTexts(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-enc", "UTF-8", pdf, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
}

resultats::Identite Learner(const QString& compte) {
    return {compte, QString(), QStringLiteral("poste"), QStringLiteral("https://ecole.example.fr/")};
}

// A completed session on banque: right at the questions in justes, answer 2 elsewhere.
std::vector<QJsonObject> Session(const QString& compte, const BanqueQuestions& banque, const QList<int>& justes) {
    resultats::Seance s{resultats::NouvelId(), Learner(compte), banque, banque.Identite()};
    std::vector<QJsonObject> d;
    const QDateTime t(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    for (int q = 1; q <= 20; ++q)
        d.push_back(resultats::Repondu(s, q, justes.contains(q) ? 0 : 1, justes.contains(q), t.addSecs(q)));
    d.push_back(resultats::Complete(s, justes.size(), 60000, t.addSecs(30)));
    return d;
}

// As a journal written before statements named their bank.
std::vector<QJsonObject> WithoutIdentity(std::vector<QJsonObject> declarations) {
    for (QJsonObject& d : declarations) {
        QJsonObject contexte = d["context"].toObject();
        contexte.remove(QStringLiteral("extensions"));
        d["context"] = contexte;
    }
    return declarations;
}

// Fermer, as the learner ends the lesson; then what its journal in the class folder holds.
bool CloseAndRead(Lesson& l, const QString& classe, resultats::Lecture& lecture) {
    try {
        l.Click(l.w->B_Fermer);
        return false;  // Fermer did not end the program
    } catch (const ProgramEnded&) {
    }
    return resultats::LireDossier(classe, lecture);
}

BanqueQuestions BankFromFile(int nombre = 20) {
    const content::LectureGift lu = content::LireGiftDonnees(CourseFile(nombre), QStringLiteral("questions.gift"));
    if (!lu.Reussie()) qFatal("%s", qPrintable(lu.Texte()));
    return *lu.banque;
}

}  // namespace

class CourseQuestionBankTest : public QObject {
    Q_OBJECT

private slots:
    void theLessonAsksTheCoursesQuestionsAndItsStatementsSaySo() {
        QTemporaryDir classe;
        resultats::Reglages r;
        r.dossier = classe.path();
        r.identite = Learner(QStringLiteral("jdupont"));
        std::unique_ptr<resultats::Suivi> suivi;
        const BanqueQuestions attendue = BankFromFile();
        Lesson l(
            true, [](VirtualPlatform& vp) { WriteQuestions(vp.currentDirectory, CourseFile()); }, {},
            [&] {
                suivi = std::make_unique<resultats::Suivi>(r, attendue);
                return suivi.get();
            });
        QCOMPARE(l.seance.banque, attendue);
        l.w->NumPage = 18;
        l.w->NumQuestion = 1;
        l.Click(l.w->B_Pag_S);
        for (int q = 1; q <= 20; ++q) {
            QCOMPARE(l.w->NumPage, int16_t(19));
            QCOMPARE(l.w->Label3.Caption(), ExpectedQuestion(q));
            QStringList montrees, attendues{ExpectedRight(q)};
            for (int i = 0; i < 4; ++i) montrees << l.w->Option1(i).Caption();
            for (int k = 0; k < 4; ++k)
                if (k != RightPlace(q)) attendues << ExpectedWrong(q, k);
            // Answer 1 of the bank, the right one, is the file's right answer; all four are shown.
            QCOMPARE(montrees.first(), ExpectedRight(q));
            montrees.sort();
            attendues.sort();
            QCOMPARE(montrees, attendues);
            l.w->Option1(q == 7 ? 3 : 0).Click();
            l.Click(l.w->B_Valider);
        }
        QCOMPARE(l.w->NumPage, int16_t(20));
        QCOMPARE(l.w->Note, 18.5);
        resultats::Lecture lecture;
        QVERIFY(CloseAndRead(l, classe.path(), lecture));
        QCOMPARE(int(lecture.declarations.size()), 22);
        for (const QJsonObject& d : lecture.declarations)
            QCOMPARE(d["context"]["extensions"].toObject()[resultats::IriBanque()].toString(), attendue.Identite());
        QVERIFY(attendue.Identite() != BanqueQuestions::Integree().Identite());
        const QJsonObject d7 = lecture.declarations[6];
        const QJsonObject q7 = d7["object"]["definition"].toObject();
        QCOMPARE(q7["description"][QStringLiteral("fr-FR")].toString(), ExpectedQuestion(7));
        const QJsonArray choix = q7["choices"].toArray();
        QCOMPARE(choix.at(0).toObject()["description"][QStringLiteral("fr-FR")].toString(), ExpectedRight(7));
        QCOMPARE(choix.at(3).toObject()["description"][QStringLiteral("fr-FR")].toString(), ExpectedWrong(7, 3));
        QCOMPARE(d7["result"]["response"].toString(), resultats::IdChoix(4));
        QCOMPARE(d7["result"]["success"].toBool(), false);
    }

    // Any number of questions: each is worth 20 / N, the last one ends the evaluation, its journal and
    // the class report count N.
    void aSeanceAsksAsManyQuestionsAsItsFileHolds_data() {
        QTest::addColumn<int>("nombre");
        QTest::addColumn<QList<int>>("fausses");
        QTest::addColumn<double>("note");
        QTest::addColumn<QString>("affichee");
        QTest::newRow("one") << 1 << QList<int>{} << 20.0 << "Performance : 20/20";
        QTest::newRow("three") << 3 << QList<int>{2} << 10.0 << "Performance : 10/20";
        // Wrong at 0 costs nothing; the later one costs half of 20/7.
        QTest::newRow("seven") << 7 << QList<int>{1, 4} << 90.0 / 7 << "Performance : 12,9/20";
    }
    void aSeanceAsksAsManyQuestionsAsItsFileHolds() {
        QFETCH(int, nombre);
        QFETCH(QList<int>, fausses);
        QFETCH(double, note);
        QFETCH(QString, affichee);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        const auto locale = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        QTemporaryDir classe;
        resultats::Reglages r;
        r.dossier = classe.path();
        r.identite = Learner(QStringLiteral("jdupont"));
        std::unique_ptr<resultats::Suivi> suivi;
        const BanqueQuestions attendue = BankFromFile(nombre);
        Lesson l(
            true, [&](VirtualPlatform& vp) { WriteQuestions(vp.currentDirectory, CourseFile(nombre)); }, {},
            [&] {
                suivi = std::make_unique<resultats::Suivi>(r, attendue);
                return suivi.get();
            });
        QCOMPARE(l.seance.banque.Nombre(), nombre);
        StartEvaluation(l);
        for (int q = 1; q <= nombre; ++q) {
            QCOMPARE(l.w->NumPage, int16_t(19));
            QCOMPARE(l.w->Label3.Caption(), ExpectedQuestion(q));
            l.w->Option1(fausses.contains(q) ? 1 : 0).Click();
            l.Click(l.w->B_Valider);
        }
        QCOMPARE(l.w->NumPage, int16_t(20));
        QCOMPARE(l.w->NumQuestion, int16_t(nombre));
        QVERIFY(qAbs(l.w->Note - note) < 1e-9);
        QCOMPARE(l.w->Label9.Caption(), affichee);
        resultats::Lecture lecture;
        QVERIFY(CloseAndRead(l, classe.path(), lecture));
        // Each answer, then completed with the exact score, then terminated.
        QCOMPARE(int(lecture.declarations.size()), nombre + 2);
        const QJsonObject complete = lecture.declarations[static_cast<size_t>(nombre)];
        QCOMPARE(complete["verb"]["id"].toString(), QString::fromLatin1(resultats::kVerbeComplete));
        QVERIFY(qAbs(complete["result"]["score"]["raw"].toDouble() - note) < 1e-3);

        const resultats::RapportClasse rapport = resultats::Calculer(lecture.declarations, false, attendue);
        QCOMPARE(rapport.cours.test.seances, 1);
        QCOMPARE(int(rapport.cours.questions.size()), nombre);
        QCOMPARE(int(rapport.cours.test.repartition.size()), nombre + 1);
        QCOMPARE(rapport.cours.test.repartition[static_cast<size_t>(nombre - fausses.size())], 1);
        QVERIFY(rapport.autres.empty());
        QVERIFY(QString::fromUtf8(resultats::CsvRapport(rapport, {})).contains(QStringLiteral("Bonnes réponses (sur %1)").arg(nombre)));
        const QString pdf = classe.filePath(QStringLiteral("rapport.pdf"));
        QCOMPARE(resultats::EcrirePdfRapport(rapport, {}, pdf, classe.path()), QString());
        const QStringList feuilles = PdfTexts(pdf);
        // pdftotext ends the last sheet with a form feed too.
        QCOMPARE(int(feuilles.size()) - 1, resultats::FeuillesRapport(rapport));
        QVERIFY2(feuilles[1].contains(nombre == 1 ? QStringLiteral("La question") : QStringLiteral("Les %1 questions").arg(nombre)),
                 qPrintable(feuilles[1]));
    }

    void aBrokenQuestionsFileStopsTheLessonBeforeAnythingStarts() {
        QStringList traces;
        bool observateurFait = false;
        try {
            Lesson l(
                true,
                [&](VirtualPlatform& vp) {
                    WriteQuestions(vp.currentDirectory, BrokenFile());
                    vp.onTrace = [&](const QString& t) { traces << t; };
                },
                {},
                [&]() -> ObservateurLecon* {
                    observateurFait = true;
                    return nullptr;
                });
            QFAIL("the lesson started");
        } catch (const ProgramEnded& e) {
            QCOMPARE(e.status, 1);
            QVERIFY2(e.message.contains(QStringLiteral("questions.gift »")) && e.message.contains(QStringLiteral("ligne 5 : ")),
                     qPrintable(e.message));
            QVERIFY2(e.message.contains(QStringLiteral("bonne")), qPrintable(e.message));
        }
        QVERIFY(!observateurFait);
        // Nothing shown, no sound, no picture: only the end.
        QCOMPARE(traces.size(), 1);
        QVERIFY(traces.first().startsWith(QStringLiteral("fatal ")));
    }

    void theStoryboardGivesTheCoursesAnswerKeyAndRefusesABrokenFile() {
        QVERIFY2(QFileInfo::exists(kDemo + QStringLiteral("/Seance1/Diapo0.emf")), "the demo course is built");
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty());
        QTemporaryDir cours, casse, sortie;
        CopyDemo(cours.path(), CourseFile());
        const QString pdf = sortie.filePath(QStringLiteral("deroule.pdf"));
        const storyboard::Outcome fait = storyboard::Write(cours.path(), pdf);
        QVERIFY2(fait.ok, qPrintable(fait.message));
        const QStringList feuilles = PdfTexts(pdf);
        QVERIFY(!feuilles.isEmpty());
        QVERIFY2(feuilles.first().simplified().contains(QStringLiteral("« Seance1/questions.gift » du cours (banque %1)")
                                                            .arg(BankFromFile().Identite())),
                 qPrintable(feuilles.first()));
        for (int q = 1; q <= 20; ++q) {
            const QString titre = QStringLiteral("page 19 — question %1 sur 20").arg(q);
            const auto feuille = std::find_if(feuilles.begin(), feuilles.end(), [&](const QString& f) { return f.startsWith(titre); });
            QVERIFY2(feuille != feuilles.end(), qPrintable(titre));
            // The key names the file's right answer; the sheet shows the question as asked.
            const QString texte = QString(*feuille).simplified();
            QVERIFY2(texte.contains(QStringLiteral("cochée : « %1 »").arg(ExpectedRight(q))), qPrintable(texte));
            QVERIFY2(texte.contains(ExpectedQuestion(q)), qPrintable(texte));
        }

        CopyDemo(casse.path(), BrokenFile());
        const QString rate = sortie.filePath(QStringLiteral("casse.pdf"));
        const storyboard::Outcome refuse = storyboard::Write(casse.path(), rate);
        QVERIFY(!refuse.ok);
        QVERIFY2(refuse.message.contains(QStringLiteral("questions.gift")) && refuse.message.contains(QStringLiteral("ligne 5")),
                 qPrintable(refuse.message));
        QVERIFY(!QFileInfo::exists(rate));
    }

    void theClassReportKeepsEachBankApart() {
        const BanqueQuestions cours = BankFromFile();
        const BanqueQuestions& integree = BanqueQuestions::Integree();
        // Question 5 right on the course's bank, wrong on the built-in one: mixed, it would be half.
        std::vector<QJsonObject> d;
        const auto ajouter = [&](const std::vector<QJsonObject>& s) { d.insert(d.end(), s.begin(), s.end()); };
        ajouter(Session(QStringLiteral("a"), cours, {5, 6}));
        ajouter(Session(QStringLiteral("b"), cours, {5}));
        ajouter(Session(QStringLiteral("c"), integree, {6}));
        ajouter(WithoutIdentity(Session(QStringLiteral("d"), integree, {})));

        const resultats::RapportClasse r = resultats::Calculer(d, false, cours);
        QCOMPARE(r.cours.test.seances, 2);
        QCOMPARE(r.cours.identite, cours.Identite());
        QCOMPARE(r.cours.questions[4].facilite, 100.0);
        QCOMPARE(r.cours.questions[4].texte, ExpectedQuestion(5));
        QCOMPARE(r.cours.questions[4].textesReponses[0], ExpectedRight(5));
        QCOMPARE(int(r.autres.size()), 1);
        // A journal that does not name its bank reads as the built-in one.
        QCOMPARE(r.autres[0].test.seances, 2);
        QCOMPARE(r.autres[0].identite, integree.Identite());
        QCOMPARE(r.autres[0].questions[4].facilite, 0.0);
        QCOMPARE(r.autres[0].questions[4].texte, integree.Entree(5).question);
        QCOMPARE(r.autres[0].questions[4].textesReponses, integree.Entree(5).reponses);

        // The same from a class folder, read the fast way the command reads it.
        QTemporaryDir classe;
        {
            QFile f(classe.filePath(QStringLiteral("poste.jsonl")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (const QJsonObject& o : d) f.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
        }
        resultats::CalculRapport calcul(false, cours);
        resultats::LectureEssentielle lecture;
        lecture.recevoir = [&](const resultats::Essentiel& e) { calcul.Ajouter(e); };
        QVERIFY(resultats::LireDossierEssentiel(classe.path(), lecture));
        const resultats::RapportClasse lu = calcul.Resultat();
        QCOMPARE(lu.cours.test.seances, 2);
        QCOMPARE(lu.cours.questions[4].facilite, 100.0);
        QCOMPARE(int(lu.autres.size()), 1);
        QCOMPARE(lu.autres[0].identite, integree.Identite());

        // Run in a course whose file is broken, the report is not written on a guess.
        QTemporaryDir casse;
        WriteQuestions(casse.path(), BrokenFile());
        const QString ici = QDir::currentPath();
        QDir::setCurrent(casse.path());
        cli::Demande demande;
        demande.commande = QStringLiteral("class-report");
        demande.dossier = classe.path();
        demande.csv = true;
        const int statut = cli::ClassReport(demande).status;
        QDir::setCurrent(ici);
        QCOMPARE(statut, 1);

        // From the built-in course: the old journal is its own, the other bank apart with the texts
        // its statements carry.
        const resultats::RapportClasse i = resultats::Calculer(d);
        QCOMPARE(i.cours.test.seances, 2);
        QCOMPARE(i.cours.questions[5].facilite, 50.0);
        QCOMPARE(int(i.autres.size()), 1);
        QCOMPARE(i.autres[0].identite, cours.Identite());
        QCOMPARE(i.autres[0].questions[6].texte, ExpectedQuestion(7));
        QCOMPARE(i.autres[0].questions[6].textesReponses, cours.Entree(7).reponses);
        QCOMPARE(i.autres[0].questions[4].facilite, 100.0);
    }
};

QTEST_MAIN(CourseQuestionBankTest)
#include "test_course_question_bank.moc"
