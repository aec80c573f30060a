// The class's journals read fast (simdjson, both cores) must give the reports exactly what the
// journal reader gives: the same statements in the same order, the same lines skipped, and so the
// same figures to the last digit in the class report's CSV and in --results.

#include "generated_class.h"
#include "class_reports/bilan.h"
#include "statements/lecture_journal.h"
#include "class_reports/lecture_rapide.h"
#include "class_reports/rapport.h"
#include "class_reports/rapport_classe.h"

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

void SameReading(const QString& dossier) {
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
        QVERIFY(csvAvant.size() > 1000);
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
        // Invalid UTF-8, and a last line cut short.
        Append(dir.filePath(journaux[2]), "{\"id\":\"b\xff\",\"verb\":{}}\n{\"id\":\"b2\",\"verb\":{\"id\":");
        SameReading(dir.path());
        Lecture lecture;
        lecture.essentiel = true;
        LireDossier(dir.path(), lecture);
        QCOMPARE(lecture.ignorees.size(), size_t(5));  // the lines above that are no statement, or cut
    }
};

QTEST_MAIN(ClassReadingTest)
#include "test_class_reading.moc"
