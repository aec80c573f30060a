#pragma once
// Where a teacher's command reads the class: the LRS of the settings, or a results folder (the one
// named, else the settings'). Chosen here once for --results and --class-report.

#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

namespace resultats {

struct LectureClasse {
    QString source;                     // the folder, or the LRS's statement address
    QString erreur;                     // in French, empty when the class could be read
    std::vector<LigneIgnoree> ignorees;  // lines of the folder's journals that were skipped
};

// Who takes the statements: an LRS's whole, a folder's as their projection (what the counting
// uses, nothing more).
struct Destinataire {
    std::function<void(const QJsonObject&)> lrs;
    std::function<void(const Essentiel&)> dossier;
};

// Either way into a counter that takes both (Comptage, CalculRapport).
template <class Compteur>
Destinataire Vers(Compteur& c) {
    return {[&c](const QJsonObject& s) { c.Ajouter(s); }, [&c](const Essentiel& e) { c.Ajouter(e); }};
}

// Hands each statement to recevoir. dossier: empty for the settings' folder; ignored with lrs.
// Reading the LRS needs a Qt application object; it is asked for each of seances in turn and stops
// at the first it cannot read. A folder's journals hold every séance: they are read once.
LectureClasse LireClasse(const QString& dossier, bool lrs, const Destinataire& recevoir, const QList<int>& seances);
inline LectureClasse LireClasse(const QString& dossier, bool lrs, const Destinataire& recevoir, int seance = 1) {
    return LireClasse(dossier, lrs, recevoir, QList<int>{seance});
}

}  // namespace resultats
