// The class's figures from a real Learning Record Store: Learning Locker's statement service, kept
// in memory, started on a free loopback port for this test and stopped after it. What the lesson's
// sender put there, read back page after page, gives the same results as the class folder.

#include "class_reports/bilan.h"
#include "class_reports/lecture_lrs.h"
#include "class_reports/progression.h"
#include "course/progression_apprenant.h"
#include "recording/envoi_lrs.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_journal.h"
#include "support/missing_tool.h"
#include "support/program.h"
#include "support/virtual_platform.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace resultats;
using testsupport::ProgramRun;
using testsupport::RunProgram;

namespace {

const QString kServeur = QStringLiteral(SEANCE_BIN_DIR "/xapi-lrs/node_modules/xapi-statements/dist/index.js");

quint16 PortLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

}  // namespace

class RealLrsTest : public QObject {
    Q_OBJECT
    QProcess lrs_;
    QTemporaryDir travail_;
    ConfigLrs config_;
    testsupport::VirtualPlatform vp_;

private slots:
    void initTestCase() {
        const QString node = QStandardPaths::findExecutable("node");
        if (node.isEmpty()) SKIP_MISSING_TOOL("Node.js is not installed here: the test against a real LRS is skipped");
        QVERIFY2(QFile::exists(kServeur), "the test LRS is missing: scripts/setup.sh installs it (./test does)");
        const quint16 port = PortLibre();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QList<QPair<QString, QString>> memoire{{"MODELS_REPO", "memory"}, {"STORAGE_REPO", "memory"}, {"AUTH_REPO", "test"},
                                                     {"EVENTS_REPO", "test"}};
        for (const auto& [cle, valeur] : memoire) env.insert(cle, valeur);
        env.insert("EXPRESS_PORT", QString::number(port));
        env.insert("EXPRESS_MORGAN_DIRECTORY", travail_.filePath("journaux"));
        lrs_.setProcessEnvironment(env);
        lrs_.setWorkingDirectory(travail_.path());  // it keeps its files under the working folder
        lrs_.setProcessChannelMode(QProcess::MergedChannels);
        lrs_.start(node, {kServeur});
        QVERIFY2(lrs_.waitForStarted(), qPrintable(lrs_.errorString()));
        QByteArray dit;
        QTRY_VERIFY_WITH_TIMEOUT((dit += lrs_.readAll()).contains("Listening on port") || lrs_.state() != QProcess::Running, 30000);
        QVERIFY2(lrs_.state() == QProcess::Running, dit.constData());

        config_.adresse = QUrl(QStringLiteral("http://127.0.0.1:%1/xAPI/").arg(port));
        config_.cle = "classe-4b";
        config_.secret = "secret";
        config_.delaiMaxMs = 20000;
        platform::SetPlatform(&vp_);
    }
    void cleanupTestCase() {
        platform::SetPlatform(nullptr);
        if (lrs_.state() == QProcess::Running) {
            lrs_.terminate();
            if (!lrs_.waitForFinished(5000)) lrs_.kill();
            lrs_.waitForFinished(5000);
        }
    }

    void whatTheLessonSentReadsBackPageByPageAsTheFolderReads() {
        QTemporaryDir classe;
        // Three learners: one to the end, one who stops at the third question, one twice.
        struct Eleve {
            Identite identite;
            int reponses;
        };
        const std::vector<Eleve> eleves{{{"lea", "Léa Martin; 4e B", "poste-01", "https://ecole.example.fr/"}, 20},
                                        {{"noe", QString(), "poste-02", "https://ecole.example.fr/"}, 3},
                                        {{"ines", "Inès", "poste-03", "https://ecole.example.fr/"}, 7},
                                        {{"ines", "Inès", "poste-03", "https://ecole.example.fr/"}, 20}};
        const auto avancer = [&](int ms) {  // the learner's time passes
            vp_.tickAtStart += ms;
            vp_.timeAtStart = vp_.timeAtStart.addMSecs(ms);
        };
        int envoyees = 0;
        for (const Eleve& e : eleves) {
            Reglages r;
            r.dossier = classe.path();
            r.identite = e.identite;
            r.lrs = config_;
            Suivi suivi(r);
            // With the verdict a completion sends: the real LRS takes it, and no reading counts it twice.
            suivi.RegleDeReussite(Reussie, 15);
            for (int q = 1; q <= e.reponses; ++q) {
                avancer(4000);
                suivi.ReponseValidee(q, q % 3 == 0 ? 2 : 0, q % 3 != 0, 0);
            }
            avancer(1000);
            suivi.LeconFermee();
            // Fin returns once the LRS holds the whole session.
            QCOMPARE(suivi.Envoi()->EnAttente(), size_t(0));
            envoyees += suivi.Envoi()->Acceptees();
        }
        QCOMPARE(envoyees, 20 + 3 + 3 + 1 + 7 + 1 + 20 + 3);

        Lecture dossier;
        QVERIFY(LireDossier(classe.path(), dossier));
        const std::vector<BilanSeance> attendus = Bilans(dossier.declarations);
        QCOMPARE(int(attendus.size()), 4);

        // Small pages: "more" is followed to the last one.
        int recues = 0;
        const LectureLrs lecture = LireLrs(config_, [&](const QJsonObject&) { ++recues; }, 9);
        QVERIFY2(lecture.erreur.isEmpty(), qPrintable(lecture.erreur));
        QCOMPARE(recues, envoyees);
        QVERIFY(lecture.pages >= (envoyees + 8) / 9);
        std::vector<BilanSeance> lus;
        QString erreur;
        QVERIFY2(LireBilansLrs(config_, lus, erreur, 9), qPrintable(erreur));
        QCOMPARE(TexteBilans(lus), TexteBilans(attendus));
        QCOMPARE(CsvBilans(lus), CsvBilans(attendus));

        // The teacher's command, from the settings' LRS, prints what it prints from the folder.
        QTemporaryDir configuration;
        QVERIFY(QDir().mkpath(configuration.filePath("seance1")));
        QFile ini(configuration.filePath("seance1/seance1.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[lrs]\nadresse=%1\ncle=classe-4b\nsecret=secret\n").arg(config_.adresse.toString()).toUtf8());
        ini.close();
        QVERIFY(ini.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QList<QPair<QString, QString>> settings{{"XDG_CONFIG_HOME", configuration.path()}, {"SEANCE1_RESULTATS", ""}};
        const ProgramRun depuisLrs = RunProgram({"--results", "--lrs", "--csv"}, settings);
        const ProgramRun depuisDossier = RunProgram({"--results", classe.path(), "--csv"}, settings);
        QCOMPARE(depuisLrs.status, 0);
        QVERIFY2(depuisLrs.err.isEmpty(), qPrintable(depuisLrs.err));
        QCOMPARE(depuisLrs.out, depuisDossier.out);
        QCOMPARE(QString::fromUtf8(depuisLrs.out).count("\r\n"), 5);

        // And the class report's figures, every completed session (Léa's and Inès's second).
        const ProgramRun rapportLrs = RunProgram({"--class-report", "--lrs", "--csv", "--all"}, settings);
        const ProgramRun rapportDossier = RunProgram({"--class-report", classe.path(), "--csv", "--all"}, settings);
        QCOMPARE(rapportLrs.status, 0);
        QCOMPARE(rapportLrs.out, rapportDossier.out);
        QVERIFY2(rapportLrs.out.contains("Passages comptés;2"), rapportLrs.out.constData());
    }

    void theResultsOfACourseAskTheLrsForEachOfItsSeances() {
        QTemporaryDir classe;
        Reglages r;
        r.dossier = classe.path();
        r.identite = {"zoe", "Zoé", "poste-09", "https://ecole.example.fr/"};
        r.lrs = config_;
        {
            Suivi suivi(r, content::BanqueQuestions::Integree(), 2);
            for (int q = 1; q <= 20; ++q) suivi.ReponseValidee(q, 0, true, q);
            suivi.LeconFermee();
            QCOMPARE(suivi.Envoi()->EnAttente(), size_t(0));
        }
        QTemporaryDir configuration;
        QVERIFY(QDir().mkpath(configuration.filePath("seance1")));
        QFile ini(configuration.filePath("seance1/seance1.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[lrs]\nadresse=%1\ncle=classe-4b\nsecret=secret\n").arg(config_.adresse.toString()).toUtf8());
        ini.close();
        QVERIFY(ini.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QList<QPair<QString, QString>> settings{{"XDG_CONFIG_HOME", configuration.path()}, {"SEANCE1_RESULTATS", ""}};
        // Run in a course of two séances, séance 2's session is read with séance 1's.
        const ProgramRun cours = RunProgram({"--results", "--lrs", "--csv"}, settings, QStringLiteral(SEANCE_DEMO_DIR));
        QCOMPARE(cours.status, 0);
        QVERIFY2(cours.out.contains(";2;Zoé;zoe@ecole.example.fr;20;"), cours.out.constData());
        const ProgramRun deux = RunProgram({"--results", "--lrs", "--csv", "--seance", "2"}, settings);
        QCOMPARE(QString::fromUtf8(deux.out).count("\r\n"), 2);
        QVERIFY(deux.out.contains(";2;Zoé;"));
        QVERIFY(!RunProgram({"--results", "--lrs", "--csv"}, settings).out.contains("Zoé"));

        // The class report and the learner's standing ask for each séance too: Zoé's séance 2 is in the
        // class's progress, and in her own when no folder holds a session of hers.
        const ProgramRun rapport = RunProgram({"--class-report", "--lrs", "--csv"}, settings, QStringLiteral(SEANCE_DEMO_DIR));
        QCOMPARE(rapport.status, 0);
        QVERIFY2(rapport.out.contains("Progression de la classe") && rapport.out.contains("Zoé;zoe@ecole.example.fr;1;"),
                 rapport.out.constData());
        QTemporaryDir vide;
        r.dossier = r.dossierPropre = vide.path();
        const cours::ProgressionLue lue = cours::LireProgression(r, {1, 2}, 15);
        QVERIFY2(lue.erreur.isEmpty(), qPrintable(lue.erreur));
        QCOMPARE(lue.etats[0].tentatives, 0);
        QCOMPARE(lue.etats[1].tentatives, 1);
        QCOMPARE(*lue.etats[1].meilleure, 20.0);
    }

    void aWrongAddressIsSaidPlainly() {
        ConfigLrs ailleurs = config_;
        ailleurs.adresse.setPath("/pas-un-lrs/");
        const LectureLrs l = LireLrs(ailleurs, [](const QJsonObject&) {});
        QVERIFY2(l.erreur.contains("a répondu 404"), qPrintable(l.erreur));
    }
};

QTEST_GUILESS_MAIN(RealLrsTest)
#include "test_results_real_lrs.moc"
