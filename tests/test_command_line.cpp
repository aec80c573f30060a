// The command line: what each argument list becomes, and the program's own answers to --help,
// --version and a wrong line, run with no display at all.

#include "cli/ligne_de_commande.h"
#include "support/program.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QtTest>

using namespace cli;
using testsupport::ProgramRun;
using testsupport::RunProgram;

namespace {

Analyse Parse(const QStringList& arguments) { return Analyser(QStringList{"seance1"} + arguments); }

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void withoutACommandTheLessonStartsEvenWithTheToolkitsOwnOptions() {
        for (const QStringList& a : {QStringList{}, {"-platform", "offscreen"}, {"--style=Fusion"}, {"-reverse", "-style", "fusion"}}) {
            const Analyse r = Parse(a);
            QVERIFY2(r.issue == Issue::Lecon, qPrintable(a.join(' ') + " : " + r.erreur));
        }
    }

    void commandsAndTheirArguments() {
        Analyse r = Parse({"--results", "--csv", "/srv/classe"});
        QVERIFY(r.issue == Issue::Commande);
        QCOMPARE(r.demande.commande, "results");
        QCOMPARE(r.demande.dossier, "/srv/classe");
        QVERIFY(r.demande.csv && !r.demande.lrs);

        r = Parse({"--results", "--lrs"});
        QVERIFY(r.issue == Issue::Commande && r.demande.lrs && r.demande.dossier.isEmpty());

        r = Parse({"--class-report", "/srv/classe", "4B.PDF"});
        QVERIFY(r.issue == Issue::Commande);
        QCOMPARE(r.demande.commande, "class-report");
        QCOMPARE(r.demande.dossier, "/srv/classe");
        QCOMPARE(r.demande.fichier, "4B.PDF");
        r = Parse({"--class-report", "--csv", "--all"});
        QVERIFY(r.issue == Issue::Commande && r.demande.csv && r.demande.tout && r.demande.fichier.isEmpty());

        r = Parse({"--storyboard", "lecon.pdf"});
        QVERIFY(r.issue == Issue::Commande);
        QCOMPARE(r.demande.fichier, "lecon.pdf");

        r = Parse({"--prepare-class-folder", "/srv/classe", "--group", "profs"});
        QVERIFY(r.issue == Issue::Commande);
        QCOMPARE(r.demande.dossier, "/srv/classe");
        QCOMPARE(r.demande.groupe, "profs");

        // The séance: the lesson's, the storyboard's and the exported questions'.
        QCOMPARE(Parse({}).demande.seance, 1);
        r = Parse({"--seance", "2"});
        QVERIFY(r.issue == Issue::Lecon && r.demande.seance == 2);
        r = Parse({"--storyboard", "s2.pdf", "--seance", "12"});
        QVERIFY(r.issue == Issue::Commande && r.demande.seance == 12 && r.demande.fichier == "s2.pdf");
        QCOMPARE(Parse({"--seance=3", "--export-questions", "q.gift"}).demande.seance, 3);
        QCOMPARE(Parse({"--results", "--seance", "2", "--csv"}).demande.seance, 2);

        QVERIFY(Parse({"--check"}).issue == Issue::Commande);
        QVERIFY(Parse({"--help"}).issue == Issue::Aide && Parse({"-h"}).issue == Issue::Aide);
        QVERIFY(Parse({"--version"}).issue == Issue::Version && Parse({"-v"}).issue == Issue::Version);
    }

    void wrongLinesAreRefusedInOneLineNamingTheFault_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("cite");
        QTest::newRow("unknown") << QStringList{"--foo"} << "--foo";
        QTest::newRow("unknown, one dash") << QStringList{"-x"} << "-x";
        QTest::newRow("unknown after a command") << QStringList{"--results", "--pdf"} << "--pdf";
        QTest::newRow("storyboard without file") << QStringList{"--storyboard"} << "FICHIER.pdf";
        QTest::newRow("prepare without folder") << QStringList{"--prepare-class-folder"} << "DOSSIER";
        QTest::newRow("an option taken for the folder") << QStringList{"--prepare-class-folder", "--group", "g"} << "DOSSIER";
        QTest::newRow("group without name") << QStringList{"--prepare-class-folder", "d", "--group"} << "GROUPE";
        QTest::newRow("class report without pdf") << QStringList{"--class-report", "/srv/classe"} << "FICHIER.pdf";
        QTest::newRow("class report, pdf and csv") << QStringList{"--class-report", "r.pdf", "--csv"} << "--csv";
        QTest::newRow("two commands") << QStringList{"--results", "--check"} << "--check";
        QTest::newRow("modifier without its command") << QStringList{"--csv"} << "--csv";
        QTest::newRow("modifier of another command") << QStringList{"--check", "--group", "g"} << "--group";
        QTest::newRow("all with results") << QStringList{"--results", "--all"} << "--all";
        QTest::newRow("one folder too many") << QStringList{"--results", "a", "b"} << "b";
        QTest::newRow("check takes nothing") << QStringList{"--check", "a"} << "a";
        QTest::newRow("stray argument") << QStringList{"cours"} << "cours";
        QTest::newRow("seance zero") << QStringList{"--seance", "0"} << "de 1 à 99, pas « 0 »";
        QTest::newRow("seance not a number") << QStringList{"--storyboard", "s.pdf", "--seance", "deux"} << "« deux »";
        QTest::newRow("seance of another command") << QStringList{"--check", "--seance", "2"} << "--seance ne va qu'avec --storyboard ou --export-questions ou --results ou --class-report ou la leçon";
    }
    void wrongLinesAreRefusedInOneLineNamingTheFault() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, cite);
        const Analyse r = Parse(arguments);
        QVERIFY2(r.issue == Issue::Erreur, qPrintable(arguments.join(' ')));
        QVERIFY2(r.erreur.contains(cite), qPrintable(r.erreur));
        QVERIFY(!r.erreur.contains('\n'));
        QVERIFY2(r.erreur.startsWith("seance1 : "), qPrintable(r.erreur));
    }

    void aFolderBesideTheLrsIsRefusedByTheParser() {
        QCOMPARE(Parse({"--results", "d", "--lrs"}).erreur, QString("--lrs lit le LRS des réglages : ne nommez pas de dossier avec."));
        const Analyse r = Parse({"--class-report", "d", "r.pdf", "--lrs"});
        QVERIFY(r.issue == Issue::Erreur && r.erreur.startsWith("Usage : seance1 --class-report [DOSSIER | --lrs] FICHIER.pdf"));
        QVERIFY(Parse({"--class-report", "--lrs", "--csv"}).issue == Issue::Commande);
        QVERIFY(Parse({"--results", "--lrs"}).issue == Issue::Commande);
    }

    void theProgramRefusesWithStatusTwoOnTheStandardErrorWithoutADisplay() {
        for (const QStringList& a : {QStringList{"--foo"}, QStringList{"--storyboard"}, QStringList{"--prepare-class-folder"}}) {
            const ProgramRun s = RunProgram(a);
            QCOMPARE(s.status, 2);
            QVERIFY(s.Out().isEmpty());
            QCOMPARE(s.err.count('\n'), 1);
            QVERIFY2(s.err.endsWith('\n') && s.err.contains(a[0]), qPrintable(s.err));
        }
    }

    // The graphical commands on a terminal with no session runtime folder and no sound server: what
    // the teacher reads is the command's own output, with nothing of the toolkit's.
    void commandsPrintNoToolkitNoise() {
        QTemporaryDir classe, config;  // the account's own settings stay as they are
        for (const QStringList& a : {QStringList{"--check"}, QStringList{"--class-report", classe.path(), "--csv"}}) {
            const ProgramRun s =
                RunProgram(a, {{"XDG_RUNTIME_DIR", ""}, {"XDG_CONFIG_HOME", config.path()}}, SEANCE_DEMO_DIR);
            QVERIFY2(!s.err.contains("XDG_RUNTIME_DIR") && !s.err.contains("PulseAudio") &&
                         !s.err.contains("QStandardPaths"),
                     qPrintable(s.err));
        }
    }

    void helpListsEveryCommandOnOneLineAndVersionGivesTheProjectsOwn() {
        const ProgramRun aide = RunProgram({"--help"});
        QCOMPARE(aide.status, 0);
        QVERIFY(aide.err.isEmpty());
        const QStringList lignes = aide.Out().split('\n');
        QCOMPARE(Commandes().size(), 7u);
        for (const Commande& c : Commandes()) {
            const QString debut = QStringLiteral("  --%1 %2").arg(c.option, QString::fromUtf8(c.syntaxe)).trimmed();
            const auto l = std::find_if(lignes.begin(), lignes.end(), [&](const QString& l) { return l.trimmed().startsWith(debut); });
            QVERIFY2(l != lignes.end(), c.option);
            QVERIFY2(l->endsWith(QString::fromUtf8(c.resume)), qPrintable(*l));
        }
        for (const char* option : {"--csv", "--lrs", "--all", "--group", "--help", "--version"})
            QVERIFY2(aide.Out().contains(QLatin1String("  ") + option) || aide.Out().contains(QLatin1String(", ") + option), option);

        const ProgramRun version = RunProgram({"--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.Out(), QStringLiteral("seance1 %1.%2.%3\n").arg(SEANCE_VERSION_MAJOR).arg(SEANCE_VERSION_MINOR).arg(SEANCE_VERSION_PATCH));
    }

    void manualPageAndCompletionKnowEveryOptionTheHelpShows() {
        const QString man = RunProgram({"--help-man"}).Out();
        QVERIFY(man.startsWith(".TH SEANCE1 1 "));
        QFile complete(SEANCE_SOURCE_DIR "/packaging/seance1.bash-completion");
        QVERIFY(complete.open(QIODevice::ReadOnly));
        const QString completion = QString::fromUtf8(complete.readAll());
        QRegularExpressionMatchIterator it = QRegularExpression("--[a-z-]+[a-z]").globalMatch(RunProgram({"--help"}).Out());
        int vues = 0;
        while (it.hasNext()) {
            const QString option = it.next().captured();
            QString enRoff = option;
            QVERIFY2(man.contains(enRoff.replace("-", "\\-")), qPrintable(option));
            QVERIFY2(completion.contains(QRegularExpression(QRegularExpression::escape(option) + "(\\s|'|\\))")), qPrintable(option));
            ++vues;
        }
        QVERIFY(vues >= 11);
        // The page built for installation is the program's own.
        QFile construite(SEANCE_BIN_DIR "/packaging/seance1.1");
        QVERIFY(construite.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(construite.readAll()), man);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
