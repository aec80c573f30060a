// The results journal: what a learner's session leaves in it, checked against the xAPI 1.0.3 rules,
// and that nothing is lost or spoiled by a kill, a damaged line, an unwritable folder, a full disk,
// or two machines sharing a class folder.

#include "class_reports/bilan.h"
#include "course_window/sl_mm.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_journal.h"
#include "statements/lecture_declarations.h"
#include "support/warnings.h"
#include "support/lesson.h"

#include <memory>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;
using namespace resultats;

namespace {

// --- The xAPI 1.0.3 data rules the lesson's statements fall under.

bool IsUuid(const QString& s) {
    static const QRegularExpression forme(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[1-5][0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"));
    return forme.match(s).hasMatch();
}
bool IsIri(const QString& s) {
    const QUrl u(s, QUrl::StrictMode);
    return u.isValid() && !u.isRelative() && !u.scheme().isEmpty() && !s.contains(QLatin1Char(' '));
}
bool IsTimestamp(const QString& s) {
    static const QRegularExpression forme(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(\\.\\d+)?(Z|[+-]\\d\\d:\\d\\d)$"));
    return forme.match(s).hasMatch() && QDateTime::fromString(s, Qt::ISODateWithMs).isValid();
}
bool IsDuration(const QString& s) {
    static const QRegularExpression forme(
        QStringLiteral("^P(?!$)(\\d+Y)?(\\d+M)?(\\d+W)?(\\d+D)?(T(?=\\d)(\\d+H)?(\\d+M)?(\\d+(\\.\\d+)?S)?)?$"));
    return forme.match(s).hasMatch();
}
bool IsLanguageMap(const QJsonValue& v) {
    static const QRegularExpression etiquette(QStringLiteral("^[a-zA-Z]{2,3}(-[a-zA-Z0-9]{2,8})*$"));
    if (!v.isObject() || v.toObject().isEmpty()) return false;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!etiquette.match(it.key()).hasMatch() || !it.value().isString()) return false;
    return true;
}
bool OnlyKeys(const QJsonObject& o, const QStringList& permises) {
    for (const QString& k : o.keys())
        if (!permises.contains(k)) return false;
    return true;
}

// Every rule the statement breaks, as short texts; empty when it is valid.
QStringList Faults(const QJsonObject& d) {
    QStringList f;
    const auto exiger = [&](bool ok, const char* regle) {
        if (!ok) f << QString::fromLatin1(regle);
    };
    exiger(OnlyKeys(d, {"id", "actor", "verb", "object", "result", "context", "timestamp"}), "unknown property");
    exiger(IsUuid(d["id"].toString()), "id is not a UUID");
    exiger(IsTimestamp(d["timestamp"].toString()), "timestamp is not ISO 8601 with a time zone");

    const QJsonObject acteur = d["actor"].toObject();
    int identifiants = 0;
    for (const char* ifi : {"mbox", "mbox_sha1sum", "openid", "account"}) identifiants += acteur.contains(QLatin1String(ifi));
    exiger(identifiants == 1, "agent has not exactly one identifying property");
    exiger(acteur["objectType"].toString() == "Agent", "actor is not an Agent");
    exiger(OnlyKeys(acteur, {"objectType", "name", "account"}), "agent has unknown properties");
    const QJsonObject compte = acteur["account"].toObject();
    exiger(OnlyKeys(compte, {"homePage", "name"}) && compte.size() == 2, "account needs homePage and name only");
    const QUrl page(compte["homePage"].toString());
    exiger(page.isValid() && (page.scheme() == "http" || page.scheme() == "https") && !page.host().isEmpty(),
           "homePage is not a URL");
    exiger(!compte["name"].toString().isEmpty(), "account name is empty");

    const QJsonObject verbe = d["verb"].toObject();
    exiger(IsIri(verbe["id"].toString()), "verb id is not an IRI");
    exiger(IsLanguageMap(verbe["display"]), "verb display is not a language map");

    const QJsonObject objet = d["object"].toObject();
    exiger(objet["objectType"].toString() == "Activity" && IsIri(objet["id"].toString()), "object is not an activity with an IRI");
    const QJsonObject def = objet["definition"].toObject();
    exiger(IsIri(def["type"].toString()), "definition type is not an IRI");
    exiger(IsLanguageMap(def["name"]), "definition name is not a language map");
    if (def.contains("description")) exiger(IsLanguageMap(def["description"]), "description is not a language map");
    if (def.contains("interactionType")) {
        exiger(def["interactionType"].toString() == "choice", "interaction is not a choice");
        QSet<QString> ids;
        for (const QJsonValue& c : def["choices"].toArray()) {
            const QString id = c["id"].toString();
            exiger(!id.isEmpty() && !id.contains(QRegularExpression("[\\[\\],\\s]")) && !ids.contains(id), "bad choice id");
            exiger(IsLanguageMap(c["description"]), "choice description is not a language map");
            ids.insert(id);
        }
        for (const QJsonValue& p : def["correctResponsesPattern"].toArray()) exiger(ids.contains(p.toString()), "pattern names no choice");
        const QJsonObject r = d["result"].toObject();
        exiger(ids.contains(r["response"].toString()), "response names no choice");
        exiger(r["success"].isBool(), "success is not a boolean");
    }

    const QJsonObject resultat = d["result"].toObject();
    exiger(OnlyKeys(resultat, {"score", "success", "completion", "response", "duration"}), "result has unknown properties");
    if (resultat.contains("duration")) exiger(IsDuration(resultat["duration"].toString()), "duration is not ISO 8601");
    if (resultat.contains("score")) {
        const QJsonObject s = resultat["score"].toObject();
        const double raw = s["raw"].toDouble(), min = s["min"].toDouble(), max = s["max"].toDouble(), scaled = s["scaled"].toDouble();
        exiger(min < max && raw >= min && raw <= max, "raw not within min and max");
        exiger(scaled >= -1 && scaled <= 1, "scaled outside -1..1");
    }
    const QJsonObject contexte = d["context"].toObject();
    exiger(IsUuid(contexte["registration"].toString()), "registration is not a UUID");
    exiger(QRegularExpression("^[a-z]{2}(-[A-Z]{2})?$").match(contexte["language"].toString()).hasMatch(), "language is not a tag");
    for (const QJsonValue& p : contexte["contextActivities"].toObject()["parent"].toArray())
        exiger(IsIri(p["id"].toString()), "parent id is not an IRI");
    return f;
}

Identite Workstation(const QString& compte, const QString& machine) {
    return Identite{compte, compte.toUpper(), machine, QStringLiteral("https://%1/").arg(machine)};
}

QByteArray Contents(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The child process of the kill test: appends large statements until it is killed.
int WriteForever(const QString& dossier) {
    Journal j(dossier, Workstation("enfant", "poste"));
    const QString remplissage(200000, QLatin1Char('x'));
    for (;;) {
        j.Ajouter(QJsonObject{{"id", NouvelId()}, {"verb", QJsonObject{{"id", kVerbeRepondu}}}, {"remplissage", remplissage}});
    }
}

}  // namespace

class ResultsJournalTest : public QObject {
    Q_OBJECT
    QStringList avertissements_;
    std::unique_ptr<testsupport::WarningsCollector> collecteur_;

private slots:
    void init() {
        avertissements_.clear();
        collecteur_ = std::make_unique<testsupport::WarningsCollector>(avertissements_);
        SL_MM::Forget();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }
    void cleanup() {
        collecteur_.reset();
        QLocale::setDefault(QLocale::c());
    }

    void aWholeSessionLeavesValidStatementsFromWhichTheScoreIsRecomputed() {
        QTemporaryDir classe;
        Reglages r;
        r.dossier = classe.path();
        r.identite = Workstation("jdupont", "salle-b-07");
        std::unique_ptr<Suivi> suivi;
        Lesson l(true, {}, {}, [&] {
            suivi = std::make_unique<Suivi>(r);
            return suivi.get();
        });
        l.w->NumPage = 18;
        l.w->NumQuestion = 1;
        l.Click(l.w->B_Pag_S);
        // Wrong at every third question: the score goes down by halves as on screen.
        QList<int> choix;
        for (int q = 1; q <= 20; ++q) {
            choix << (q % 3 == 0 ? 2 : 0);
            l.w->Option1(choix.last()).Click();
            l.Click(l.w->B_Valider);
        }
        QCOMPARE(l.w->NumPage, int16_t(20));
        const double affichee = l.w->Note;
        QVERIFY(l.w->Label9.Caption().contains(platform::NumberText(affichee)));
        try {
            l.Click(l.w->B_Fermer);
            QFAIL("Fermer did not end the program");
        } catch (const ProgramEnded&) {
        }

        Lecture lecture;
        QVERIFY(LireDossier(classe.path(), lecture));
        QVERIFY(lecture.ignorees.empty());
        QCOMPARE(int(lecture.declarations.size()), 22);
        for (const QJsonObject& d : lecture.declarations) {
            const QStringList f = Faults(d);
            QVERIFY2(f.isEmpty(), qPrintable(f.join("; ") + "\n" + QJsonDocument(d).toJson()));
        }
        for (int q = 1; q <= 20; ++q) {
            const QJsonObject d = lecture.declarations[size_t(q - 1)];
            QCOMPARE(d["verb"]["id"].toString(), QString(kVerbeRepondu));
            QCOMPARE(d["object"]["id"].toString(), IriQuestion(q));
            QCOMPARE(d["result"]["response"].toString(), IdChoix(choix[q - 1] + 1));
            QCOMPARE(d["result"]["success"].toBool(), choix[q - 1] == 0);
            QCOMPARE(d["object"]["definition"]["choices"].toArray().size(), 4);
        }
        const QJsonObject complete = lecture.declarations[20], termine = lecture.declarations[21];
        QCOMPARE(complete["verb"]["id"].toString(), QString(kVerbeComplete));
        QCOMPARE(complete["result"]["score"]["raw"].toDouble(), affichee);
        QCOMPARE(complete["result"]["score"]["scaled"].toDouble(), affichee / 20);
        QCOMPARE(termine["verb"]["id"].toString(), QString(kVerbeTermine));
        QVERIFY(DureeMs(termine["result"]["duration"].toString()) >= DureeMs(complete["result"]["duration"].toString()));
        // Forty seconds of pauses at least, on the virtual clock.
        QVERIFY(DureeMs(complete["result"]["duration"].toString()) >= 40000);
        QCOMPARE(complete["actor"]["account"]["name"].toString(), QString("jdupont"));

        // The teacher's view recomputes the score the answers give and finds the one shown.
        const std::vector<BilanSeance> bilans = Bilans(lecture.declarations);
        QCOMPARE(int(bilans.size()), 1);
        QCOMPARE(bilans[0].note, affichee);
        QCOMPARE(bilans[0].questions, 20);
        QVERIFY(bilans[0].terminee);
        // The reading of the command line finds the same.
        Comptage comptage;
        LectureEssentielle essentiel;
        essentiel.recevoir = [&](const Essentiel& e) { comptage.Ajouter(e); };
        QVERIFY(LireDossierEssentiel(classe.path(), essentiel));
        const std::vector<BilanSeance> vite = comptage.Bilans();
        QCOMPARE(int(vite.size()), 1);
        QCOMPARE(vite[0].note, affichee);
        QCOMPARE(vite[0].dureeMs, bilans[0].dureeMs);
        QCOMPARE(vite[0].compte, bilans[0].compte);
        QCOMPARE(vite[0].apprenant, bilans[0].apprenant);
        QCOMPARE(vite[0].debut, bilans[0].debut);
        // And the teacher's command line lists that score.
        QProcess commande;
        commande.start(SEANCE_BIN_DIR "/src/seance1", {"--results", classe.path(), "--csv"});
        QVERIFY(commande.waitForFinished(30000));
        QVERIFY2(QString::fromUtf8(commande.readAllStandardOutput()).contains(";jdupont@salle-b-07;" + platform::NumberText(affichee) + ";"),
                 qPrintable(platform::NumberText(affichee)));
        std::vector<QJsonObject> sansFin(lecture.declarations.begin(), lecture.declarations.begin() + 20);
        QCOMPARE(Bilans(sansFin)[0].note, affichee);
        QVERIFY(!Bilans(sansFin)[0].terminee);
        QVERIFY(avertissements_.isEmpty());
    }

    void durationsAreWrittenAndReadAsIso8601() {
        const QList<QPair<qint64, QString>> cas{{0, "PT0S"}, {3500, "PT3.5S"}, {61050, "PT1M1.05S"}, {3600000, "PT1H0M0S"},
                                                 {-5, "PT0S"}};
        for (const auto& [ms, iso] : cas) {
            QCOMPARE(DureeIso(ms), iso);
            QVERIFY(IsDuration(iso));
            QCOMPARE(DureeMs(iso), std::max<qint64>(ms, 0));
        }
        QCOMPARE(DureeMs("P1DT2H"), qint64(93600000));
        QCOMPARE(DureeMs("PT"), qint64(-1));
        QCOMPARE(DureeMs("12 s"), qint64(-1));
    }

    void aKillMidWriteLosesAtMostTheLineBeingWritten() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(NomFichier(Workstation("enfant", "poste")));
        QProcess enfant;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SEANCE_TEST_CHILD_WRITES", dossier.path());
        enfant.setProcessEnvironment(env);
        enfant.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(enfant.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Contents(chemin).count('\n') >= 8, 20000);
        enfant.kill();
        QVERIFY(enfant.waitForFinished());

        Lecture avant;
        QVERIFY(LireJournal(chemin, avant));
        QVERIFY(avant.declarations.size() >= 8);
        QVERIFY(avant.ignorees.size() <= 1);
        const int lignes = int(Contents(chemin).count('\n'));
        if (!avant.ignorees.empty()) QCOMPARE(avant.ignorees[0].ligne, lignes + 1);

        // The next session appends after whatever the kill left, and nothing else is lost.
        Journal suite(dossier.path(), Workstation("enfant", "poste"));
        QVERIFY(suite.Ajouter(QJsonObject{{"id", "apres"}, {"verb", QJsonObject{}}}));
        Lecture apres;
        QVERIFY(LireJournal(chemin, apres));
        QCOMPARE(apres.declarations.size(), avant.declarations.size() + 1);
        QCOMPARE(apres.declarations.back()["id"].toString(), QString("apres"));
        QCOMPARE(apres.ignorees.size(), avant.ignorees.size());
    }

    void damagedLinesAreSkippedWithTheirReasonAndSpoilNothingElse() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("a@b.jsonl");
        const QByteArray bonne1 = "{\"id\":\"1\",\"verb\":{\"id\":\"v\"}}", bonne2 = "{\"id\":\"2\",\"verb\":{\"id\":\"v\"}}";
        QFile f(chemin);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bonne1 + "\n" + "du texte\n" + "{\"id\":\"3\",\"verb\":" + "\n\n" + "[1,2]\n" + bonne2 + "\r\n" + bonne1 + "\n" +
                "{\"id\":\"4\",\"ve");
        f.close();
        Lecture lecture;
        QVERIFY(LireDossier(dossier.path(), lecture));
        QCOMPARE(int(lecture.declarations.size()), 2);  // the copy of line 1 is read once
        QCOMPARE(int(lecture.ignorees.size()), 4);
        QList<int> numeros;
        for (const LigneIgnoree& i : lecture.ignorees) numeros << i.ligne;
        QCOMPARE(numeros, QList<int>({2, 3, 5, 8}));
        QVERIFY(lecture.ignorees[0].raison.startsWith("pas du JSON"));
        QVERIFY(lecture.ignorees[2].raison.contains("pas une déclaration"));
        QVERIFY(lecture.ignorees[3].raison.contains("coupée"));
        // The teacher's reading skips the same lines.
        LectureEssentielle essentiel;
        size_t lues = 0;
        essentiel.recevoir = [&](const Essentiel&) { ++lues; };
        LireDossierEssentiel(dossier.path(), essentiel);
        QCOMPARE(lues, lecture.declarations.size());
        QCOMPARE(essentiel.ignorees.size(), lecture.ignorees.size());
        for (size_t i = 0; i < lecture.ignorees.size(); ++i) QCOMPARE(essentiel.ignorees[i].ligne, lecture.ignorees[i].ligne);

        // Appending to a file whose last line was cut: the new line stands on its own.
        QCOMPARE(AjouterLigne(chemin, "{\"id\":\"5\",\"verb\":{}}"), QString());
        Lecture suite;
        LireJournal(chemin, suite);
        QCOMPARE(suite.declarations.back()["id"].toString(), QString("5"));
        QCOMPARE(suite.ignorees.size(), lecture.ignorees.size());
    }

    void anUnwritableFolderAFullDiskOrNoHomeKeepStatementsUntilTheyCanBeWritten() {
        QTemporaryDir racine;
        const QString dossier = racine.filePath("classe");
        // A file where the folder should be cannot be written, even by the administrator.
        QFile bouchon(dossier);
        QVERIFY(bouchon.open(QIODevice::WriteOnly));
        bouchon.close();
        const Identite id = Workstation("eleve", "poste");
        Journal j(dossier, id);
        QVERIFY(!j.Ajouter(QJsonObject{{"id", "1"}, {"verb", QJsonObject{}}}));
        QVERIFY(!j.Ajouter(QJsonObject{{"id", "2"}, {"verb", QJsonObject{}}}));
        QCOMPARE(j.EnAttente(), size_t(2));
        QCOMPARE(avertissements_.size(), 2);
        QVERIFY(avertissements_[1].contains(dossier) && avertissements_[1].contains("2 en attente"));

        QVERIFY(QFile::remove(dossier));
        QVERIFY(j.Ajouter(QJsonObject{{"id", "3"}, {"verb", QJsonObject{}}}));
        QCOMPARE(j.EnAttente(), size_t(0));
        Lecture lecture;
        LireJournal(j.Chemin(), lecture);
        QStringList ids;
        for (const QJsonObject& d : lecture.declarations) ids << d["id"].toString();
        QCOMPARE(ids, QStringList({"1", "2", "3"}));

        // The device that is always full, linked under the journal's name: the link is not followed
        // (a full class folder is tried on a small file system in test_results_fallback).
        if (QFile::exists("/dev/full")) {
            const QString plein = racine.filePath("plein");
            QVERIFY(QDir().mkpath(plein));
            QVERIFY(QFile::link("/dev/full", QDir(plein).filePath(NomFichier(id))));
            Journal p(plein, id);
            avertissements_.clear();
            QVERIFY(!p.Ajouter(QJsonObject{{"id", "4"}, {"verb", QJsonObject{}}}));
            QCOMPARE(p.EnAttente(), size_t(1));
            QCOMPARE(avertissements_.size(), 1);
            QVERIFY(QFile::remove(QDir(plein).filePath(NomFichier(id))));
            QVERIFY(p.Vider());
            QCOMPARE(Contents(p.Chemin()).count('\n'), 1);
        }

        // No home, hence no folder: the statements wait in memory.
        Journal sansDossier(QString(), id);
        QVERIFY(!sansDossier.Ajouter(QJsonObject{{"id", "5"}, {"verb", QJsonObject{}}}));
        QCOMPARE(sansDossier.EnAttente(), size_t(1));
    }

    void twoMachinesOnOneSharedFolderEachWriteTheirOwnFile() {
        QTemporaryDir classe;
        const Seance a{NouvelId(), Workstation("eleve", "poste-01")}, b{NouvelId(), Workstation("eleve", "poste-02")};
        Journal ja(classe.path(), a.identite), jb(classe.path(), b.identite);
        QVERIFY(ja.Chemin() != jb.Chemin());
        const QDateTime t0(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
        for (int q = 1; q <= 20; ++q) {
            QVERIFY(ja.Ajouter(Repondu(a, q, 0, true, t0.addSecs(q))));
            QVERIFY(jb.Ajouter(Repondu(b, q, 1, false, t0.addSecs(60 + q))));
        }
        QVERIFY(ja.Ajouter(Complete(a, 20, 30000, t0.addSecs(21))));
        Lecture lecture;
        QVERIFY(LireDossier(classe.path(), lecture));
        QCOMPARE(int(lecture.declarations.size()), 41);
        const std::vector<BilanSeance> bilans = Bilans(lecture.declarations);
        QCOMPARE(int(bilans.size()), 2);
        QCOMPARE(bilans[0].compte, QString("eleve@poste-01"));
        QCOMPARE(bilans[0].note, 20.0);
        QVERIFY(bilans[0].terminee);
        QCOMPARE(bilans[1].compte, QString("eleve@poste-02"));
        QCOMPARE(bilans[1].note, 0.0);
        QCOMPARE(bilans[1].questions, 20);
        QVERIFY(!bilans[1].terminee);
    }

    void settingsFileIsCreatedForItsOwnerAndTheEnvironmentNamesTheFolder() {
        QTemporaryDir config;
        const QString chemin = config.filePath("seance1/seance1.ini");
        qunsetenv("SEANCE1_RESULTATS");
        Reglages r = Reglages::Lire(chemin);
        QVERIFY(QFile::exists(chemin));
        QCOMPARE(QFile(chemin).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
        QVERIFY(!r.lrs.Active());
        QVERIFY(!r.ajuster);
        QVERIFY(!r.identite.compte.isEmpty());
        QVERIFY(IsIri(r.identite.pageAccueil));

        QFile f(chemin);
        QVERIFY(f.open(QIODevice::Append));
        f.write("[resultats]\ndossier=/srv/classe\n[apprenant]\npageAccueil=https://ecole.example.fr\n"
                "[lrs]\nadresse=https://lrs.example.fr/xapi/\ncle=k\nsecret=s\n[affichage]\najuster= Oui \n");
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        r = Reglages::Lire(chemin);
        QCOMPARE(r.dossier, QString("/srv/classe"));
        QVERIFY(r.ajuster);
        QCOMPARE(r.identite.pageAccueil, QString("https://ecole.example.fr"));
        QVERIFY(r.lrs.Active());
        QCOMPARE(QFile(chemin).permissions() & QFileDevice::ReadOther, QFileDevice::Permissions());
        QVERIFY(avertissements_.join("").contains("secret"));
        QVERIFY(!avertissements_.join("").contains("s\n"));

        qputenv("SEANCE1_RESULTATS", "/mnt/partage");
        QCOMPARE(Reglages::Lire(chemin).dossier, QString("/mnt/partage"));
        qunsetenv("SEANCE1_RESULTATS");
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("SEANCE_TEST_CHILD_WRITES")) return WriteForever(qEnvironmentVariable("SEANCE_TEST_CHILD_WRITES"));
    QApplication app(argc, argv);
    ResultsJournalTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_results_journal.moc"
