#pragma once
// The course's rule: a séance passes when the learner's best completed score at it is strictly above
// the course's threshold (the closing page's "supérieure à 15/20"), and what it opens is the course's. Computed only from the
// sessions the class's reading gives, so that the menu, the closing page, the passed/failed
// statements and the progress sheet cannot disagree.

#include "class_reports/bilan.h"
#include "content/regles_cours.h"

#include <QMap>
#include <QString>
#include <optional>
#include <vector>

namespace resultats {

// A completed score passes when it is strictly above the threshold.
bool Reussie(double note, double seuil);

// One learner's standing at one séance.
struct EtatProgression {
    int seance = 0;
    int tentatives = 0;               // completed sessions
    std::optional<double> meilleure;  // best completed score, none before the first completion
    bool reussie = false;             // meilleure passes
};

// From the sessions of one séance (Bilans(…, seance)), all of one learner's: pass them filtered.
EtatProgression EtatSeance(int seance, const std::vector<BilanSeance>& sessions, double seuil);
// The same for every learner of the sessions, keyed by BilanSeance::compte.
QMap<QString, EtatProgression> EtatsParApprenant(int seance, const std::vector<BilanSeance>& sessions, double seuil);
// This learner's account as the sessions name it ("account@home page host").
QString CompteBilan(const Identite& identite);
// The sessions that are this learner's (compte as BilanSeance gives it: "account@home page host").
std::vector<BilanSeance> SessionsDe(const QString& compte, const std::vector<BilanSeance>& sessions);

// Whether séance numero is open to a learner with these states (one per séance of the course):
// open from the start by the course's rules, or the séance they name before it passed, or passed itself.
bool Ouverte(const content::ReglesCours& regles, int numero, const std::vector<EtatProgression>& etats);

}  // namespace resultats
