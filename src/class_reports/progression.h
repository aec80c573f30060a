#pragma once
// The course's rule: the next séance opens when the learner's best completed score at this one is
// strictly above the threshold (the closing page's "supérieure à 15/20"). Computed only from the
// sessions the class's reading gives, so that the menu, the closing page, the passed/failed
// statements and the progress sheet cannot disagree.

#include "class_reports/bilan.h"

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

// Whether the séance at position i of a course (its séances in order, one state each) is open: the
// first always; another when the one before it in the course passed, or when the teacher opened all.
bool Ouverte(const std::vector<EtatProgression>& cours, size_t i, bool toutOuvert);

}  // namespace resultats
