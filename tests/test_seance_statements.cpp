// Each séance's statements name it: séance 2's answers and completion are activities of their own,
// séance 1's keep the identifiers earlier journals hold, and a class's counts keep them apart.

#include "class_reports/bilan.h"
#include "statements/declarations.h"

#include <QJsonArray>
#include <QtTest>

using namespace resultats;

class SeanceStatementsTest : public QObject {
    Q_OBJECT

private slots:
    void eachSeanceIsAnActivityOfItsOwn() {
        const QDateTime t0(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC);
        Seance un{NouvelId(), {}};
        Seance deux{NouvelId(), {}};
        deux.numero = 2;
        deux.titre = "tension, intensité, résistance";
        QCOMPARE(Repondu(un, 3, 0, true, t0)["object"].toObject()["id"].toString(),
                 QString("https://www.korvane.fr/xapi/seance1/question/3"));
        const QJsonObject r2 = Repondu(deux, 3, 0, true, t0);
        QCOMPARE(r2["object"].toObject()["id"].toString(), QString("https://www.korvane.fr/xapi/seance2/question/3"));
        QCOMPARE(r2["context"].toObject()["contextActivities"].toObject()["parent"].toArray()[0].toObject()["id"].toString(),
                 QString("https://www.korvane.fr/xapi/seance2"));
        const QJsonObject c2 = Complete(deux, 18, 60000, t0);
        QCOMPARE(c2["object"].toObject()["id"].toString(), QString("https://www.korvane.fr/xapi/seance2"));
        QCOMPARE(c2["object"].toObject()["definition"].toObject()["name"].toObject()["fr-FR"].toString(),
                 QString("Séance 2 : tension, intensité, résistance"));

        // Séance 1's results count séance 1's sessions only.
        std::vector<QJsonObject> toutes;
        for (int q = 1; q <= 20; ++q) {
            toutes.push_back(Repondu(un, q, 0, true, t0.addSecs(q)));
            toutes.push_back(Repondu(deux, q, 1, false, t0.addSecs(q)));
        }
        toutes.push_back(Complete(deux, 0, 30000, t0.addSecs(30)));
        const std::vector<BilanSeance> bilans = Bilans(toutes);
        QCOMPARE(int(bilans.size()), 1);
        QCOMPARE(bilans[0].registration, un.registration);
        QCOMPARE(bilans[0].note, 20.0);
        // And --results --seance 2, séance 2's.
        const std::vector<BilanSeance> deuxieme = Bilans(toutes, 2);
        QCOMPARE(int(deuxieme.size()), 1);
        QCOMPARE(deuxieme[0].registration, deux.registration);
        QVERIFY(deuxieme[0].terminee);
    }
};

QTEST_MAIN(SeanceStatementsTest)
#include "test_seance_statements.moc"
