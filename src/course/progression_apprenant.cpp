#include "course/progression_apprenant.h"

#include "class_reports/bilan.h"
#include "class_reports/lecture_lrs.h"
#include "statements/lecture_declarations.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <memory>

namespace cours {

using namespace resultats;

ProgressionLue LireProgression(const Reglages& reglages, const std::vector<int>& seances, double seuil) {
    const QString compte = CompteBilan(reglages.identite);
    std::vector<std::unique_ptr<Comptage>> comptages;
    for (const int n : seances) comptages.push_back(std::make_unique<Comptage>(n));

    // The journal goes to the class folder, or to the account's own while the class's cannot take it:
    // the learner's sessions may lie in either, one session even in both (it is counted once).
    QStringList dossiers;
    for (const QString& d : {reglages.dossier, reglages.dossierPropre}) {
        const QString absolu = d.isEmpty() ? QString() : QFileInfo(d).absoluteFilePath();
        if (!absolu.isEmpty() && QFileInfo(absolu).isDir() && !dossiers.contains(absolu)) dossiers << absolu;
    }
    for (const QString& d : dossiers) {
        LectureEssentielle lecture;
        lecture.recevoir = [&](const Essentiel& e) {
            if (e.compte != reglages.identite.compte) return;  // another learner's: not even counted
            for (auto& c : comptages) c->Ajouter(e);
        };
        LireDossierEssentiel(d, lecture);
    }

    std::vector<std::vector<BilanSeance>> sessions;
    bool aucune = true;
    for (auto& c : comptages) {
        sessions.push_back(SessionsDe(compte, c->Bilans()));
        aucune = aucune && sessions.back().empty();
    }

    ProgressionLue lue;
    if (aucune && reglages.lrs.Active()) {
        std::vector<std::unique_ptr<Comptage>> duLrs;
        for (const int n : seances) duLrs.push_back(std::make_unique<Comptage>(n));
        const auto rang = [&](int seance) { return size_t(std::find(seances.begin(), seances.end(), seance) - seances.begin()); };
        const LectureSeances l = LireLrsSeances(reglages.lrs, QList<int>(seances.begin(), seances.end()),
                                                [&](int seance, const QJsonObject& d) { duLrs[rang(seance)]->Ajouter(d); });
        // A séance the LRS could not give to the end keeps what the folders said of it.
        for (size_t i = 0; i < size_t(l.lues); ++i) sessions[i] = SessionsDe(compte, duLrs[i]->Bilans());
        lue.erreur = l.erreur;
    }
    for (size_t i = 0; i < seances.size(); ++i)
        lue.etats.push_back(EtatSeance(seances[i], sessions[i], seuil));
    return lue;
}

}  // namespace cours
