#pragma once
// Follows one run of the lesson and writes its results: each validated answer, the score at the
// last question, the end of the session. The program hands it to the course window as its
// observer; nothing it does reaches the learner's screen but one notice, through a hook of its
// own, when the results can be kept nowhere on this computer.

#include "course_window/observateur_lecon.h"
#include "recording/journal.h"
#include "settings/reglages.h"
#include "statements/declarations.h"

#include <QDateTime>
#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <memory>

namespace resultats {

class EnvoiLrs;

class Suivi final : public ObservateurLecon {
public:
    // Starts the session now (platform time), on the bank the lesson asks, of séance number seance
    // and of that title. With an LRS set, sends at once what an earlier session left unsent.
    explicit Suivi(const Reglages& reglages,
                   const content::BanqueQuestions& banque = content::BanqueQuestions::Integree(), int seance = 1,
                   const QString& titre = {});
    ~Suivi();

    void ReponseValidee(int numero, int choix, bool juste, double note) override;
    // The session's last statement; waits (two seconds at most) for the journal to hold it and the
    // LRS to take what is left, since the program ends right after (and a lab machine restored at
    // each start would never send it later).
    void LeconFermee() override;

    // Shows the learner, without stopping the lesson, that the results cannot be saved: called once,
    // on the thread that set it, the first time a statement can be written neither in the class
    // folder nor in the account's own folder.
    void SurResultatsPerdus(std::function<void(const QString&)> afficher);
    static QString TexteResultatsPerdus();

    // The course's rule (class_reports' Reussie, which this layer cannot reach), by which a completion
    // also says "passed" or "failed" against the course's threshold. Set by the program before the
    // lesson starts; without it, a completion says neither.
    void RegleDeReussite(std::function<bool(double note, double seuil)> regle, double seuil) {
        regle_ = std::move(regle);
        seuil_ = seuil;
    }

    JournalEnFond& JournalDeLaSeance() { return journal_; }
    EnvoiLrs* Envoi() { return envoi_.get(); }
    const Seance& SeanceEnCours() const { return seance_; }

private:
    struct Avis;
    void Enregistrer(const QJsonObject& declaration);
    qint64 DureeMs() const;

    Seance seance_;
    int32_t tickDebut_;
    double seuil_ = 15;  // the course's, given with its rule
    std::shared_ptr<Avis> avis_;  // shared with the journal's thread, which may outlive this object
    JournalEnFond journal_;
    std::unique_ptr<EnvoiLrs> envoi_;
    bool completeEcrit_ = false;
    std::function<bool(double, double)> regle_;
};

}  // namespace resultats
