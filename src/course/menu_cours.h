#pragma once
// The course's menu: the first window of a course of several séances, in the lesson's own look
// (full screen, its colours, Fermer, the logo that opens the About window). One entry per séance:
// its number and title, this learner's best score, and its state. Arrows move between the
// entries, Enter starts the one with the focus; screen readers hear each entry with its state.

#include "class_reports/progression.h"
#include "course/seances_du_cours.h"
#include "platform/controls.h"

#include <functional>
#include <memory>
#include <vector>

namespace cours {

// One séance as the menu shows it.
struct EntreeMenu {
    SeanceDuCours seance;
    resultats::EtatProgression etat;
    bool ouverte = false;
    // What opens it, when it is not open yet: "plus de 15/20 à la séance 1".
    QString condition;
    bool Jouable() const { return ouverte && seance.Disponible(); }
};

// A score or threshold as the learner reads it: "15,5".
QString Nombre(double valeur);
// The text of an entry's second line: best score and state.
QString TexteEtat(const EntreeMenu& entree);

class MenuCours {
public:
    MenuCours();
    ~MenuCours();

    platform::Form Form;
    platform::CommandButton B_Fermer;
    platform::PictureBox Picture5;
    platform::Image Image1;
    platform::PictureBox Panneau;  // the entries' background, as a slide's
    platform::Label Titre;
    platform::Label Progres;  // "Séances réussies : 1 sur 3"
    // What a closed or broken séance needs, shown when the learner tries to start it.
    platform::Label Avis;
    std::vector<std::unique_ptr<platform::CommandButton>> Entrees;

    // Lays the menu out for these séances, in course order, under the course's title (its
    // cours.toml's, when it gives one), and shows it with the focus on the first séance still to do.
    void Montrer(const std::vector<EntreeMenu>& entrees, const QString& titreCours = {});
    const std::vector<EntreeMenu>& Montrees() const { return entrees_; }

    // The learner chose a séance that can be played (its number).
    std::function<void(int numero)> OnChoix;
    // Fermer: the program ends.
    std::function<void()> OnFermer;

    // What a click or Enter on entry i does: starts it, or says why it cannot start.
    void Entree_Click(size_t i);
    bool Form_KeyPreview(int key);

private:
    std::vector<EntreeMenu> entrees_;
    QString titreCours_;
};

}  // namespace cours
