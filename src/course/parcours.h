#pragma once
// A course of several séances, played: the menu, then the séance the learner chooses, then the
// menu again or the next séance, until they close the program. Each séance is the lesson as it
// is, with its own session recorded; what opens the next one is read from the results each time
// the menu shows.

#include "content/regles_cours.h"
#include "course/menu_cours.h"
#include "settings/reglages.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class Cour1p;

namespace cours {

class Parcours {
public:
    // dossier: the course folder (the one holding Seance1/, Seance2/ ...).
    Parcours(QString dossier, resultats::Reglages reglages);
    ~Parcours();

    // Shows the menu and plays what the learner chooses; ends only with the program (Fermer).
    void Executer();

    // The menu and its entries as last shown.
    MenuCours& Menu() { return *menu_; }
    // The séance being played, or null while the menu shows.
    Cour1p* SeanceEnCours() const { return cour_; }

    // The entries of the menu, from the folder, its rules and this learner's results now.
    std::vector<EntreeMenu> Entrees();
    // The course's rules as Entrees last read them.
    const content::ReglesCours& Regles() const { return regles_; }

private:
    // Shows the menu until the learner chooses a séance; returns its number.
    int Choisir();
    // Plays séance numero until it is left; returns the séance to play next, if the learner asked for it.
    std::optional<int> Jouer(int numero);
    // The séance after numero in the course, when its folder can be played and it opened: the
    // learner's earlier results, or the score just made.
    std::optional<int> Suivante(int numero, std::optional<double> note);

    QString dossier_;
    resultats::Reglages reglages_;
    std::unique_ptr<MenuCours> menu_;
    std::vector<SeanceDuCours> seances_;
    content::ReglesCours regles_;
    std::optional<int> choix_;
    Cour1p* cour_ = nullptr;
};

}  // namespace cours
