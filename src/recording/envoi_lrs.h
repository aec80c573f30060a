#pragma once
// Sends the statements to a Learning Record Store as well, in the background, through the LRS client.
// The journals stay the source of truth: what the LRS has not accepted is sent again later, and at
// the latest at the next start; what it accepted is noted beside the account's own journal and never
// sent again.
// A statement the LRS refuses (4xx) is noted with its answer and not sent again.

#include "lrs/client.h"
#include "settings/reglages.h"

#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <deque>
#include <vector>

namespace resultats {

class EnvoiLrs : public QObject {
    Q_OBJECT
public:
    // cheminJournal: this account and machine's journal (its own, which can be written when the
    // class folder cannot); its notes of what was sent live beside it.
    EnvoiLrs(ConfigLrs config, const QString& cheminJournal, QObject* parent = nullptr);
    ~EnvoiLrs() override;

    // Another journal Reprendre reads as well: the class folder's, when it is not the same.
    void LireAussi(const QString& autreJournal) { autres_ << autreJournal; }
    // Queues every statement of the journals the LRS has neither accepted nor refused.
    void Reprendre();
    void Envoyer(const QJsonObject& declaration);

    size_t EnAttente() const { return file_.size() + enVol_.size(); }
    // Something is on its way or about to go: false once all is sent, or while the LRS is out of
    // reach (waiting for a retry) or refuses access.
    bool Occupe() const { return !enVol_.empty() || (!file_.empty() && !arrete_ && !relance_.isActive()); }
    int Acceptees() const { return acceptees_; }
    int Refusees() const { return refusees_; }
    QString CheminEtat() const { return cheminEtat_; }

signals:
    // An answer of the LRS (or a failure) has been dealt with.
    void Traite();

private:
    void Suivant();
    void Reponse(const lrs::Answer& reponse);
    void Noter(const char* etat, const std::vector<QJsonObject>& lot, int code = 0);
    void Remettre();

    ConfigLrs config_;
    QString cheminJournal_;
    QStringList autres_;
    QString cheminEtat_;
    lrs::Client client_;
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
