#pragma once
// The score of an evaluation, out of 20 whatever the number of questions asked: each is worth
// 20 / N, earns its credit (Moodle's fraction, partial allowed), and a wrong answer takes a share
// of its worth away while the score is above 0.

#include <QString>

namespace content {

struct Bareme {
    int questions = 20;
    double penalite = 0.5;  // the share of a question's worth a wrong answer costs; séance 1's half

    double Valeur() const { return 20.0 / questions; }
    // The score after an answer of that credit (0 to 1), from note; always within 0 to 20.
    double Apres(double note, double credit) const;
};

// A score as the learner reads it: rounded to a tenth; written with the separator of the learner's
// settings (« 12 », « 6,7 » in French).
double Affichee(double note);
QString TexteSur20(double note);

}  // namespace content
