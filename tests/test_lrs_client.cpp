// The one LRS client against a real HTTP server on the loopback whose answers each test writes:
// what every request carries, and the paging rules that keep a reading from running away (a "more"
// that loops, one that leads to another server, an answer that trickles in for ever).

#include "lrs/client.h"
#include "support/lrs_xapi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Answers each whole request with what the test's function returns for it (a full HTTP answer), or,
// when trickle is set, with a head and then one byte of body every 200 ms, never ending.
class ScriptedServer : public QObject {
public:
    std::function<QByteArray(const test::RequeteHttp&)> answer;
    bool trickle = false;
    std::vector<test::RequeteHttp> requests;

    ScriptedServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { Read(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QUrl Address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/xapi/").arg(server_.serverPort())); }

private:
    void Read(QTcpSocket* s) {
        buffers_[s] += s->readAll();
        test::RequeteHttp r;
        while (test::ExtraireRequete(buffers_[s], r)) {
            requests.push_back(r);
            if (!trickle) {
                s->write(answer(r));
                continue;
            }
            s->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100000\r\n\r\n");
            auto* drip = new QTimer(s);
            connect(drip, &QTimer::timeout, s, [s] { s->write(" "); });
            drip->start(200);
        }
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

QByteArray Json(const QJsonObject& o) {
    const QByteArray body = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QJsonObject Page(const QStringList& ids, const QString& more) {
    QJsonArray statements;
    for (const QString& id : ids) statements.append(QJsonObject{{"id", id}});
    return QJsonObject{{"statements", statements}, {"more", more}};
}

resultats::ConfigLrs Config(const QUrl& address) {
    resultats::ConfigLrs c;
    c.adresse = address;
    c.cle = "classe-4b";
    c.secret = "s3cr3t";
    c.delaiMaxMs = 1000;
    return c;
}

}  // namespace

class LrsClientTest : public QObject {
    Q_OBJECT
private slots:
    void everyRequestCarriesTheVersionAndTheCredentialsOnlyWhenAsked() {
        ScriptedServer server;
        server.answer = [](const test::RequeteHttp&) { return Json(QJsonObject{{"version", QJsonArray{"1.0.3"}}}); };
        // Credentials written in the address are used when the settings give no key, and not sent in the URL.
        QUrl address = server.Address();
        address.setUserInfo("cle-de-l-adresse:secret-de-l-adresse");
        resultats::ConfigLrs config = Config(address);
        config.cle.clear();
        lrs::Client client(config);
        QCOMPARE(client.Statements().userInfo(), QString());
        QCOMPARE(client.Get(client.Statements().resolved(QUrl("about")), lrs::Client::Credentials::Without).status, 200);
        QCOMPARE(client.Get(client.Statements()).status, 200);
        bool posted = false;
        client.Post("[]", this, [&](const lrs::Answer& a) { posted = a.status == 200; });
        QTRY_VERIFY(posted);

        QCOMPARE(server.requests.size(), size_t(3));
        for (const test::RequeteHttp& r : server.requests) QCOMPARE(r.entetes.value("x-experience-api-version"), QByteArray("1.0.3"));
        QVERIFY(!server.requests[0].entetes.contains("authorization"));
        const QByteArray basic = "Basic " + QByteArray("cle-de-l-adresse:secret-de-l-adresse").toBase64();
        QCOMPARE(server.requests[1].entetes.value("authorization"), basic);
        QCOMPARE(server.requests[2].methode, QByteArray("POST"));
        QCOMPARE(server.requests[2].chemin, QByteArray("/xapi/statements"));
        QCOMPARE(server.requests[2].entetes.value("authorization"), basic);
        QCOMPARE(server.requests[2].entetes.value("content-type"), QByteArray("application/json"));
    }

    void pagingFollowsMoreOnThisServerOnlyAndNeverInCircles() {
        ScriptedServer server;
        lrs::Client client(Config(server.Address()));
        QStringList received;
        const auto receive = [&](const QJsonObject& d) { received << d.value("id").toString(); };

        // Two pages, the second named by a path relative to the server.
        server.answer = [](const test::RequeteHttp& r) {
            return r.chemin.contains("page=2") ? Json(Page({"c"}, "")) : Json(Page({"a", "b"}, "/xapi/statements?page=2"));
        };
        lrs::Reading reading = client.ReadStatements(QUrlQuery("limit=2"), receive);
        QCOMPARE(reading.error, QString());
        QCOMPARE(reading.pages, 2);
        QCOMPARE(received, QStringList({"a", "b", "c"}));
        QCOMPARE(server.requests.front().chemin, QByteArray("/xapi/statements?limit=2"));

        // A page that names itself again.
        received.clear();
        server.answer = [](const test::RequeteHttp&) { return Json(Page({"a"}, "/xapi/statements?page=2")); };
        reading = client.ReadStatements(QUrlQuery(), receive);
        QVERIFY2(reading.error.contains("renvoie sans fin à la même page"), qPrintable(reading.error));
        QCOMPARE(reading.pages, 2);

        // A "more" on another server: the credentials are not sent there.
        const size_t before = server.requests.size();
        server.answer = [](const test::RequeteHttp&) { return Json(Page({"a"}, "http://ailleurs.example/xapi/statements?page=2")); };
        reading = client.ReadStatements(QUrlQuery(), receive);
        QVERIFY2(reading.error.contains("renvoie la suite vers un autre serveur (http://ailleurs.example/xapi/statements)"), qPrintable(reading.error));
        QCOMPARE(server.requests.size(), before + 1);
    }

    void aReadingEndsAtItsTimeLimitEvenWhenTheAnswerTrickles() {
        ScriptedServer server;
        server.trickle = true;
        lrs::Client client(Config(server.Address()));
        const lrs::Reading reading = client.ReadStatements(QUrlQuery(), [](const QJsonObject&) {});
        QVERIFY2(reading.error.endsWith("n'a pas répondu en 1 s"), qPrintable(reading.error));
    }
};

QTEST_GUILESS_MAIN(LrsClientTest)
#include "test_lrs_client.moc"
