#pragma once
// What the course window tells whoever follows the lesson: each validated answer and the end of
// the lesson. The course owns no observer and knows none of them: the program hands its results
// in, a test a recorder; with none, nothing is told.

class ObservateurLecon {
public:
    // numero: the question (1 to 20); choix: the bank's answer validated (0 to 3, 0 being the
    // right one); note: the score shown once this answer is counted.
    virtual void ReponseValidee(int numero, int choix, bool juste, double note) = 0;
    // The learner closed the lesson; the program ends right after the call.
    virtual void LeconFermee() = 0;

protected:
    ~ObservateurLecon() = default;
};
