#pragma once
// The one client of the Learning Record Store (xAPI 1.0.3), for the sending, the class's reading and
// the check: the statements' address and the HTTP Basic credentials as the settings give them, the
// version header on every request, a time limit on every answer, and the paging through "more".

#include "settings/reglages.h"

#include <QByteArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <QUrlQuery>
#include <functional>

class QObject;

namespace lrs {

struct Answer {
    int status = 0;         // the HTTP status; 0: no answer
    bool timedOut = false;  // no answer within the time limit
    QString error;          // the network's own words, when there is no answer
    QByteArray body;
};

struct Reading {
    int pages = 0;  // pages of statements read
    QString error;  // empty when every page was read; in French, for the teacher
};

class Client {
public:
    // timeoutMs: the time limit of each request; the settings' own when negative.
    explicit Client(const resultats::ConfigLrs& config, int timeoutMs = -1);

    // …/statements, without user info.
    const QUrl& Statements() const { return statements_; }
    int TimeoutMs() const { return timeoutMs_; }

    enum class Credentials { With, Without };
    // Transfer: the limit runs from the last byte received; Whole: from the request.
    enum class Limit { Transfer, Whole };
    // Waits for the answer in a local event loop.
    Answer Get(const QUrl& url, Credentials credentials = Credentials::With, Limit limit = Limit::Transfer);
    // Posts a JSON array of statements; done is called once with the answer, unless context is gone.
    void Post(const QByteArray& json, QObject* context, std::function<void(const Answer&)> done);

    // Reads the statements a query selects, page after page through "more", on this server only;
    // each statement is handed to receive as it comes.
    Reading ReadStatements(const QUrlQuery& query, const std::function<void(const QJsonObject&)>& receive);

    // An answer's body as a short line for a message.
    static QString Excerpt(QByteArray body);

private:
    QUrl statements_;
    QByteArray authorization_;
    int timeoutMs_;
    QNetworkAccessManager network_;
};

}  // namespace lrs
