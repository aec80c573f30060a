#include "recording/suivi.h"

#include "platform/platform.h"
#include "recording/envoi_lrs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace resultats {

namespace {
constexpr int kAttenteFinMs = 2000;

// The journal with its hook set before its thread starts.
Journal JournalAvertissant(const Reglages& r, std::function<void()> perte) {
    Journal j(r.dossier, r.dossierPropre, r.identite);
    j.SurPerte(std::move(perte));
    return j;
}
}  // namespace

// Lives on the thread that made the Suivi; the journal's thread only posts to it.
struct Suivi::Avis {
    QPointer<QObject> contexte = QCoreApplication::instance();
    std::function<void(const QString&)> afficher;
    bool perte = false;
    bool montre = false;
    void Montrer() {
        if (!perte || montre || !afficher) return;
        montre = true;
        afficher(TexteResultatsPerdus());
    }
};

Suivi::Suivi(const Reglages& reglages, const content::BanqueQuestions& banque, int seance, const QString& titre)
    : seance_{NouvelId(), reglages.identite, banque, banque.Identite(), seance, titre},
      tickDebut_(platform::P().TickCount()),
      avis_(std::make_shared<Avis>()),
      journal_(JournalAvertissant(reglages, [avis = avis_] {
          if (avis->contexte)
              QMetaObject::invokeMethod(avis->contexte, [avis] {
                  avis->perte = true;
                  avis->Montrer();
              }, Qt::QueuedConnection);
      })) {
    if (reglages.lrs.Active()) {
        const bool deux = !journal_.CheminPropre().isEmpty();
        envoi_ = std::make_unique<EnvoiLrs>(reglages.lrs, deux ? journal_.CheminPropre() : journal_.Chemin());
        if (deux) envoi_->LireAussi(journal_.Chemin());
        envoi_->Reprendre();
    }
}

QString Suivi::TexteResultatsPerdus() {
    return QStringLiteral("Les résultats de cette séance ne peuvent pas être enregistrés sur cet ordinateur. "
                          "Vous pouvez continuer la leçon ; prévenez votre professeur.");
}

void Suivi::SurResultatsPerdus(std::function<void(const QString&)> afficher) {
    avis_->afficher = std::move(afficher);
    avis_->Montrer();
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
    if (numero < 1 || numero > seance_.banque.Nombre() || choix < 0 || choix > 3) return;
    const QDateTime maintenant = platform::P().Now();
    Enregistrer(Repondu(seance_, numero, choix, juste, maintenant));
    if (numero == seance_.banque.Nombre() && !completeEcrit_) {
        completeEcrit_ = true;
        const qint64 duree = DureeMs();
        Enregistrer(Complete(seance_, note, duree, maintenant));
        if (regle_) Enregistrer(Reussite(seance_, note, seuil_, regle_(note, seuil_), duree, maintenant));
    }
}

void Suivi::LeconFermee() {
    Enregistrer(Termine(seance_, DureeMs(), platform::P().Now()));
    QElapsedTimer depuis;
    depuis.start();
    if (envoi_ && envoi_->Occupe()) {
        // The LRS's answers come through the event loop; the learner's clicks wait meanwhile.
        QEventLoop boucle;
        QTimer limite;
        limite.setSingleShot(true);
        QObject::connect(&limite, &QTimer::timeout, &boucle, &QEventLoop::quit);
        QObject::connect(envoi_.get(), &EnvoiLrs::Traite, &boucle, [&] {
            if (!envoi_->Occupe()) boucle.quit();
        });
        limite.start(kAttenteFinMs);
        boucle.exec(QEventLoop::ExcludeUserInputEvents);
    }
    journal_.Attendre(static_cast<int>(std::max<qint64>(0, kAttenteFinMs - depuis.elapsed())));
}

}  // namespace resultats
