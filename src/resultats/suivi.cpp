#include "resultats/suivi.h"

#include "content/question_bank.h"
#include "platform/platform.h"
#include "resultats/envoi_lrs.h"

namespace resultats {

Suivi::Suivi(const Reglages& reglages)
    : seance_{NouvelId(), reglages.identite},
      tickDebut_(platform::P().TickCount()),
      journal_(reglages.dossier, reglages.identite) {
    if (reglages.lrs.Active()) {
        envoi_ = std::make_unique<EnvoiLrs>(reglages.lrs, journal_.Chemin());
        envoi_->Reprendre();
    }
}

Suivi::~Suivi() = default;

qint64 Suivi::DureeMs() const {
    return static_cast<int32_t>(static_cast<uint32_t>(platform::P().TickCount()) - static_cast<uint32_t>(tickDebut_));
}

void Suivi::Enregistrer(const QJsonObject& declaration) {
    journal_.Ajouter(declaration);
    if (envoi_) envoi_->Envoyer(declaration);
}

void Suivi::ReponseValidee(int numero, int choix, bool juste, double note) {
    if (numero < 1 || numero > content::kNombreQuestions || choix < 0 || choix > 3) return;
    const QDateTime maintenant = platform::P().Now();
    Enregistrer(Repondu(seance_, numero, choix, juste, maintenant));
    if (numero == content::kNombreQuestions && !completeEcrit_) {
        completeEcrit_ = true;
        Enregistrer(Complete(seance_, note, DureeMs(), maintenant));
    }
}

void Suivi::LeconFermee() {
    Enregistrer(Termine(seance_, DureeMs(), platform::P().Now()));
    journal_.Attendre(2000);
}

}  // namespace resultats
