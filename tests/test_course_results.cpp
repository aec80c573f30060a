// The results of a course of séances: each completion says passed or failed against the threshold
// in a form any LRS reads, earlier journals count as before, --results names each session's séance,
// the class report keeps to one séance, and the progress sheet shows who is stuck where.

#include "class_reports/bilan.h"
#include "class_reports/progression.h"
#include "class_reports/rapport.h"
#include "course_window/sl_mm.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_journal.h"
#include "support/lesson.h"
#include "support/program.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace resultats;
using testsupport::ProgramRun;
using testsupport::RunProgram;

namespace {

const QDateTime kMatin(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);

Identite Poste(const QString& compte, const QString& nom = {}) {
    return {compte, nom, "poste-01", "https://ecole.example.fr/"};
}

// One whole session of séance numero: justes right answers first, the rest wrong; the score as on
// screen (18 right: 17/20).
std::vector<QJsonObject> Session(const Identite& qui, int numero, int justes, const QDateTime& debut, double seuil,
                                 bool avecReussite = true) {
    Seance s{NouvelId(), qui};
    s.numero = numero;
    std::vector<QJsonObject> d;
    double note = 0;
    for (int q = 1; q <= 20; ++q) {
        const bool juste = q <= justes;
        note = juste ? note + 1 : std::max(0.0, note - 0.5);
        d.push_back(Repondu(s, q, juste ? 0 : 2, juste, debut.addSecs(20 * q)));
    }
    d.push_back(Complete(s, note, 420000, debut.addSecs(420)));
    if (avecReussite) d.push_back(Reussite(s, note, seuil, Reussie(note, seuil), 420000, debut.addSecs(420)));
    d.push_back(Termine(s, 430000, debut.addSecs(430)));
    return d;
}

void Ecrire(const QString& dossier, const Identite& qui, const std::vector<QJsonObject>& declarations) {
    Journal j(dossier, qui);
    for (const QJsonObject& d : declarations) QVERIFY(j.Ajouter(d));
}

}  // namespace

class CourseResultsTest : public QObject {
    Q_OBJECT

private slots:
    void aCompletionStatesPassedOrFailedWithTheMasteryScore() {
        const Seance s{NouvelId(), Poste("lea")};
        const QJsonObject reussi = Reussite(s, 15.5, 15, true, 60000, kMatin);
        QCOMPARE(reussi["verb"]["id"].toString(), QString("http://adlnet.gov/expapi/verbs/passed"));
        QCOMPARE(reussi["result"]["success"].toBool(), true);
        QCOMPARE(reussi["result"]["score"]["scaled"].toDouble(), 0.775);
        QCOMPARE(reussi["object"]["id"].toString(), IriLecon(1));
        const QJsonObject ext = reussi["context"]["extensions"].toObject();
        // Scores go by halves: strictly above 15 is at least 15.5, which a mastery score (≥) says.
        QCOMPARE(ext[IriScoreMaitrise()].toDouble(), 0.775);
        QCOMPARE(ext[IriSeuil()].toDouble(), 15.0);
        QCOMPARE(ext[IriBanque()].toString(), Seance::IdentiteIntegree());

        const QJsonObject echoue = Reussite(s, 15, 15, false, 60000, kMatin);
        QCOMPARE(echoue["verb"]["id"].toString(), QString("http://adlnet.gov/expapi/verbs/failed"));
        QCOMPARE(echoue["result"]["success"].toBool(), false);

        // The threshold's edges: a teacher's 15,5 needs 16; 0 needs a half point; at 20 no score passes,
        // and no mastery score above 1 is ever stated.
        QCOMPARE(*ScoreMaitrise(15.5), 0.8);
        QCOMPARE(*ScoreMaitrise(15.2), 0.775);
        QCOMPARE(*ScoreMaitrise(0), 0.025);
        QCOMPARE(*ScoreMaitrise(19.5), 1.0);
        QVERIFY(!ScoreMaitrise(20));
        const QJsonObject personne = Reussite(s, 20, 20, false, 0, kMatin);
        QVERIFY(!personne["context"]["extensions"].toObject().contains(IriScoreMaitrise()));
    }

    void theLessonsCompletionIsFollowedByItsVerdict() {
        SL_MM::Forget();
        for (const auto& [seuil, verbe] : {std::pair{15.0, kVerbeReussi}, std::pair{20.0, kVerbeEchoue}}) {
            QTemporaryDir classe;
            Reglages r;
            r.dossier = classe.path();
            r.identite = Poste("lea");
            std::unique_ptr<Suivi> suivi;
            testsupport::Lesson l(true, {}, {}, [&] {
                suivi = std::make_unique<Suivi>(r);
                suivi->RegleDeReussite(Reussie, seuil);
                return suivi.get();
            });
            l.w->NumPage = 18;
            l.w->NumQuestion = 1;
            l.Click(l.w->B_Pag_S);
            for (int q = 1; q <= 20; ++q) {
                l.w->Option1(0).Click();
                l.Click(l.w->B_Valider);
            }
            suivi->JournalDeLaSeance().Attendre(2000);
            Lecture lecture;
            QVERIFY(LireDossier(classe.path(), lecture));
            QCOMPARE(int(lecture.declarations.size()), 22);
            const QJsonObject complete = lecture.declarations[20], verdict = lecture.declarations[21];
            QCOMPARE(complete["verb"]["id"].toString(), QString(kVerbeComplete));
            QCOMPARE(verdict["verb"]["id"].toString(), QString(verbe));
            QCOMPARE(verdict["result"]["score"]["raw"].toDouble(), 20.0);
            QCOMPARE(verdict["context"]["registration"].toString(), complete["context"]["registration"].toString());
            suivi.reset();
            l.w.reset();
        }
        SL_MM::Forget();
    }

    void aVerdictIsNeverCountedAsAnotherSession() {
        // The same class written before the verdicts existed and after: every figure alike.
        std::vector<QJsonObject> avant, apres;
        for (const auto& [qui, justes] : {std::pair{Poste("lea"), 18}, std::pair{Poste("noe"), 9}, std::pair{Poste("eva"), 16}}) {
            const auto sans = Session(qui, 1, justes, kMatin, 15, false);
            avant.insert(avant.end(), sans.begin(), sans.end());
            for (const QJsonObject& d : sans) {
                apres.push_back(d);
                if (d["verb"]["id"].toString() == QLatin1String(kVerbeComplete)) {
                    Seance s{d["context"]["registration"].toString(), qui};
                    const double note = d["result"]["score"]["raw"].toDouble();
                    apres.push_back(Reussite(s, note, 15, Reussie(note, 15), 420000, kMatin.addSecs(421)));
                }
            }
        }
        QCOMPARE(apres.size(), avant.size() + 3);
        const std::vector<BilanSeance> b1 = Bilans(avant), b2 = Bilans(apres);
        QCOMPARE(b2.size(), b1.size());
        for (size_t i = 0; i < b1.size(); ++i) {
            QCOMPARE(b2[i].note, b1[i].note);
            QCOMPARE(b2[i].terminee, b1[i].terminee);
            QCOMPARE(b2[i].questions, b1[i].questions);
            QCOMPARE(b2[i].dureeMs, b1[i].dureeMs);
        }
        const RapportClasse r1 = Calculer(avant, true), r2 = Calculer(apres, true);
        QCOMPARE(r2.seancesTerminees, 3);
        QCOMPARE(r2.seancesNonTerminees, 0);
        QCOMPARE(r2.cours.test.moyenneNote, r1.cours.test.moyenneNote);
        QCOMPARE(CsvRapport(r2, {}), CsvRapport(r1, {}));
    }

    void anActivityNamesItsSeanceAndNoOther() {
        QCOMPARE(SeanceDe(IriLecon(1)), 1);
        QCOMPARE(SeanceDe(IriQuestion(7, 12)), 12);
        QCOMPARE(SeanceDe(IriLecon(99)), 99);
        QCOMPARE(SeanceDe(IriBanque()), 1);
        for (const char* autre : {"https://www.korvane.fr/xapi/seance", "https://www.korvane.fr/xapi/seance01",
                                  "https://www.korvane.fr/xapi/seance100", "https://www.korvane.fr/xapi/seance1x",
                                  "https://www.korvane.fr/xapi/seance/1", "https://example.org/xapi/seance1"})
            QVERIFY2(SeanceDe(QString::fromLatin1(autre)) == 0, autre);

        // Séance 12's sessions were once taken for séance 1's (its activity begins with séance 1's).
        std::vector<QJsonObject> d = Session(Poste("lea"), 1, 18, kMatin, 15);
        const std::vector<QJsonObject> douze = Session(Poste("noe"), 12, 4, kMatin, 15);
        d.insert(d.end(), douze.begin(), douze.end());
        const RapportClasse un = Calculer(d);
        QCOMPARE(un.seancesTerminees, 1);
        QCOMPARE(un.cours.test.moyenne, 18.0);
        CalculRapport calcul(false, content::BanqueQuestions::Integree(), 12);
        for (const QJsonObject& s : d) calcul.Ajouter(s);
        RapportClasse r12 = calcul.Resultat();
        QCOMPARE(r12.seance, 12);
        QCOMPARE(r12.seancesTerminees, 1);
        QCOMPARE(r12.cours.test.moyenne, 4.0);
        QVERIFY(CsvRapport(r12, {}).startsWith("\xEF\xBB\xBFRapport de classe;Séance 12\r\n"));
        r12.titre = "le condensateur";
        QVERIFY(CsvRapport(r12, {}).contains("Rapport de classe;Séance 12 : le condensateur\r\n"));
    }

    void resultsNameEachSessionsSeance() {
        QTemporaryDir classe;
        Ecrire(classe.path(), Poste("lea", "Léa Martin"), Session(Poste("lea", "Léa Martin"), 1, 18, kMatin, 15));
        Ecrire(classe.path(), Poste("lea", "Léa Martin"), Session(Poste("lea", "Léa Martin"), 2, 10, kMatin.addSecs(3600), 15));
        // A name holding what a format would read as a placeholder stays as it is.
        Ecrire(classe.path(), Poste("noe", "Noé %1 %7"), Session(Poste("noe", "Noé %1 %7"), 1, 5, kMatin.addSecs(60), 15));

        const ProgramRun tout = RunProgram({"--results", classe.path()});
        QCOMPARE(tout.status, 0);
        const QStringList lignes = tout.Out().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lignes.size(), 3);
        QVERIFY2(lignes[0].contains("  séance 1  Léa Martin") && lignes[0].contains("17/20"), qPrintable(lignes[0]));
        QVERIFY2(lignes[1].contains("  séance 1  Noé %1 %7 (noe@ecole.example.fr)") && lignes[1].contains(" 20 questions "),
                 qPrintable(lignes[1]));
        QVERIFY2(lignes[2].contains("  séance 2  Léa Martin") && lignes[2].contains("5/20"), qPrintable(lignes[2]));

        const ProgramRun deux = RunProgram({"--results", classe.path(), "--seance", "2", "--csv"});
        QCOMPARE(deux.status, 0);
        const QStringList csv = QString::fromUtf8(deux.out.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(csv.size(), 2);
        QVERIFY(csv[0].startsWith("Date;Séance;Apprenant;"));
        QVERIFY2(csv[1].contains(";2;Léa Martin;lea@ecole.example.fr;5;"), qPrintable(csv[1]));
    }

    void theProgressSheetPutsThoseStuckEarliestFirst() {
        std::vector<BilanSeance> s;
        const auto session = [&](const QString& compte, int seance, double note, bool terminee = true) {
            BilanSeance b;
            b.compte = compte + "@ecole";
            b.apprenant = compte;
            b.seance = seance;
            b.note = note;
            b.terminee = terminee;
            b.debut = kMatin.addSecs(int(s.size()));
            s.push_back(b);
        };
        session("dora", 1, 18), session("dora", 2, 16), session("dora", 3, 17);  // all passed
        session("ali", 1, 16), session("ali", 2, 15), session("ali", 2, 12), session("ali", 2, 14);  // 15 is not above 15
        session("bea", 1, 9);
        session("carl", 1, 11), session("carl", 1, 13), session("carl", 1, 15), session("carl", 1, 20, false);
        session("emma", 1, 15.5), session("emma", 3, 19);  // séance 3 tried out of order: still stopped at 2
        const ProgressionClasse p = CalculerProgression(s, {1, 2, 3}, 15);
        QStringList ordre;
        for (const LigneProgression& l : p.lignes) ordre << QStringLiteral("%1:%2").arg(l.apprenant).arg(l.arret);
        QCOMPARE(ordre.join(' '), QString("carl:1 bea:1 ali:2 emma:2 dora:0"));
        const LigneProgression& carl = p.lignes[0];
        QCOMPARE(carl.seances[0].tentatives, 3);  // the unfinished session is no attempt
        QCOMPARE(*carl.seances[0].meilleure, 15.0);
        QVERIFY(!carl.seances[0].reussie);
        QVERIFY(!carl.seances[1].meilleure);
        const LigneProgression& emma = p.lignes[3];
        QVERIFY(emma.seances[0].reussie && !emma.seances[1].meilleure && emma.seances[2].reussie);

        RapportClasse r;
        const QString csv = QString::fromUtf8(CsvRapport(r, {}, &p));
        QVERIFY(QString::fromUtf8(CsvRapport(r, {})).size() < csv.size());
        QVERIFY(csv.contains("Progression de la classe;réussie : meilleure note strictement au-dessus de 15,0/20\r\n"));
        QVERIFY(csv.contains("Apprenant;Compte;Arrêté à la séance;Séance 1 : meilleure note;Séance 1 : réussie;"
                             "Séance 1 : passages;Séance 2 : meilleure note"));
        QVERIFY2(csv.contains("\r\ncarl;carl@ecole;1;15,0;non;3;;non;0;;non;0\r\n"), qPrintable(csv));
        QVERIFY(csv.contains("\r\ndora;dora@ecole;;18,0;oui;1;16,0;oui;1;17,0;oui;1\r\n"));
        QCOMPARE(FeuillesRapport(r, &p), FeuillesRapport(r) + 1);
    }

    void theClassReportOfACourseAddsTheProgressOnceTheClassIsPastSeanceOne() {
        const QString demo = QStringLiteral(SEANCE_DEMO_DIR);
        QTemporaryDir classe;
        Ecrire(classe.path(), Poste("lea"), Session(Poste("lea"), 1, 18, kMatin, 15));
        Ecrire(classe.path(), Poste("noe"), Session(Poste("noe"), 1, 15, kMatin.addSecs(60), 15));
        // Séance 1 only: the report as it always was, whatever the course holds.
        const ProgramRun avant = RunProgram({"--class-report", classe.path(), "--csv"}, {}, demo);
        QCOMPARE(avant.status, 0);
        QVERIFY(!avant.out.contains("Progression de la classe"));

        Ecrire(classe.path(), Poste("lea"), Session(Poste("lea"), 2, 20, kMatin.addSecs(3600), 15));
        const ProgramRun apres = RunProgram({"--class-report", classe.path(), "--csv"}, {}, demo);
        QCOMPARE(apres.status, 0);
        QVERIFY(apres.out.startsWith(avant.out));
        const QString progression = QString::fromUtf8(apres.out.mid(avant.out.size()));
        const QStringList lignes = progression.split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lignes.size(), 4);
        QVERIFY2(lignes[2].startsWith("noe;noe@ecole.example.fr;1;12,5;non;1;"), qPrintable(lignes[2]));
        QVERIFY2(lignes[3].startsWith("lea;lea@ecole.example.fr;;17,0;oui;1;20,0;oui;1"), qPrintable(lignes[3]));

        // Séance 2's own report counts séance 2's session alone.
        const ProgramRun deux = RunProgram({"--class-report", classe.path(), "--csv", "--seance", "2"}, {}, demo);
        QCOMPARE(deux.status, 0);
        QVERIFY(deux.out.contains("Rapport de classe;Séance 2 : tension, intensité, résistance\r\n"));
        QVERIFY(deux.out.contains("Passages terminés trouvés;1\r\n"));

        QTemporaryDir sortie;
        const QString pdf = sortie.filePath("rapport.pdf");
        const ProgramRun ecrit = RunProgram({"--class-report", classe.path(), pdf}, {}, demo);
        QCOMPARE(ecrit.status, 0);
        QVERIFY2(ecrit.Out().contains("10 feuilles"), qPrintable(ecrit.Out()));
    }
};

QTEST_MAIN(CourseResultsTest)
#include "test_course_results.moc"
