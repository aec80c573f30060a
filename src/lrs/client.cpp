#include "lrs/client.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QTimer>

namespace lrs {

namespace {

bool SameServer(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) == b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

bool Cancelled(const QNetworkReply* reply) {
    return reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError;
}

Answer Take(QNetworkReply* reply, bool timedOut) {
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.timedOut = timedOut || Cancelled(reply);
    if (reply->isOpen()) answer.body = reply->readAll();
    if (answer.status == 0) answer.error = reply->errorString();
    reply->deleteLater();
    return answer;
}

}  // namespace

Client::Client(const resultats::ConfigLrs& config, int timeoutMs)
    : statements_(resultats::AdresseDeclarations(config)),
      authorization_(resultats::Autorisation(config)),
      timeoutMs_(timeoutMs < 0 ? config.delaiMaxMs : timeoutMs) {}

QString Client::Excerpt(QByteArray body) {
    body = body.simplified();
    if (body.size() > 300) body = body.left(300) + "…";
    return body.isEmpty() ? QStringLiteral("(réponse vide)") : QString::fromUtf8(body);
}

Answer Client::Get(const QUrl& url, Credentials credentials, Limit limit) {
    QNetworkRequest request(url);
    request.setRawHeader("X-Experience-API-Version", "1.0.3");
    if (credentials == Credentials::With) request.setRawHeader("Authorization", authorization_);
    request.setTransferTimeout(timeoutMs_);
    QNetworkReply* reply = network_.get(request);
    QEventLoop loop;
    // A server that trickles its answer would hold a transfer limit off for ever.
    QTimer whole;
    whole.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&whole, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (limit == Limit::Whole) whole.start(timeoutMs_);
    if (!reply->isFinished()) loop.exec();
    return Take(reply, timedOut);
}

void Client::Post(const QByteArray& json, QObject* context, std::function<void(const Answer&)> done) {
    QNetworkRequest request(statements_);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader("X-Experience-API-Version", "1.0.3");
    request.setRawHeader("Authorization", authorization_);
    request.setTransferTimeout(timeoutMs_);
    QNetworkReply* reply = network_.post(request, json);
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, done = std::move(done)] { done(Take(reply, false)); });
}

Reading Client::ReadStatements(const QUrlQuery& query, const std::function<void(const QJsonObject&)>& receive) {
    Reading reading;
    const QString name = statements_.toString();
    QUrl page = statements_;
    page.setQuery(query);
    QSet<QString> seen;
    while (!page.isEmpty()) {
        if (seen.contains(page.toString())) {
            reading.error = QStringLiteral("le LRS %1 renvoie sans fin à la même page").arg(name);
            return reading;
        }
        seen.insert(page.toString());
        const Answer answer = Get(page, Credentials::With, Limit::Whole);
        if (answer.timedOut) {
            reading.error = QStringLiteral("le LRS %1 n'a pas répondu en %2 s").arg(name).arg(timeoutMs_ / 1000.0);
            return reading;
        }
        if (answer.status == 401 || answer.status == 403) {
            reading.error = QStringLiteral("le LRS %1 refuse l'accès (%2) : vérifiez la clé et le secret des réglages").arg(name).arg(answer.status);
            return reading;
        }
        if (answer.status == 0) {
            reading.error = QStringLiteral("le LRS %1 ne répond pas : %2").arg(name, answer.error);
            return reading;
        }
        if (answer.status < 200 || answer.status >= 300) {
            reading.error = QStringLiteral("le LRS %1 a répondu %2 : %3").arg(name).arg(answer.status).arg(Excerpt(answer.body));
            return reading;
        }
        const QJsonDocument doc = QJsonDocument::fromJson(answer.body);
        const QJsonValue statements = doc.object().value(QLatin1String("statements"));
        if (!doc.isObject() || !statements.isArray()) {
            reading.error = QStringLiteral("le LRS %1 a répondu autre chose qu'une liste de déclarations : %2").arg(name, Excerpt(answer.body));
            return reading;
        }
        ++reading.pages;
        for (const QJsonValue& v : statements.toArray()) receive(v.toObject());
        const QString more = doc.object().value(QLatin1String("more")).toString();
        if (more.isEmpty()) break;
        // "more" is relative to the server; the credentials go to no other.
        page = statements_.resolved(QUrl(more, QUrl::TolerantMode));
        if (!SameServer(page, statements_)) {
            reading.error = QStringLiteral("le LRS %1 renvoie la suite vers un autre serveur (%2) : elle n'est pas lue")
                                .arg(name, page.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery).toString());
            return reading;
        }
    }
    return reading;
}

}  // namespace lrs
