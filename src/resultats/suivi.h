#pragma once
// Follows one run of the lesson and writes its results: each validated answer, the score at the
// last question, the end of the session. The course calls the hooks below; they do nothing while no
// Suivi is installed (tests, tools), and nothing they do reaches the learner's screen.

#include "resultats/declarations.h"
#include "resultats/journal.h"
#include "resultats/reglages.h"

#include <QDateTime>
#include <QJsonObject>
#include <cstdint>
#include <memory>

namespace resultats {

class EnvoiLrs;

class Suivi {
public:
    // Starts the session now (platform time). With an LRS set, sends at once what an earlier
    // session left unsent.
    explicit Suivi(const Reglages& reglages);
    ~Suivi();

    void Reponse(int numero, int choix, bool juste, double note);
    // The session's last statement; waits (two seconds at most) for the journal to hold it, since
    // the program ends right after.
    void Fin();

    JournalEnFond& JournalDeLaSeance() { return journal_; }
    EnvoiLrs* Envoi() { return envoi_.get(); }
    const Seance& SeanceEnCours() const { return seance_; }

private:
    void Enregistrer(const QJsonObject& declaration);
    qint64 DureeMs() const;

    Seance seance_;
    int32_t tickDebut_;
    JournalEnFond journal_;
    std::unique_ptr<EnvoiLrs> envoi_;
    bool completeEcrit_ = false;
};

void Installer(Suivi* suivi);  // not owned; nullptr uninstalls

// The course's hooks. numero: the question (1 to 20); choix: the bank's answer validated (0 to 3);
// note: the score shown once this answer is counted.
void ReponseValidee(int numero, int choix, bool juste, double note);
void LeconFermee();

}  // namespace resultats
