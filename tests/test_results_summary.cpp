// "seance1 --results [FOLDER] [--csv]" as a teacher runs it on a class folder: one line per session,
// newest last, the CSV a French spreadsheet opens right, and the lines it skipped named.

#include "recording/journal.h"
#include "statements/declarations.h"
#include "support/program.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace resultats;
using testsupport::ProgramRun;
using testsupport::RunProgram;

namespace {

// A class folder: Léa finished with 14.5 on one machine, Noé stopped after three questions on another
// (earlier that morning), and Léa's file has one damaged line.
void FillClass(const QString& dossier) {
    const QDateTime matin(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    const Seance lea{NouvelId(), {"lea", "Léa Martin; 4e B", "poste-01", "https://ecole.example.fr/"}};
    const Seance noe{NouvelId(), {"noe", QString(), "poste-02", "https://ecole.example.fr/"}};
    Journal jl(dossier, lea.identite), jn(dossier, noe.identite);
    double note = 0;
    for (int q = 1; q <= 20; ++q) {
        const bool juste = q % 4 != 0;
        note = juste ? note + 1 : std::max(0.0, note - 0.5);
        QVERIFY(jl.Ajouter(Repondu(lea, q, juste ? 0 : 3, juste, matin.addSecs(30 * q))));
    }
    QCOMPARE(note, 12.5);
    QVERIFY(jl.Ajouter(Complete(lea, note, 754000, matin.addSecs(600))));
    QVERIFY(AjouterLigne(jl.Chemin(), "{\"id\": \"coupé").isEmpty());
    QVERIFY(jl.Ajouter(Termine(lea, 800000, matin.addSecs(800))));
    for (int q = 1; q <= 3; ++q) QVERIFY(jn.Ajouter(Repondu(noe, q, 1, false, matin.addSecs(-3600 + 30 * q))));
}

}  // namespace

class ResultsSummaryTest : public QObject {
    Q_OBJECT

private slots:
    void theTextListsEachSessionNewestLastAndNamesTheSkippedLines() {
        QTemporaryDir classe;
        FillClass(classe.path());
        const ProgramRun s = RunProgram({"--results", classe.path()});
        QCOMPARE(s.status, 0);
        const QStringList lignes = QString::fromUtf8(s.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lignes.size(), 2);
        QVERIFY2(lignes[0].contains("noe@ecole.example.fr") && lignes[0].contains("0/20") &&
                     lignes[0].contains("3 questions") && lignes[0].contains("non terminée"),
                 qPrintable(lignes[0]));
        QVERIFY2(lignes[1].contains("Léa Martin") && lignes[1].contains("12,5/20") && lignes[1].contains("13 min 20 s") &&
                     lignes[1].contains("20 questions") && lignes[1].endsWith(" terminée"),
                 qPrintable(lignes[1]));
        QVERIFY2(s.err.contains("lea@poste-01.jsonl, ligne 22 : pas du JSON"), qPrintable(s.err));

        // With no folder named, the environment's is read.
        QCOMPARE(RunProgram({"--results"}, {{"SEANCE1_RESULTATS", classe.path()}}).out, s.out);
    }

    void theCsvUsesFrenchConventions() {
        QTemporaryDir classe;
        FillClass(classe.path());
        const ProgramRun s = RunProgram({"--results", "--csv", classe.path()});
        QCOMPARE(s.status, 0);
        QVERIFY(s.out.startsWith("\xEF\xBB\xBF"));
        const QStringList lignes = QString::fromUtf8(s.out.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lignes.size(), 3);
        QVERIFY(lignes[0].startsWith("Date;Séance;Apprenant;Compte;Note sur 20;"));
        QVERIFY2(lignes[1].endsWith(";1;noe;noe@ecole.example.fr;0;;3;non"), qPrintable(lignes[1]));
        // A field holding the separator is quoted; minutes and score with a decimal comma.
        QVERIFY2(lignes[2].endsWith(";1;\"Léa Martin; 4e B\";lea@ecole.example.fr;12,5;13,33;20;oui"), qPrintable(lignes[2]));
        QVERIFY(s.err.contains("ligne 22"));
    }

    void aMissingFolderOrAWrongOptionIsSaidPlainly() {
        const ProgramRun absent = RunProgram({"--results", "/nulle/part"});
        QCOMPARE(absent.status, 1);
        QVERIFY2(absent.err.contains("le dossier « /nulle/part » n'existe pas"), qPrintable(absent.err));
        QVERIFY(absent.out.isEmpty());

        QTemporaryDir vide;
        const ProgramRun rien = RunProgram({"--results", vide.path()});
        QCOMPARE(rien.status, 0);
        QVERIFY(rien.out.startsWith("Aucun passage"));

        QCOMPARE(RunProgram({"--results", "--pdf"}).status, 2);
    }
};

QTEST_GUILESS_MAIN(ResultsSummaryTest)
#include "test_results_summary.moc"
