#pragma once
// The questions the evaluation asks: séance 1's built-in twenty, or a séance's own, any number of them,
// written by its teacher in GIFT (the plain-text question format of Moodle) as SeanceN/questions.gift.

#include "content/erreurs.h"
#include "content/question.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace content {

struct EntreeQuestion {
    QString question;
    std::array<QString, 4> reponses;  // reponses[0] is the right one, the others in the file's order
    bool operator==(const EntreeQuestion&) const = default;
};

class BanqueQuestions {
public:
    static constexpr int kNombreIntegree = 20;  // the built-in bank's, and a new séance's skeleton's
    // What fits on screen, measured with the lesson's fonts (see LongueursTiennent in the tests):
    // a 200-character question wraps to three lines of the question label even at 800 x 600, which
    // keeps the four answers and Valider inside the slide; a 150-character answer of ordinary
    // words takes two lines of its 700 x 50-pixel button, where three would be cut.
    static constexpr int kLongueurQuestionMax = 200;
    static constexpr int kLongueurReponseMax = 150;

    // The built-in bank (banque_integree.cpp), made once, on first use.
    static const BanqueQuestions& Integree();

    int Nombre() const { return static_cast<int>(entrees.size()); }
    // numero: 1 to Nombre().
    const EntreeQuestion& Entree(int numero) const { return entrees[static_cast<size_t>(numero - 1)]; }
    // Twelve hex digits of a SHA-256 over every text, so that a record can say which bank was asked.
    QString Identite() const;

    std::vector<EntreeQuestion> entrees;  // in the order they are asked
    bool operator==(const BanqueQuestions&) const = default;
};

// A bank read from a file, or why not: every mistake, each with its line (from 1) and what is wrong,
// in French; ligne and message are the first one's.
struct LectureGift {
    std::optional<BanqueQuestions> banque;
    QString fichier;
    int ligne = 0;
    QString message;
    Erreurs erreurs;
    bool Reussie() const { return banque.has_value(); }
    // « questions.gift, ligne 12 : la question 3 a deux bonnes réponses. », the first mistake.
    QString Texte() const;
};

// « les vingt questions », « la question », « les 7 questions »: how the lesson names an evaluation of n.
QString LesQuestions(int n);

// A séance's own questions file, relative to the course folder (the one that holds SeanceN/).
QString CheminQuestions(int seance = 1);

// fichier only names the source in messages.
LectureGift LireGiftDonnees(const QByteArray& octets, const QString& fichier);
LectureGift LireGift(const QString& chemin);

// GIFT that Moodle imports as it is: UTF-8, one category named after the lesson, a title per question.
QByteArray EcrireGift(const BanqueQuestions& banque, const QString& titreLecon);

// The bank of a séance of the course in dossier (the folder that holds SeanceN/): its questions.gift
// when there is one, read or refused; otherwise séance 1 asks the built-in bank, and any other
// séance is refused.
LectureGift Charger(const QString& dossier, int seance = 1);

}  // namespace content
