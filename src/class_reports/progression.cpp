#include "class_reports/progression.h"

#include <QUrl>
#include <algorithm>

namespace resultats {

bool Reussie(double note, double seuil) { return note > seuil; }

EtatProgression EtatSeance(int seance, const std::vector<BilanSeance>& sessions, double seuil) {
    EtatProgression e;
    e.seance = seance;
    for (const BilanSeance& b : sessions) {
        // An unfinished session's score only counts the answers so far: it neither passes nor is best.
        if (!b.terminee) continue;
        ++e.tentatives;
        if (!e.meilleure || b.note > *e.meilleure) e.meilleure = b.note;
    }
    e.reussie = e.meilleure && Reussie(*e.meilleure, seuil);
    return e;
}

QMap<QString, EtatProgression> EtatsParApprenant(int seance, const std::vector<BilanSeance>& sessions, double seuil) {
    QMap<QString, std::vector<BilanSeance>> parCompte;
    for (const BilanSeance& b : sessions) parCompte[b.compte].push_back(b);
    QMap<QString, EtatProgression> etats;
    for (auto it = parCompte.cbegin(); it != parCompte.cend(); ++it) etats.insert(it.key(), EtatSeance(seance, it.value(), seuil));
    return etats;
}

QString CompteBilan(const Identite& identite) {
    const QString hote = QUrl(identite.pageAccueil).host();
    return hote.isEmpty() ? identite.compte : identite.compte + QLatin1Char('@') + hote;
}

std::vector<BilanSeance> SessionsDe(const QString& compte, const std::vector<BilanSeance>& sessions) {
    std::vector<BilanSeance> siennes;
    for (const BilanSeance& b : sessions)
        if (b.compte == compte) siennes.push_back(b);
    return siennes;
}

bool Ouverte(const content::ReglesCours& regles, int numero, const std::vector<EtatProgression>& etats) {
    if (!regles.seances.contains(numero)) return false;
    const auto reussie = [&](int seance) {
        const auto e = std::find_if(etats.begin(), etats.end(), [&](const EtatProgression& x) { return x.seance == seance; });
        return e != etats.end() && e->reussie;
    };
    // A séance passed stays open, whatever opened it (--seance N, the teacher's rules of the time).
    const std::optional<int> avant = regles.Prealable(numero);
    return !avant || reussie(*avant) || reussie(numero);
}

}  // namespace resultats
