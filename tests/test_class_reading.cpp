// The class's journals read fast (simdjson, both cores) must give the reports exactly what the
// journal reader gives: the same statements in the same order, the same lines skipped, and so the
// same figures to the last digit in the class report's CSV and in --results.

#include "generated_class.h"
#include "class_reports/bilan.h"
#include "statements/lecture_journal.h"
#include "class_reports/lecture_rapide.h"
#include "class_reports/rapport.h"
#include "class_reports/rapport_classe.h"
#include "statements/declarations.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace resultats;

namespace {

void Append(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::Append));
    f.write(octets);
}

Lecture Lire(const QString& dossier, bool rapide) {
    Lecture lecture;
    lecture.essentiel = true;
    if (rapide)
        LireDossierRapide(dossier, lecture);
    else
        LireDossier(dossier, lecture);
    return lecture;
}

void SameSkipped(const std::vector<LigneIgnoree>& apres, const std::vector<LigneIgnoree>& avant) {
    QCOMPARE(apres.size(), avant.size());
    for (size_t i = 0; i < avant.size(); ++i) {
        QCOMPARE(apres[i].fichier, avant[i].fichier);
        QCOMPARE(apres[i].ligne, avant[i].ligne);
        QCOMPARE(apres[i].raison, avant[i].raison);
    }
}

void SameReading(const QString& dossier, int csvMin = 1000) {
    const Lecture avant = Lire(dossier, false);
    const Lecture apres = Lire(dossier, true);
    QCOMPARE(apres.declarations.size(), avant.declarations.size());
    for (size_t i = 0; i < avant.declarations.size(); ++i)
        QVERIFY2(apres.declarations[i] == avant.declarations[i],
                 qPrintable(QString::number(i) + u' ' + QJsonDocument(avant.declarations[i]).toJson() + u' ' +
                            QJsonDocument(apres.declarations[i]).toJson()));
    SameSkipped(apres.ignorees, avant.ignorees);

    // The same statements again as the reports count them, without a JSON object.
    LectureEssentielle essentielle;
    std::vector<Essentiel> essentiels;
    essentielle.recevoir = [&](const Essentiel& e) { essentiels.push_back(e); };
    LireDossierEssentiel(dossier, essentielle);
    QCOMPARE(essentiels.size(), avant.declarations.size());
    for (size_t i = 0; i < essentiels.size(); ++i) QVERIFY2(essentiels[i] == EssentielDe(avant.declarations[i]), qPrintable(QString::number(i)));
    SameSkipped(essentielle.ignorees, avant.ignorees);
    for (bool toutes : {false, true}) {
        const QByteArray csvAvant = CsvRapport(Calculer(avant.declarations, toutes), {});
        QCOMPARE(CsvRapport(Calculer(apres.declarations, toutes), {}), csvAvant);
        QVERIFY(csvAvant.size() > csvMin);
    }
    QCOMPARE(TexteBilans(Bilans(apres.declarations)), TexteBilans(Bilans(avant.declarations)));
    QCOMPARE(CsvBilans(Bilans(apres.declarations)), CsvBilans(Bilans(avant.declarations)));

    // As the commands count them: Essentiel straight into the report and --results.
    for (bool toutes : {false, true}) {
        CalculRapport calcul(toutes);
        for (const Essentiel& e : essentiels) calcul.Ajouter(e);
        QCOMPARE(CsvRapport(calcul.Resultat(), {}), CsvRapport(Calculer(avant.declarations, toutes), {}));
    }
    Comptage comptage;
    for (const Essentiel& e : essentiels) comptage.Ajouter(e);
    QCOMPARE(TexteBilans(comptage.Bilans()), TexteBilans(Bilans(avant.declarations)));
    QCOMPARE(CsvBilans(comptage.Bilans()), CsvBilans(Bilans(avant.declarations)));
}

}  // namespace

class ClassReadingTest : public QObject {
    Q_OBJECT

private slots:
    void generatedClassReadsTheSame() {
        QTemporaryDir dir;
        const bench::GeneratedClass made = bench::WriteClass(dir.path(), 300, 7);
        QVERIFY(made.statements > 300 * 22);
        SameReading(dir.path());
    }

    // Each statement once across journals, whatever form its id takes and whichever reading takes
    // the journal: one too large to hold is read by the journal reader, in its turn.
    void statementsKeptOnceAcrossJournals() {
        QTemporaryDir dir;
        bench::WriteClass(dir.path(), 20, 5);
        const QStringList journaux = QDir(dir.path()).entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name);
        QFile premier(dir.filePath(journaux[0]));
        QVERIFY(premier.open(QIODevice::ReadOnly));
        const QByteArray deja = premier.readLine();
        const auto ligne = [](const char* id, const char* verbe) {
            return QByteArray("{\"id\":\"") + id + "\",\"verb\":{\"id\":\"" + verbe + "\"}}\n";
        };
        const char* uuid = "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d";
        const char* majuscules = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";  // another id
        const char* zero = "00000000-0000-0000-0000-000000000000";
        // Past the size a journal is held whole, between journals read the fast way.
        Append(dir.filePath(journaux[5] + QStringLiteral(".gros.jsonl")),
               deja + ligne(uuid, "g1") + ligne(zero, "g2") + QByteArray(17 << 20, ' ') + "\n" + ligne(uuid, "g3") +
                   ligne("pas-un-uuid", "g4"));
        Append(dir.filePath(journaux[9]), ligne(uuid, "p1") + ligne(majuscules, "p2") + ligne(zero, "p3") + ligne(zero, "p4") +
                                              ligne("pas-un-uuid", "p5") + ligne("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4", "p6") +
                                              ligne("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4dx", "p7"));
        Append(dir.filePath(journaux[12]), ligne("pas-un-uuid", "q1") + ligne("\\ud800", "q2") + ligne("\\ud800", "q3") +
                                               ligne("\\ufffd", "q4") + ligne(majuscules, "q5"));
        SameReading(dir.path());

        LectureEssentielle lecture;
        QStringList verbes;
        lecture.recevoir = [&](const Essentiel& e) {
            if (e.verbe.size() == 2) verbes << e.verbe;
        };
        LireDossierEssentiel(dir.path(), lecture);
        QCOMPARE(verbes, QStringList({"g1", "g2", "g4", "p2", "p6", "p7", "q2", "q4"}));
    }

    // Sessions whose statements alternate in a journal, or repeat a session's text from another
    // journal, are counted apart, as the journal reader counts them.
    void interleavedSessionsCountedApart() {
        QTemporaryDir dir;
        bench::WriteClass(dir.path(), 6, 11);
        const QStringList journaux = QDir(dir.path()).entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name);
        QByteArray melange;
        std::vector<QList<QByteArray>> lignes;
        for (const QString& j : journaux.mid(0, 3)) {
            QFile f(dir.filePath(j));
            QVERIFY(f.open(QIODevice::ReadOnly));
            lignes.push_back(f.readAll().split('\n'));
        }
        for (qsizetype i = 0; i < 40; ++i)
            for (const QList<QByteArray>& l : lignes)
                if (i < l.size() && !l[i].isEmpty()) melange += l[i] + '\n';
        for (const QString& j : journaux.mid(0, 3)) QVERIFY(QFile::remove(dir.filePath(j)));
        Append(dir.filePath(QStringLiteral("melange.jsonl")), melange);
        SameReading(dir.path(), 100);
    }

    // The lesson's timestamps are read without Qt, any other form by it: the same milliseconds,
    // or none, as QDateTime reads them.
    void timestampsReadAsQtReadsThem() {
        QStringList textes{"2026-09-01T08:00:20.000Z", "2026-09-01T08:00:20Z", "1970-01-01T00:00:00.000Z",
                           "1969-12-31T23:59:59.999Z", "2000-02-29T12:00:00.000Z", "1900-02-28T23:59:59.999Z",
                           "1900-02-29T00:00:00.000Z", "2100-02-29T00:00:00.000Z", "2024-02-29T00:00:00.000Z",
                           "2023-02-29T00:00:00.000Z", "2026-04-31T00:00:00.000Z", "2026-12-31T23:59:59.999Z",
                           "2026-13-01T00:00:00.000Z", "2026-00-10T00:00:00.000Z", "2026-01-00T00:00:00.000Z",
                           "0001-01-01T00:00:00.000Z", "0000-06-15T00:00:00.000Z", "9999-12-31T23:59:59.999Z",
                           "2026-09-01T24:00:00.000Z", "2026-09-01T23:60:00.000Z", "2026-09-01T23:59:60.000Z",
                           "2026-09-01T08:00:20.5Z", "2026-09-01T08:00:20.1234Z", "2026-09-01T08:00:20.000+02:00",
                           "2026-09-01T08:00:20.000", "2026-09-01 08:00:20.000Z", "2026-09-01T08:00:20.000z",
                           "2026-09-01T08:00:20,000Z", "+2026-09-01T08:00:20.000Z", "2026-9-01T08:00:20.000Z",
                           "2026-09-01T08:00:2a.000Z", "", "Z", "2026-09-01"};
        // Every day of a few years, at times that change with it.
        for (QDate d(1999, 12, 25); d < QDate(2001, 3, 5); d = d.addDays(1))
            textes << QDateTime(d, QTime(d.day() % 24, d.month() * 4, d.dayOfYear() % 60, d.year() % 1000), Qt::UTC)
                          .toString(Qt::ISODateWithMs);
        for (const QString& t : std::as_const(textes)) {
            const QDateTime qt = QDateTime::fromString(t, Qt::ISODateWithMs);
            const QByteArray octets = t.toUtf8();
            QCOMPARE(Horodatage(std::string_view(octets.constData(), static_cast<size_t>(octets.size()))),
                     qt.isValid() ? qt.toMSecsSinceEpoch() : Essentiel::kSansDate);
        }
    }

    // Lines the journal reader skips or reads in its own way, each in a journal of a class.
    void oddLinesReadTheSame() {
        QTemporaryDir dir;
        bench::WriteClass(dir.path(), 12, 3);
        const QStringList journaux = QDir(dir.path()).entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name);
        const QString premier = dir.filePath(journaux[0]);
        QFile f(premier);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray une = f.readLine();  // a statement already read: written again, read once
        Append(premier, une);
        Append(premier, "\n   \r\n{\"id\": \"x\", \"verb\": 3}\n[1, 2]\nnot json\n{\"id\": \"1.\"\n");
        // Keys the projection reads by their dotted path, or the last of twice.
        Append(dir.filePath(journaux[1]),
               "{\"id\":\"a1\",\"verb\":{\"id\":\"v\"},\"actor.name\":\"Pointée\",\"actor\":{\"name\":\"Vraie\"}}\r\n"
               "{\"id\":\"a2\",\"id\":\"a3\",\"verb\":{\"id\":\"v\"},\"result\":{\"score\":{\"raw\":1e400}}}\n"
               "{\"id\":\"a4\",\"verb\":{\"id\":\"v\"},\"timestamp\":null,\"result\":{\"success\":1,\"response\":[\"x\"]}}\n"
               "{\"id\":\"a5\",\"verb\":{\"id\":\"\\ud800\"},\"object\":{\"id\":\"\\u00e9\\n\"}}\n");
        // Keys given twice that lead nowhere wanted, a key spelt with escapes, the bank's IRI made of
        // several keys or begun alone.
        Append(dir.filePath(journaux[1]),
               "{\"id\":\"d1\",\"verb\":{\"id\":\"v\",\"display\":1,\"display\":2},\"stored\":1,\"stored\":2}\n"
               "{\"i\\u0064\":\"d2\",\"verb\":{\"\\u0069d\":\"v\"},\"actor\":{\"n\\u0061me\":\"\\u00c9l\\u00e8ve\"}}\n"
               "{\"id\":\"d3\",\"verb\":{\"id\":\"v\"},\"context\":{\"extensions\":{\"https://www\":{\"korvane\":{\"fr/xapi/seance1/banque\":\"B\"}}}}}\n"
               "{\"id\":\"d4\",\"verb\":{\"id\":\"v\"},\"context\":{\"extensions\":{\"https://www\":1,\"https://www.korvane.fr/xapi/seance1/banque\":\"C\"}}}\n"
               "{\"id\":\"d5\",\"verb\":{\"id\":\"v\"},\"context\":{\"extensions\":{\"https://www.korvane.fr/xapi/seance1/banque\":\"E\",\"https://a.b/c\":{\"d.e\":1}}}}\n"
               "{\"id\":\"d6\",\"verb\":{\"id\":\"v\"},\"verb\":3}\n");
        // Invalid UTF-8, and a last line cut short.
        Append(dir.filePath(journaux[2]), "{\"id\":\"b\xff\",\"verb\":{}}\n{\"id\":\"b2\",\"verb\":{\"id\":");
        SameReading(dir.path());
        Lecture lecture;
        lecture.essentiel = true;
        LireDossier(dir.path(), lecture);
        QCOMPARE(lecture.ignorees.size(), size_t(5));  // the lines above that are no statement, or cut
    }

    // A class that answered another bank: its answers' texts come from the statements themselves,
    // and a folder must give them as the statements whole (an LRS's) do.
    void anotherBanksAnswersReadFromAFolder() {
        content::BanqueQuestions autre;
        for (int n = 1; n <= kQuestions; ++n)
            autre.entrees[static_cast<size_t>(n - 1)] = {QStringLiteral("Question %1 ?").arg(n),
                                                         {QStringLiteral("Juste %1").arg(n), QStringLiteral("Faux ; « %1 »").arg(n),
                                                          QStringLiteral("Autre\n%1").arg(n), QStringLiteral("Dernière %1").arg(n)}};
        QTemporaryDir dir;
        std::vector<QJsonObject> entieres;
        {
            QFile f(dir.filePath(QStringLiteral("poste.jsonl")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int a = 0; a < 3; ++a) {
                const Seance s{NouvelId(), {QStringLiteral("e%1").arg(a), QStringLiteral("Élève %1").arg(a), QStringLiteral("poste"),
                                            QStringLiteral("https://ecole.example.fr/")},
                               autre, autre.Identite()};
                const QDateTime t(QDate(2026, 9, 1), QTime(8, a), Qt::UTC);
                for (int q = 1; q <= kQuestions; ++q) entieres.push_back(Repondu(s, q, (q + a) % 4, (q + a) % 4 == 0, t.addSecs(q)));
                entieres.push_back(Complete(s, 5, 60000, t.addSecs(30)));
            }
            for (const QJsonObject& d : entieres) f.write(QJsonDocument(d).toJson(QJsonDocument::Compact) + '\n');
        }
        const RapportClasse attendu = Calculer(entieres);
        QCOMPARE(int(attendu.autres.size()), 1);
        QCOMPARE(attendu.autres[0].questions[6].textesReponses, autre.Entree(7).reponses);

        CalculRapport rapide;
        LectureEssentielle essentielle;
        essentielle.recevoir = [&](const Essentiel& e) { rapide.Ajouter(e); };
        QVERIFY(LireDossierEssentiel(dir.path(), essentielle));
        const Lecture journal = Lire(dir.path(), false);
        for (const RapportClasse& lu : {rapide.Resultat(), Calculer(journal.declarations)}) {
            QCOMPARE(int(lu.autres.size()), 1);
            for (int i = 0; i < kQuestions; ++i) QCOMPARE(lu.autres[0].questions[static_cast<size_t>(i)].textesReponses, autre.Entree(i + 1).reponses);
            QCOMPARE(CsvRapport(lu, {}), CsvRapport(attendu, {}));
        }

        // Answers written otherwise: read the same by both readings, whatever each keeps.
        Append(dir.filePath(QStringLiteral("poste.jsonl")),
               "{\"id\":\"c1\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices\":[{\"id\":\"reponse2\",\"description.fr-FR\":\"P\"}]}}}\n"
               "{\"id\":\"c2\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices\":[{\"id\":\"reponse1\"}],\"choices\":[3,{\"id\":\"reponse4\",\"description\":{\"fr-FR\":\"D\"}}]}}}\n"
               "{\"id\":\"c3\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices\":[{\"id\":1,\"description\":{\"fr-FR\":2}},{\"id\":\"reponse3\",\"id\":\"reponse2\"},{\"id\":\"reponse9\",\"description\":{\"en\":\"x\"}}]}}}\n"
               "{\"id\":\"c4\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices[]\":{\"id\":\"reponse1\"},\"choices\":{\"id\":\"reponse2\"}}}}\n"
               "{\"id\":\"c5\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition.choices\":[{\"id\":\"reponse1\",\"description\":{\"fr-FR\":\"E\"}}]}}\n");
        SameReading(dir.path(), 100);
    }

    // --results lists each session at its local time, worked out once an hour of sessions: the
    // same as asking the system each time, across its changes of time too, whatever the zone.
    void sessionsListedAtTheirLocalTime() {
        const QByteArray avant = qgetenv("TZ");
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
        for (const char* zone : {"Europe/Paris", "Australia/Lord_Howe", "America/St_Johns", "UTC"}) {
            qputenv("TZ", zone);
            std::vector<BilanSeance> bilans;
            QStringList attendues;
            // Around the changes of 2026 in each zone, a session every 7 minutes for two days.
            for (const QDate jour : {QDate(2026, 3, 28), QDate(2026, 4, 4), QDate(2026, 10, 3), QDate(2026, 10, 24), QDate(2026, 11, 1)}) {
                for (qint64 m = 0; m < 2 * 24 * 60; m += 7) {
                    BilanSeance b;
                    b.debut = QDateTime(jour, QTime(0, 0), Qt::UTC).addSecs(m * 60 + 13);
                    bilans.push_back(b);
                    attendues << b.debut.toLocalTime().toString(format);
                }
            }
            bilans.push_back({});  // no date at all
            attendues << QDateTime().toLocalTime().toString(format);
            const QStringList lignes = TexteBilans(bilans).split(u'\n', Qt::SkipEmptyParts);
            QCOMPARE(lignes.size(), attendues.size());
            for (qsizetype i = 0; i < lignes.size(); ++i)
                QVERIFY2(lignes[i].startsWith(attendues[i] + QStringLiteral("  ")), qPrintable(zone + (u' ' + lignes[i])));
            const QStringList csv = QString::fromUtf8(CsvBilans(bilans)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            for (qsizetype i = 0; i < attendues.size(); ++i) QVERIFY(csv[i + 1].startsWith(attendues[i] + u';'));
        }
        if (avant.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", avant);
    }
};

QTEST_MAIN(ClassReadingTest)
#include "test_class_reading.moc"
