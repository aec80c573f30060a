// Sending to a Learning Record Store, against a small xAPI endpoint run inside the test: a real HTTP
// server on the loopback that accepts, refuses, fails or answers slowly.

#include "class_reports/lecture_lrs.h"
#include "recording/envoi_lrs.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_journal.h"
#include "support/warnings.h"
#include "support/lrs_xapi.h"
#include "support/virtual_platform.h"

#include <memory>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace resultats;

namespace {

using Requete = test::RequeteHttp;

// Just enough of an xAPI endpoint: POST …/statements with one statement or an array of them.
class SmallLrs : public QObject {
public:
    int code = 200;           // the answer to give; 200 stores the statements
    int lenteurMs = 0;        // wait before answering
    QSet<QString> invalides;  // a request holding one of these ids gets 400
    std::vector<Requete> requetes;
    QMap<QString, int> stockees;  // id -> times stored

    SmallLrs() {
        QVERIFY(serveur_.listen(QHostAddress::LocalHost));
        connect(&serveur_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = serveur_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { Read(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QUrl Address(const QString& chemin = "/xapi") const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serveur_.serverPort()).arg(chemin));
    }

private:
    void Read(QTcpSocket* s) {
        QByteArray& tampon = tampons_[s];
        tampon += s->readAll();
        Requete r;
        while (test::ExtraireRequete(tampon, r)) {
            requetes.push_back(r);
            QTimer::singleShot(lenteurMs, s, [this, s, r] { Reply(s, r); });
        }
    }

    void Reply(QTcpSocket* s, const Requete& r) {
        const QJsonDocument doc = QJsonDocument::fromJson(r.corps);
        const QJsonArray lot = doc.isArray() ? doc.array() : QJsonArray{doc.object()};
        int reponse = code;
        QByteArray corps;
        for (const QJsonValue& d : lot)
            if (invalides.contains(d["id"].toString())) reponse = 400;
        if (reponse == 200) {
            QJsonArray ids;
            for (const QJsonValue& d : lot) {
                ++stockees[d["id"].toString()];
                ids.append(d["id"]);
            }
            corps = QJsonDocument(ids).toJson(QJsonDocument::Compact);
        } else {
            corps = "{\"message\":\"statement rejected by test LRS\"}";
        }
        s->write("HTTP/1.1 " + QByteArray::number(reponse) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
                 QByteArray::number(corps.size()) + "\r\n\r\n" + corps);
    }

    QTcpServer serveur_;
    QHash<QTcpSocket*, QByteArray> tampons_;
};

QJsonObject Statement(const QString& id = NouvelId()) {
    const Seance s{NouvelId(), {"eleve", QString(), "poste", "https://ecole.example.fr/"}};
    QJsonObject d = Termine(s, 1000, QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC));
    d["id"] = id;
    return d;
}

ConfigLrs Config(const QUrl& adresse) {
    ConfigLrs c;
    c.adresse = adresse;
    c.cle = "classe-4b";
    c.secret = "s3cr3t-du-lrs";
    c.delaiMaxMs = 2000;
    c.premiereRelanceMs = 100;
    return c;
}

}  // namespace

class ResultsLrsTest : public QObject {
    Q_OBJECT
    QStringList avertissements_;
    std::unique_ptr<testsupport::WarningsCollector> collecteur_;
    QTemporaryDir dossier_;
    QString journal_;

private slots:
    void init() {
        avertissements_.clear();
        collecteur_ = std::make_unique<testsupport::WarningsCollector>(avertissements_);
        journal_ = dossier_.filePath(NouvelId() + ".jsonl");
    }
    void cleanup() {
        // Whatever happened, the credentials were never printed.
        const QString tout = avertissements_.join('\n');
        QVERIFY2(!tout.contains("s3cr3t") && !tout.contains("motdepasse") && !tout.contains("Basic"), qPrintable(tout));
        collecteur_.reset();
    }

    void acceptedStatementsAreSentOnceWithXapiHeadersAndNeverAgain() {
        SmallLrs lrs;
        QStringList ids;
        {
            EnvoiLrs envoi(Config(lrs.Address()), journal_);
            for (int i = 0; i < 3; ++i) {
                const QJsonObject d = Statement();
                ids << d["id"].toString();
                QVERIFY(AjouterLigne(journal_, QJsonDocument(d).toJson(QJsonDocument::Compact)).isEmpty());
                envoi.Envoyer(d);
                envoi.Envoyer(d);  // the same statement again is not sent twice
            }
            QTRY_COMPARE(envoi.Acceptees(), 3);
            QCOMPARE(envoi.EnAttente(), size_t(0));
        }
        QCOMPARE(lrs.stockees.size(), 3);
        for (const QString& id : ids) QCOMPARE(lrs.stockees.value(id), 1);
        const Requete& r = lrs.requetes.front();
        QCOMPARE(r.methode, QByteArray("POST"));
        QCOMPARE(r.chemin, QByteArray("/xapi/statements"));
        QCOMPARE(r.entetes.value("x-experience-api-version"), QByteArray("1.0.3"));
        QCOMPARE(r.entetes.value("authorization"), "Basic " + QByteArray("classe-4b:s3cr3t-du-lrs").toBase64());
        QVERIFY(r.entetes.value("content-type").startsWith("application/json"));

        // The next start sends only what the LRS has not accepted yet; a damaged line is skipped, and said.
        const QJsonObject nouvelle = Statement();
        QVERIFY(AjouterLigne(journal_, "{\"id\": \"coup").isEmpty());
        QVERIFY(AjouterLigne(journal_, QJsonDocument(nouvelle).toJson(QJsonDocument::Compact)).isEmpty());
        EnvoiLrs suite(Config(lrs.Address()), journal_);
        suite.Reprendre();
        QTRY_COMPARE(suite.Acceptees(), 1);
        QCOMPARE(lrs.stockees.size(), 4);
        for (int n : lrs.stockees) QCOMPARE(n, 1);
        QCOMPARE(avertissements_.size(), 1);
        QVERIFY2(avertissements_[0].contains("ligne 4 ignorée : pas du JSON"), qPrintable(avertissements_[0]));
    }

    void aFailingOrSlowLrsGetsTheStatementsLaterOrAtTheNextStart() {
        SmallLrs lrs;
        lrs.code = 503;
        EnvoiLrs envoi(Config(lrs.Address()), journal_);
        const QJsonObject a = Statement(), b = Statement();
        envoi.Envoyer(a);
        envoi.Envoyer(b);
        QTRY_VERIFY(!avertissements_.isEmpty());
        QVERIFY2(avertissements_[0].contains("ne répond pas") && avertissements_[0].contains("503"), qPrintable(avertissements_[0]));
        QCOMPARE(envoi.EnAttente(), size_t(2));
        QCOMPARE(envoi.Acceptees(), 0);

        // Slower than the limit: a failure too; then an answer in time.
        lrs.code = 200;
        lrs.lenteurMs = 3000;
        QTRY_VERIFY_WITH_TIMEOUT(lrs.requetes.size() >= 2, 5000);
        QCOMPARE(envoi.Acceptees(), 0);
        lrs.lenteurMs = 50;
        QTRY_COMPARE_WITH_TIMEOUT(envoi.Acceptees(), 2, 15000);
        QCOMPARE(lrs.stockees.value(a["id"].toString()), 1);
        QCOMPARE(int(avertissements_.size()), 1);  // one warning for the whole outage

        // The program ends while the LRS cannot be reached: the next start sends the rest from the journal.
        const QJsonObject c = Statement();
        QVERIFY(AjouterLigne(journal_, QJsonDocument(c).toJson(QJsonDocument::Compact)).isEmpty());
        {
            EnvoiLrs hors(Config(QUrl("http://127.0.0.1:9/xapi/")), journal_);
            hors.Envoyer(c);
            QTRY_VERIFY(avertissements_.size() >= 2);
        }
        EnvoiLrs suite(Config(lrs.Address()), journal_);
        suite.Reprendre();
        QTRY_COMPARE(suite.Acceptees(), 1);
        QCOMPARE(lrs.stockees.value(c["id"].toString()), 1);
    }

    void aRefusedStatementIsLoggedWithTheAnswerAndNotRetriedForEver() {
        SmallLrs lrs;
        const QJsonObject premiere = Statement(), mauvaise = Statement(), bonne = Statement();
        lrs.invalides.insert(mauvaise["id"].toString());
        for (const QJsonObject& d : {premiere, mauvaise, bonne})
            QVERIFY(AjouterLigne(journal_, QJsonDocument(d).toJson(QJsonDocument::Compact)).isEmpty());
        {
            EnvoiLrs envoi(Config(lrs.Address()), journal_);
            envoi.Reprendre();
            // The two behind the first go together; the refusal of one does not hold back the other.
            QTRY_COMPARE(envoi.Acceptees() + envoi.Refusees(), 3);
            QCOMPARE(envoi.Refusees(), 1);
        }
        QCOMPARE(lrs.stockees.value(bonne["id"].toString()), 1);
        QCOMPARE(int(avertissements_.size()), 1);
        QVERIFY2(avertissements_[0].contains("400") && avertissements_[0].contains("statement rejected by test LRS") &&
                     avertissements_[0].contains(mauvaise["id"].toString()),
                 qPrintable(avertissements_[0]));

        // Nothing is left to send at the next start.
        const size_t avant = lrs.requetes.size();
        EnvoiLrs suite(Config(lrs.Address()), journal_);
        suite.Reprendre();
        QCOMPARE(suite.EnAttente(), size_t(0));
        QTest::qWait(200);
        QCOMPARE(lrs.requetes.size(), avant);
    }

    void wrongCredentialsStopTheSendingUntilTheNextStart() {
        SmallLrs lrs;
        lrs.code = 401;
        ConfigLrs config = Config(lrs.Address("/xapi/"));
        config.cle.clear();
        config.adresse.setUserInfo("u:motdepasse");  // credentials in the address are used, never shown
        const QJsonObject a = Statement();
        QVERIFY(AjouterLigne(journal_, QJsonDocument(a).toJson(QJsonDocument::Compact)).isEmpty());
        {
            EnvoiLrs envoi(config, journal_);
            envoi.Reprendre();
            QTRY_COMPARE(int(avertissements_.size()), 1);
            QVERIFY2(avertissements_[0].contains("401") && avertissements_[0].contains("prochain démarrage"),
                     qPrintable(avertissements_[0]));
            QCOMPARE(lrs.requetes.back().entetes.value("authorization"), "Basic " + QByteArray("u:motdepasse").toBase64());
            envoi.Envoyer(Statement());
            QTest::qWait(300);
            QCOMPARE(lrs.requetes.size(), size_t(1));
            QCOMPARE(envoi.EnAttente(), size_t(2));
        }
        lrs.code = 200;
        EnvoiLrs suite(config, journal_);
        suite.Reprendre();
        QTRY_COMPARE(suite.Acceptees(), 1);
        QCOMPARE(lrs.stockees.value(a["id"].toString()), 1);
    }

    void theLessonSendsEachStatementAsItIsJournaled() {
        testsupport::VirtualPlatform vp;
        platform::SetPlatform(&vp);
        SmallLrs lrs;
        QTemporaryDir classe, maison;
        Reglages r;
        r.dossier = classe.path();
        // The account's own folder is not there yet, as on a first start: the class folder takes the
        // statements, and the notes of what the LRS took must still be kept (in the own folder).
        r.dossierPropre = maison.filePath("seance1");
        r.identite = {"eleve", QString(), "poste", "https://ecole.example.fr/"};
        r.lrs = Config(lrs.Address());
        {
            // Fin waits for the LRS to take the end of the session: a lab machine restored at each
            // start would never send it later.
            Suivi suivi(r);
            suivi.ReponseValidee(1, 0, true, 1);
            lrs.lenteurMs = 300;
            suivi.LeconFermee();
            QCOMPARE(lrs.stockees.size(), 2);
            QCOMPARE(suivi.Envoi()->Acceptees(), 2);
            QVERIFY(QFile::exists(maison.filePath("seance1/eleve@poste.lrs")));
        }
        lrs.lenteurMs = 0;
        {
            Suivi suivi(r);
            suivi.ReponseValidee(1, 0, true, 1);
            suivi.ReponseValidee(2, 2, false, 0.5);
            QTRY_COMPARE(suivi.Envoi()->Acceptees(), 2);
            lrs.code = 503;  // and then fails: the program ends with the last statement unsent
            suivi.LeconFermee();
        }
        lrs.code = 200;
        QCOMPARE(lrs.stockees.size(), 4);
        // The next start sends the last one, from the journal.
        const size_t requetes = lrs.requetes.size();
        Suivi suivant(r);
        QTRY_COMPARE(suivant.Envoi()->Acceptees(), 1);
        QCOMPARE(lrs.stockees.size(), 5);
        QCOMPARE(lrs.requetes.size(), requetes + 1);  // what the LRS took before is not sent again
        Lecture journal;
        QVERIFY(LireDossier(classe.path(), journal));
        for (const QJsonObject& d : journal.declarations) QCOMPARE(lrs.stockees.value(d["id"].toString()), 1);
        QVERIFY(!QFile(suivant.Envoi()->CheminEtat()).readAll().contains("s3cr3t"));
        platform::SetPlatform(nullptr);
    }

    void readingBackFromAFailingOrSlowLrsEndsWithAPlainReason() {
        SmallLrs lrs;
        const auto lire = [&](const QUrl& adresse) {
            int recues = 0;
            const LectureLrs l = LireLrs(Config(adresse), [&](const QJsonObject&) { ++recues; });
            return l.erreur;
        };
        lrs.code = 503;
        QString e = lire(lrs.Address());
        QVERIFY2(e.contains("a répondu 503") && e.contains("statement rejected by test LRS"), qPrintable(e));
        lrs.code = 401;
        e = lire(lrs.Address());
        QVERIFY2(e.contains("refuse l'accès (401)") && e.contains("clé et le secret"), qPrintable(e));
        lrs.code = 200;  // a list of ids: not a statement result
        e = lire(lrs.Address());
        QVERIFY2(e.contains("autre chose qu'une liste de déclarations"), qPrintable(e));
        QCOMPARE(lrs.requetes.back().methode, QByteArray("GET"));
        QVERIFY2(lrs.requetes.back().chemin.startsWith("/xapi/statements?activity=" + QUrl::toPercentEncoding(IriLecon())),
                 lrs.requetes.back().chemin.constData());
        QCOMPARE(lrs.requetes.back().entetes.value("authorization"), "Basic " + QByteArray("classe-4b:s3cr3t-du-lrs").toBase64());
        lrs.lenteurMs = 3000;
        e = lire(lrs.Address());
        QVERIFY2(e.contains("n'a pas répondu en 2 s"), qPrintable(e));
        e = lire(QUrl("http://127.0.0.1:9/xapi/"));
        QVERIFY2(e.contains("ne répond pas"), qPrintable(e));
        QVERIFY(!e.contains("s3cr3t"));
    }
};

QTEST_GUILESS_MAIN(ResultsLrsTest)
#include "test_results_lrs.moc"
