#pragma once
// Sends the statements to a Learning Record Store as well, in the background, over Qt Network.
// The journal stays the source of truth: what the LRS has not accepted is sent again later, and at
// the latest at the next start; what it accepted is noted beside the journal and never sent again.
// A statement the LRS refuses (4xx) is noted with its answer and not sent again.

#include "resultats/reglages.h"

#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <deque>
#include <vector>

class QNetworkReply;

namespace resultats {

class EnvoiLrs : public QObject {
    Q_OBJECT
public:
    // cheminJournal: this account and machine's journal; its notes of what was sent live beside it.
    EnvoiLrs(ConfigLrs config, const QString& cheminJournal, QObject* parent = nullptr);
    ~EnvoiLrs() override;

    // Queues every statement of the journal the LRS has neither accepted nor refused.
    void Reprendre();
    void Envoyer(const QJsonObject& declaration);

    size_t EnAttente() const { return file_.size() + enVol_.size(); }
    int Acceptees() const { return acceptees_; }
    int Refusees() const { return refusees_; }
    QString CheminEtat() const { return cheminEtat_; }

signals:
    // An answer of the LRS (or a failure) has been dealt with.
    void Traite();

private:
    void Suivant();
    void Reponse(QNetworkReply* reponse);
    void Noter(const char* etat, const std::vector<QJsonObject>& lot, int code = 0);
    void Remettre();

    ConfigLrs config_;
    QUrl url_;  // …/statements, without user info
    QByteArray autorisation_;
    QString cheminJournal_;
    QString cheminEtat_;
    QNetworkAccessManager reseau_;
    std::deque<QJsonObject> file_;
    std::vector<QJsonObject> enVol_;
    QSet<QString> connus_;  // queued, in flight, accepted or refused
    QTimer relance_;
    int delai_;
    int tailleLot_ = 50;
    bool arrete_ = false;
    bool panneSignalee_ = false;
    int acceptees_ = 0;
    int refusees_ = 0;
};

}  // namespace resultats
