#pragma once
// seance1 --check: run on a learner's machine and account before the class, says in French what
// will work and what will not: the course, the results folder, the LRS, the sound.

#include "content/regles_cours.h"
#include "settings/reglages.h"

#include <QString>
#include <vector>

namespace cli {

struct Verification {
    enum class Niveau { Bon, Avertissement, Probleme };
    struct Ligne {
        Niveau niveau;
        QString texte;
    };
    std::vector<Ligne> lignes;

    void Ajouter(Niveau niveau, const QString& texte) { lignes.push_back({niveau, texte}); }
    int Problemes() const;
    bool Reussie() const { return Problemes() == 0; }
    QString Texte() const;
};

// The course folder, as the content checker sees it (a platform must be set).
void VerifierCours(const QString& dossier, Verification& v);
// The results folder: there (a missing class folder is most likely an unmounted share; the default
// folder is made at the first result), and writable by this account, tried with a file made and
// removed. parDefaut: the folder is the default one, not the class's. Creates no folder.
void VerifierResultats(const QString& dossier, bool parDefaut, const resultats::Identite& identite, Verification& v);
// The LRS, when one is set: its "about" resource answers, and the credentials are accepted for
// reading one statement. Each request is given at most delaiMs.
void VerifierLrs(const resultats::ConfigLrs& lrs, Verification& v, int delaiMs = 10000);
// The course's rules (its cours.toml): each of its mistakes is a problem; else what passes a séance
// and what opens each one.
void VerifierRegles(const content::ReglesCours& regles, Verification& v);
// What the settings file may no longer decide: a [progression] section is ignored (a warning), a
// compte= naming another account in a class folder refused (a problem).
void VerifierReglagesApprenant(const resultats::Reglages& reglages, Verification& v);
// No sound output is only a warning: the lesson goes on silently.
void VerifierSon(Verification& v);

}  // namespace cli
