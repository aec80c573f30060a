#pragma once
// This learner's standing at each séance of the course, from what their sessions already left:
// their own journal folder and the class's, or the LRS when no folder holds a session of theirs.
// No state of its own: what the menu shows is what the results say.

#include "class_reports/progression.h"
#include "settings/reglages.h"

#include <QString>
#include <vector>

namespace cours {

struct ProgressionLue {
    std::vector<resultats::EtatProgression> etats;  // one per séance asked, in the same order
    QString erreur;  // in French, when the LRS was asked and could not be read to the end
};

// seuil: the course's, which a best score must pass.
ProgressionLue LireProgression(const resultats::Reglages& reglages, const std::vector<int>& seances, double seuil);

}  // namespace cours
