// The teacher's reading of statements: a class folder gives the reports what the same statements
// given whole (as an LRS gives them) give, to the last digit; the commands print for a generated
// class what they printed before; and each odd line a journal may hold is read, or skipped, as
// the table below says.

#include "generated_class.h"
#include "class_reports/bilan.h"
#include "class_reports/rapport.h"
#include "class_reports/rapport_classe.h"
#include "statements/declarations.h"
#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"
#include "support/program.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace resultats;

namespace {

void Append(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::Append));
    f.write(octets);
}

std::vector<Essentiel> LireEssentiels(const QString& dossier, std::vector<LigneIgnoree>* ignorees = nullptr) {
    std::vector<Essentiel> lus;
    LectureEssentielle lecture;
    lecture.recevoir = [&](const Essentiel& e) { lus.push_back(e); };
    LireDossierEssentiel(dossier, lecture);
    if (ignorees) *ignorees = std::move(lecture.ignorees);
    return lus;
}

// The folder read for the reports, and read whole by Qt's parser then projected as an LRS's
// statements are: the same statements, the same report and --results.
void SameAsWhole(const QString& dossier, int csvMin = 1000) {
    Lecture entieres;
    LireDossier(dossier, entieres);
    std::vector<LigneIgnoree> ignorees;
    const std::vector<Essentiel> lus = LireEssentiels(dossier, &ignorees);
    QCOMPARE(lus.size(), entieres.declarations.size());
    QCOMPARE(ignorees.size(), entieres.ignorees.size());
    for (size_t i = 0; i < lus.size(); ++i) QVERIFY2(lus[i] == Projeter(entieres.declarations[i]), qPrintable(QString::number(i)));
    for (bool toutes : {false, true}) {
        CalculRapport calcul(toutes);
        for (const Essentiel& e : lus) calcul.Ajouter(e);
        const QByteArray attendu = CsvRapport(Calculer(entieres.declarations, toutes), {});
        QCOMPARE(CsvRapport(calcul.Resultat(), {}), attendu);
        QVERIFY(attendu.size() > csvMin);
    }
    Comptage comptage;
    for (const Essentiel& e : lus) comptage.Ajouter(e);
    QCOMPARE(TexteBilans(comptage.Bilans()), TexteBilans(Bilans(entieres.declarations)));
    QCOMPARE(CsvBilans(comptage.Bilans()), CsvBilans(Bilans(entieres.declarations)));
}

// What a statement's projection holds, its fields that are not empty.
QString Decrire(const Essentiel& e) {
    QStringList champs;
    const auto champ = [&](const QString& nom, const QString& valeur) {
        if (!valeur.isEmpty()) champs << nom + u'=' + valeur;
    };
    champ(QStringLiteral("verbe"), e.verbe);
    champ(QStringLiteral("objet"), e.objet);
    champ(QStringLiteral("acteur"), e.acteur);
    champ(QStringLiteral("mbox"), e.mbox);
    champ(QStringLiteral("compte"), e.compte);
    champ(QStringLiteral("page"), e.pageCompte);
    champ(QStringLiteral("registration"), e.registration);
    champ(QStringLiteral("banque"), e.banque);
    champ(QStringLiteral("reponse"), e.reponse);
    champ(QStringLiteral("duree"), e.duree);
    champ(QStringLiteral("description"), e.description);
    for (int k = 0; k < 4; ++k) champ(QStringLiteral("choix%1").arg(k + 1), e.choix[static_cast<size_t>(k)]);
    if (e.succes) champs << (*e.succes ? QStringLiteral("succès") : QStringLiteral("échec"));
    if (e.note != 0) champs << QStringLiteral("note=") + QString::number(e.note);
    if (e.compteDonne) champs << QStringLiteral("compteDonné");
    if (e.dureeDonnee) champs << QStringLiteral("duréeDonnée");
    if (e.quand != Essentiel::kSansDate) champs << QStringLiteral("quand=") + QString::number(e.quand);
    return champs.join(u' ');
}

// One line read as the only line of a journal: its projection, or why it was skipped.
QString LireLigne(const QByteArray& ligne) {
    QTemporaryDir dir;
    const QString chemin = dir.filePath(QStringLiteral("j.jsonl"));
    Append(chemin, ligne);
    QStringList lu;
    LectureEssentielle lecture;
    lecture.recevoir = [&](const Essentiel& e) { lu << Decrire(e); };
    LireJournalEssentiel(chemin, lecture);
    for (const LigneIgnoree& i : lecture.ignorees) lu << QStringLiteral("ignorée : ") + i.raison;
    return lu.join(u'\n');
}

}  // namespace

class ClassReadingTest : public QObject {
    Q_OBJECT

private slots:
    void generatedClassReadsAsWholeStatements() {
        QTemporaryDir dir;
        const bench::GeneratedClass made = bench::WriteClass(dir.path(), 300, 7);
        QVERIFY(made.statements > 300 * 22);
        SameAsWhole(dir.path());
    }

    // What the commands print for a small generated class, with a copy of a session whose keys are
    // spelt otherwise, as they printed it when a class's journals had two readers that agreed.
    void commandsPrintAsStored() {
        QTemporaryDir dir;
        bench::WriteClass(dir.path(), 5);
        const QStringList journaux = QDir(dir.path()).entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name);
        QByteArray copie;
        for (const QByteArray& ligne : testsupport::ReadAll(dir.filePath(journaux[1])).split('\n')) {
            if (ligne.isEmpty()) continue;
            QJsonObject d = QJsonDocument::fromJson(ligne).object();
            d["id"] = "copie-" + d["id"].toString();
            QJsonObject contexte = d["context"].toObject();
            contexte["registration"] = "copie-" + contexte["registration"].toString();
            d["context"] = contexte;
            copie += QJsonDocument(d).toJson(QJsonDocument::Compact)
                         .replace("\"registration\"", "\"registr\\u0061tion\"")
                         .replace("\"actor\":{", "\"actor\":{\"name\":\"Avant\",")
                         .replace("\"verb\":{", "\"verb\":{\"id\":\"autre\",") +
                     '\n';
        }
        Append(dir.filePath(QStringLiteral("copie.jsonl")), copie);
        const QTemporaryDir ailleurs;  // no course there
        const std::pair<const char*, QStringList> commandes[] = {{"results.txt", {"--results", dir.path()}},
                                                                 {"results.csv", {"--results", dir.path(), "--csv"}},
                                                                 {"report.csv", {"--class-report", dir.path(), "--csv"}}};
        for (const auto& [fichier, arguments] : commandes) {
            const testsupport::ProgramRun r = testsupport::RunProgram(arguments, {{"TZ", "UTC"}}, ailleurs.path());
            QVERIFY2(r.status == 0, qPrintable(r.err));
            QCOMPARE(r.out, testsupport::ReadAll(QStringLiteral(SEANCE_SOURCE_DIR "/tests/data/class_reading/") + QLatin1String(fichier)));
        }
    }

    // Each statement once across journals, whatever form its id takes and whichever way the
    // journal is read: one too large to hold with the others is read on its own, in its turn.
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
        // Past the size a journal is held whole, between journals read the usual way.
        Append(dir.filePath(journaux[5] + QStringLiteral(".gros.jsonl")),
               deja + ligne(uuid, "g1") + ligne(zero, "g2") + QByteArray(17 << 20, ' ') + "\n" + ligne(uuid, "g3") +
                   ligne("pas-un-uuid", "g4"));
        Append(dir.filePath(journaux[9]), ligne(uuid, "p1") + ligne(majuscules, "p2") + ligne(zero, "p3") + ligne(zero, "p4") +
                                              ligne("pas-un-uuid", "p5") + ligne("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4", "p6") +
                                              ligne("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4dx", "p7"));
        Append(dir.filePath(journaux[12]), ligne("pas-un-uuid", "q1") + ligne("\\ud800", "q2") + ligne("\\ud800", "q3") +
                                               ligne("\\ufffd", "q4") + ligne(majuscules, "q5"));
        QStringList verbes;
        for (const Essentiel& e : LireEssentiels(dir.path()))
            if (e.verbe.size() == 2) verbes << e.verbe;
        QCOMPARE(verbes, QStringList({"g1", "g2", "g4", "p2", "p6", "p7", "q2", "q4"}));

        // The ids kept, as their text, for the recording's catch-up.
        QSet<QString> ids;
        LectureEssentielle lecture;
        lecture.recevoir = [](const Essentiel&) {};
        lecture.ids = &ids;
        LireJournalEssentiel(dir.filePath(journaux[12]), lecture);
        LireJournalEssentiel(dir.filePath(journaux[9]), lecture);
        for (const QString& id : {QString(QChar(0xd800)), QString(QChar(0xfffd)), QStringLiteral("pas-un-uuid"), QString::fromLatin1(uuid),
                                  QString::fromLatin1(majuscules), QString::fromLatin1(zero)})
            QVERIFY2(ids.contains(id), qPrintable(id));
    }

    // Sessions whose statements alternate in a journal, or repeat a session's text from another
    // journal, are counted apart.
    void interleavedSessionsCountedApart() {
        QTemporaryDir dir;
        bench::WriteClass(dir.path(), 6, 11);
        const QStringList journaux = QDir(dir.path()).entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name);
        QByteArray melange;
        std::vector<QList<QByteArray>> lignes;
        for (const QString& j : journaux.mid(0, 3)) lignes.push_back(testsupport::ReadAll(dir.filePath(j)).split('\n'));
        for (qsizetype i = 0; i < 40; ++i)
            for (const QList<QByteArray>& l : lignes)
                if (i < l.size() && !l[i].isEmpty()) melange += l[i] + '\n';
        for (const QString& j : journaux.mid(0, 3)) QVERIFY(QFile::remove(dir.filePath(j)));
        Append(dir.filePath(QStringLiteral("melange.jsonl")), melange);
        SameAsWhole(dir.path(), 100);
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
        // Read by our own parser (simdjson refuses the invalid byte), the same.
        QCOMPARE(LireLigne("{\"id\":\"t\xff\",\"verb\":{},\"timestamp\":\"2026-09-01T08:00:20.000+02:00\"}\n"),
                 QStringLiteral("quand=") +
                     QString::number(QDateTime::fromString("2026-09-01T08:00:20.000+02:00", Qt::ISODateWithMs).toMSecsSinceEpoch()));
    }

    // Each line the way a journal may hold it, alone in a journal: what is read of it.
    void oddLinesRead() {
        const QString seul(QChar(0xd800));
        const std::vector<std::pair<QByteArray, QString>> lignes{
            // A field by its keys joined with dots; of one given twice, the last.
            {"{\"id\":\"a1\",\"verb\":{\"id\":\"v\"},\"actor.name\":\"Pointée\",\"actor\":{\"name\":\"Vraie\"}}\r\n", "verbe=v acteur=Vraie"},
            {"{\"id\":\"a2\",\"id\":\"a3\",\"verb\":{\"id\":\"v\"},\"result\":{\"score\":{\"raw\":1e400}}}", "verbe=v"},  // out of range: 0
            {"{\"id\":\"a4\",\"verb\":{\"id\":\"v\"},\"timestamp\":null,\"result\":{\"success\":1,\"response\":[\"x\"]}}", "verbe=v"},
            {"{\"id\":\"a5\",\"verb\":{\"id\":\"\\ud800\"},\"object\":{\"id\":\"\\u00e9\\n\"}}", "verbe=" + seul + " objet=é\n"},
            {"{\"id\":\"d1\",\"verb\":{\"id\":\"v\",\"display\":1,\"display\":2},\"stored\":1,\"stored\":2}", "verbe=v"},
            {"{\"id\":\"d6\",\"verb\":{\"id\":\"v\"},\"verb\":3}", "verbe=v"},
            {"{\"id\":\"d7\",\"verb\":{\"id\":\"v\"},\"verb\":{\"id\":3}}", ""},
            // Keys spelt with escapes; the bank's IRI made of several keys or begun alone.
            {"{\"i\\u0064\":\"d2\",\"verb\":{\"\\u0069d\":\"v\"},\"actor\":{\"n\\u0061me\":\"\\u00c9l\\u00e8ve\"}}", "verbe=v acteur=Élève"},
            {"{\"id\":\"d3\",\"verb\":{\"id\":\"v\"},\"context\":{\"extensions\":{\"https://www\":{\"korvane\":{\"fr/xapi/seance1/banque\":\"B\"}}}}}", "verbe=v banque=B"},
            {"{\"id\":\"d4\",\"verb\":{\"id\":\"v\"},\"context\":{\"extensions\":{\"https://www\":1,\"https://www.korvane.fr/xapi/seance1/banque\":\"C\"}}}", "verbe=v banque=C"},
            {"{\"id\":\"d5\",\"verb\":{\"id\":\"v\"},\"context\":{\"extensions\":{\"https://www.korvane.fr/xapi/seance1/banque\":\"E\",\"https://a.b/c\":{\"d.e\":1}}}}", "verbe=v banque=E"},
            {"{\"\":{\"id\":\"e1\",\"verb\":{\"id\":\"v\"}}}", "ignorée : pas une déclaration xAPI"},
            // The answers: strings only, the last array given, a key "choices[]" elsewhere no array.
            {"{\"id\":\"c1\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices\":[{\"id\":\"reponse2\",\"description.fr-FR\":\"P\"}]}}}", "verbe=v choix2=P"},
            {"{\"id\":\"c2\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices\":[{\"id\":\"reponse1\",\"description\":{\"fr-FR\":\"U\"}}],\"choices\":[3,{\"id\":\"reponse4\",\"description\":{\"fr-FR\":\"D\"}}]}}}", "verbe=v choix4=D"},
            {"{\"id\":\"c3\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices\":[{\"id\":1,\"description\":{\"fr-FR\":2}},{\"id\":\"reponse3\",\"id\":\"reponse2\",\"description\":{\"fr-FR\":\"F\"}},{\"id\":\"reponse9\",\"description\":{\"fr-FR\":\"x\"}}]}}}", "verbe=v choix2=F"},
            {"{\"id\":\"c4\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"choices[]\":{\"id\":\"reponse1\"},\"choices\":{\"id\":\"reponse2\"}}}}", "verbe=v"},
            {"{\"id\":\"c5\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition.choices\":[{\"id\":\"reponse1\",\"description\":{\"fr-FR\":\"E\"}}]}}", "verbe=v choix1=E"},
            // A text in French, else in the first language in key order; the learner's mailbox.
            {"{\"id\":\"l1\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"description\":{\"en-US\":\"Q\",\"de\":\"F\"},\"choices\":[{\"id\":\"reponse1\",\"description\":{\"fr-FR\":\"R\",\"de\":\"S\"}},{\"id\":\"reponse2\",\"description\":{\"en\":\"T\",\"fr-FR\":1}}]}}}", "verbe=v description=F choix1=R choix2=T"},
            {"{\"id\":\"l2\",\"verb\":{\"id\":\"v\"},\"object\":{\"definition\":{\"description\":{\"fr-FR\":3,\"en\":\"Q\"}}},\"actor\":{\"name\":\"A\",\"mbox\":\"mailto:a@b.fr\",\"account\":{\"homePage\":7}}}", "verbe=v acteur=A mbox=mailto:a@b.fr description=Q compteDonné"},
            // Lines that are no statement, or cut short by a write that stopped.
            {"{\"id\": \"x\", \"verb\": 3}\n", "ignorée : pas une déclaration xAPI"},
            {"[1, 2]\n", "ignorée : pas une déclaration xAPI"},
            {"not json\n", "ignorée : pas du JSON"},
            {"{\"id\":\"b2\",\"verb\":{\"id\":", "ignorée : ligne coupée (écriture interrompue)"},
            {"\n   \r\n", ""},
            // Lines simdjson refuses, read by our own parser: invalid UTF-8, deeper nesting.
            {"{\"id\":\"b\xff\",\"verb\":{}}", ""},
            {"{\"id\":\"g1\",\"verb\":{\"id\":\"v\xff\"},\"result\":{\"score\":{\"raw\":-2.5e+1},\"success\":false,\"duration\":null}}",
             "verbe=v\uFFFD échec note=-25"},
            {QByteArray(120, '[') + QByteArray(120, ']'), "ignorée : pas une déclaration xAPI"},
            {QByteArray(1000000, '[') + QByteArray(1000000, ']') + '\n', "ignorée : pas du JSON"},
            {"{\"a\":[1,-2.5e+3,0,true,false,null,{\"b\":\"\\u00e9\\ud83d\\ude00\\n\\/\xff\"}]}", "ignorée : pas une déclaration xAPI"},
            {" {\"\\\"k\":{\"\":[[]]},\"id\":\"h\",\"verb\":{\"id\":\"\xc3\xa9\"} } ", "verbe=é"},
        };
        for (const auto& [ligne, attendu] : lignes) QCOMPARE(LireLigne(ligne), attendu);
        // Whatever the JSON grammar refuses, though Qt's parser may let it through.
        for (const QByteArray l : {"{\"a\":1,}", "{\"a\" 1}", "[1 2]", "{\"a\":01}", "{\"a\":1.}", "{\"a\":-}", "{\"a\":tru}", "{\"a\":\"\\x\"}",
                                   "{\"a\":\"\\u12g4\"}", "{\"a\":\"tab\there\"}", "{} {}", "{\"a\":\"coup", "{\"a\":[", "{\"a\":+1}",
                                   "{'a':1}", "{\"a\":1e}", "{\"a\":\"\xff\",}"})
            QVERIFY2(LireLigne(l + '\n') == QStringLiteral("ignorée : pas du JSON"), l.constData());
    }

    // A class that answered another bank: its answers' texts come from the statements themselves,
    // and a folder gives them as the statements whole (an LRS's) do.
    void anotherBanksAnswersReadFromAFolder() {
        content::BanqueQuestions autre;
        constexpr int kQuestions = 20;
        for (int n = 1; n <= kQuestions; ++n)
            autre.entrees.push_back({QStringLiteral("Question %1 ?").arg(n),
                                     {QStringLiteral("Juste %1").arg(n), QStringLiteral("Faux ; « %1 »").arg(n),
                                      QStringLiteral("Autre\n%1").arg(n), QStringLiteral("Dernière %1").arg(n)}});
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

        CalculRapport calcul;
        for (const Essentiel& e : LireEssentiels(dir.path())) calcul.Ajouter(e);
        const RapportClasse lu = calcul.Resultat();
        QCOMPARE(int(lu.autres.size()), 1);
        for (int i = 0; i < kQuestions; ++i) QCOMPARE(lu.autres[0].questions[static_cast<size_t>(i)].textesReponses, autre.Entree(i + 1).reponses);
        QCOMPARE(CsvRapport(lu, {}), CsvRapport(attendu, {}));
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
