#pragma once
// A séance played, alone or in a course: its recording and its window, made and started the one
// way. The séance is read before (content::SeanceAJouer or ChargerSeance): nothing here reads a file.

#include "course_window/cour1p.h"
#include "recording/suivi.h"

namespace content {
struct Seance;
struct ReglesCours;
}

namespace cours {

class SeanceJouee {
public:
    // The session starts now, on seance's questions, its passed/failed verdict against the course's
    // threshold; the learner is told once, in a box over the window, that results are being lost.
    // seance must outlive this.
    SeanceJouee(const content::Seance& seance, const resultats::Reglages& reglages, const content::ReglesCours& regles);

    Cour1p& Cour() { return cour_; }

    // Loads the window, shows it and gives it its first focus: page 0 is on the screen.
    void Demarrer();

private:
    resultats::Suivi suivi_;
    Cour1p cour_;
};

}  // namespace cours
