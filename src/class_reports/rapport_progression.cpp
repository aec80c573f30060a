#include "class_reports/rapport.h"

#include <QMap>
#include <algorithm>
#include <limits>

namespace resultats {

ProgressionClasse CalculerProgression(const std::vector<BilanSeance>& sessions, const QList<int>& seances, double seuil) {
    ProgressionClasse p;
    p.seances = seances;
    p.seuil = seuil;
    // Each learner's sessions by séance; the name shown is the latest one given.
    struct Apprenant {
        QString nom;
        QDateTime quand;
        QMap<int, std::vector<BilanSeance>> parSeance;
    };
    QMap<QString, Apprenant> apprenants;
    for (const BilanSeance& b : sessions) {
        Apprenant& a = apprenants[b.compte];
        if (a.nom.isEmpty() || b.debut >= a.quand) {
            a.nom = b.apprenant;
            a.quand = b.debut;
        }
        a.parSeance[b.seance].push_back(b);
    }
    for (auto it = apprenants.cbegin(); it != apprenants.cend(); ++it) {
        LigneProgression l;
        l.apprenant = it->nom;
        l.compte = it.key();
        for (const int seance : seances) {
            l.seances.push_back(EtatSeance(seance, it->parSeance.value(seance), seuil));
            if (l.arret == 0 && !l.seances.back().reussie) l.arret = seance;
        }
        p.lignes.push_back(std::move(l));
    }
    const auto rang = [&](const LigneProgression& l) {
        const qsizetype i = l.arret ? seances.indexOf(l.arret) : seances.size();
        const EtatProgression* e = l.arret ? &l.seances[static_cast<size_t>(i)] : nullptr;
        return std::make_tuple(i, e ? -e->tentatives : 0, e && e->meilleure ? *e->meilleure : -1.0);
    };
    std::stable_sort(p.lignes.begin(), p.lignes.end(), [&](const LigneProgression& a, const LigneProgression& b) {
        const auto ra = rang(a), rb = rang(b);
        if (ra != rb) return ra < rb;
        return a.apprenant.localeAwareCompare(b.apprenant) < 0;
    });
    return p;
}

}  // namespace resultats
