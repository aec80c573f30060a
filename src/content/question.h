#pragma once
// A question as a teacher writes it in GIFT, of any kind a learner can answer alone, and how
// Moodle's question engine grades an answer to it: a fraction of the question's worth, from 0
// to 1.

#include "content/erreurs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace content {

enum class GenreQuestion { ChoixUnique, ChoixMultiple, VraiFaux, ReponseCourte, Numerique, Appariement };

// One answer as written: a choice, an accepted short answer or an accepted range of numbers.
struct ReponseGift {
    QString texte;          // the choice shown, or the short answer's pattern ("*" any characters)
    double fraction = 0;    // Moodle's: 1 is full credit; below 0 takes credit away (several answers)
    QString retour;         // its feedback, "#…"
    double minimum = 0;     // a numerical answer: the numbers accepted, bounds included
    double maximum = 0;
    int ligne = 1;
    bool operator==(const ReponseGift&) const = default;
};

// "=gauche -> droite"; an empty gauche only adds droite to the choices offered.
struct PaireGift {
    QString gauche;
    QString droite;
    bool operator==(const PaireGift&) const = default;
};

struct QuestionGift {
    GenreQuestion genre = GenreQuestion::ChoixUnique;
    int numero = 1;              // its place among the file's questions, from 1
    QString titre;               // "::…::", empty when none
    QString texte;               // as shown; a missing word is "_____" in its place
    bool motManquant = false;    // text follows the answers
    QString retourGeneral;       // "####…"
    int ligne = 1;               // where the question starts
    int ligneReponses = 1;       // where its "{" is
    std::vector<ReponseGift> reponses;  // true-false: « Vrai » then « Faux »
    std::vector<PaireGift> paires;

    // What names the question across attempts and files: its title, or else its text.
    QString Identite() const { return titre.isEmpty() ? texte : titre; }
    // A matching question's left-hand items, and the right-hand ones offered to each, without repeats,
    // in the file's order.
    QStringList Enonces() const;
    QStringList ChoixDroite() const;
    bool operator==(const QuestionGift&) const = default;
};

// The questions of a file, and every mistake that keeps some of them from being read.
struct LectureQuestions {
    std::vector<QuestionGift> questions;
    Erreurs erreurs;
    std::vector<int> debuts;  // where each question starts, those refused included
    int derniereLigne = 1;    // the last line that is neither blank nor a comment's
};

// fichier only names the source in messages.
LectureQuestions LireQuestionsGift(const QByteArray& octets, const QString& fichier);

// What a learner answered: the choices ticked (single, multiple, true-false: indices of reponses),
// the item chosen for each left-hand one (matching: an index of ChoixDroite, or -1), or the text typed.
struct Saisie {
    std::vector<int> choix;
    QString texte;
};

// Moodle's grading, from 0 to 1: the fraction of the answer chosen, or of the first one that
// matches what was typed; several answers add the fractions of those ticked; matching counts the
// left-hand items rightly matched.
double Fraction(const QuestionGift& q, const Saisie& s);
// The answers whose feedback follows this one: those ticked, or the first that matches the text.
std::vector<const ReponseGift*> ReponsesRetenues(const QuestionGift& q, const Saisie& s);
// A number as a French learner types it: "4,5", "4.5", "1 000", "2,3e-3"; nothing when it is not one.
std::optional<double> LireNombre(const QString& tape);
// Moodle's default comparison of a typed answer with a short answer: case ignored, "*" any characters.
bool Correspond(const QString& tape, const QString& motif);

}  // namespace content
