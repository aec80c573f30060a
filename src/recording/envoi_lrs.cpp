#include "recording/envoi_lrs.h"

#include "recording/journal.h"
#include "settings/avertissements.h"
#include "statements/lecture_journal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace resultats {

namespace {

constexpr int kDelaiMaxRelanceMs = 10 * 60 * 1000;

// Answers about the endpoint or the credentials, not about the statements: they wait for the next start.
bool RefusDAcces(int code) { return code == 401 || code == 403 || code == 404 || code == 405 || code == 407; }

}  // namespace

EnvoiLrs::EnvoiLrs(ConfigLrs config, const QString& cheminJournal, QObject* parent)
    : QObject(parent), config_(std::move(config)), cheminJournal_(cheminJournal), client_(config_), delai_(config_.premiereRelanceMs) {
    if (cheminJournal.endsWith(QLatin1String(".jsonl")))
        cheminEtat_ = cheminJournal.chopped(6) + QStringLiteral(".lrs");

    relance_.setSingleShot(true);
    connect(&relance_, &QTimer::timeout, this, &EnvoiLrs::Suivant);
}

EnvoiLrs::~EnvoiLrs() = default;

void EnvoiLrs::Reprendre() {
    if (cheminEtat_.isEmpty()) return;
    // The notes may also lie beside the other journal, where an earlier version kept them.
    QStringList etats{cheminEtat_};
    for (const QString& autre : autres_)
        if (autre.endsWith(QLatin1String(".jsonl"))) etats << autre.chopped(6) + QStringLiteral(".lrs");
    for (const QString& chemin : etats) {
        QFile etat(chemin);
        if (!etat.open(QIODevice::ReadOnly)) continue;
        while (!etat.atEnd()) {
            const QList<QByteArray> mots = etat.readLine().trimmed().split(' ');
            if (mots.size() >= 2 && (mots[0] == "acceptee" || mots[0] == "refusee")) connus_.insert(QString::fromLatin1(mots[1]));
        }
    }
    Lecture lecture;  // an id in both journals is sent once
    for (const QString& chemin : QStringList{cheminJournal_} + autres_)
        if (QFile::exists(chemin)) LireJournal(chemin, lecture);
    for (const LigneIgnoree& l : lecture.ignorees)
        qCWarning(Avertissements()).noquote() << QStringLiteral("%1, ligne %2 ignorée : %3").arg(l.fichier).arg(l.ligne).arg(l.raison);
    for (const QJsonObject& d : lecture.declarations) Envoyer(d);
}

void EnvoiLrs::Envoyer(const QJsonObject& declaration) {
    const QString id = declaration.value(QLatin1String("id")).toString();
    if (id.isEmpty() || connus_.contains(id)) return;
    connus_.insert(id);
    file_.push_back(declaration);
    Suivant();
}

void EnvoiLrs::Suivant() {
    if (!enVol_.empty() || arrete_ || file_.empty() || relance_.isActive()) return;
    QJsonArray lot;
    while (!file_.empty() && static_cast<int>(enVol_.size()) < tailleLot_) {
        enVol_.push_back(file_.front());
        lot.append(file_.front());
        file_.pop_front();
    }
    client_.Post(QJsonDocument(lot).toJson(QJsonDocument::Compact), this, [this](const lrs::Answer& reponse) { Reponse(reponse); });
}

void EnvoiLrs::Noter(const char* etat, const std::vector<QJsonObject>& lot, int code) {
    if (cheminEtat_.isEmpty()) return;
    QByteArray lignes;
    for (const QJsonObject& d : lot) {
        if (!lignes.isEmpty()) lignes += '\n';
        lignes += QByteArray(etat) + ' ' + d.value(QLatin1String("id")).toString().toLatin1();
        if (code) lignes += ' ' + QByteArray::number(code);
    }
    // Only a resend at the next start is at stake: the LRS takes a statement it has again harmlessly.
    // The notes sit beside the account's own journal, whose folder is made like the journal's: the
    // class folder may be the one written to, and the own folder not made yet.
    const QString erreur = AjouterLigne(cheminEtat_, lignes, Creation{});
    if (!erreur.isEmpty()) qCWarning(Avertissements()).noquote() << QStringLiteral("envoi au LRS non noté dans %1 : %2").arg(cheminEtat_, erreur);
}

void EnvoiLrs::Remettre() {
    file_.insert(file_.begin(), enVol_.begin(), enVol_.end());
    enVol_.clear();
}

void EnvoiLrs::Reponse(const lrs::Answer& reponse) {
    const int code = reponse.status;
    const QString adresse = client_.Statements().toString();
    if (code >= 200 && code < 300) {
        Noter("acceptee", enVol_);
        acceptees_ += static_cast<int>(enVol_.size());
        enVol_.clear();
        delai_ = config_.premiereRelanceMs;
        panneSignalee_ = false;
    } else if (RefusDAcces(code)) {
        qCWarning(Avertissements()).noquote() << QStringLiteral("le LRS %1 refuse l'envoi (%2) : %3. Les résultats restent dans le journal ; "
                               "ils partiront au prochain démarrage.")
                    .arg(adresse)
                    .arg(code)
                    .arg(lrs::Client::Excerpt(reponse.body));
        Remettre();
        arrete_ = true;
    } else if (code >= 400 && code < 500 && code != 408 && code != 429) {
        if (enVol_.size() > 1) {
            // One bad statement must not hold back the others: they go one by one from now on.
            tailleLot_ = 1;
            Remettre();
        } else {
            qCWarning(Avertissements()).noquote() << QStringLiteral("le LRS %1 a refusé la déclaration %2 (%3) : %4. Elle ne lui sera pas renvoyée.")
                        .arg(adresse, enVol_.front().value(QLatin1String("id")).toString())
                        .arg(code)
                        .arg(lrs::Client::Excerpt(reponse.body));
            Noter("refusee", enVol_, code);
            refusees_ += static_cast<int>(enVol_.size());
            enVol_.clear();
        }
    } else {
        if (!panneSignalee_) {
            qCWarning(Avertissements()).noquote() << QStringLiteral("le LRS %1 ne répond pas (%2) ; nouvel essai dans %3 s.")
                        .arg(adresse, code ? QStringLiteral("erreur %1").arg(code) : reponse.error)
                        .arg(delai_ / 1000.0);
            panneSignalee_ = true;
        }
        Remettre();
        relance_.start(delai_);
        delai_ = std::min(delai_ * 2, kDelaiMaxRelanceMs);
    }
    emit Traite();
    Suivant();
}

}  // namespace resultats
