#pragma once
// Where the lesson teaches each question's right answer: the pages whose slide text (the text a
// screen reader gets) holds it, found by words with accents, case and punctuation folded.

#include "class_reports/rapport_classe.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace resultats {

// The words of a text, folded: accents and case off, punctuation and apostrophes as spaces, a
// plural s or x off (électrons and électron are one word).
QStringList MotsReplies(const QString& texte);

// Each slide's text, by page (0 to 18), read from the course folder (the one that holds Seance1/);
// an empty text for a slide that is missing or unreadable.
QStringList TextesDiapos(const QString& dossierCours);

// The page or pages of the answer (a slide's index in textes) of each question: the slides that hold
// the answer's words in a row, its leading article aside ("un atome" is taught as "l'atome");
// failing any, those that hold at least two thirds of its meaningful words (a long answer is seldom
// word for word). When several do, those that also share most words with the question and the
// answer: a word like "tension" is on many slides, the page that asks about "la lettre U" is one.
QList<int> PagesDeReponse(const QString& question, const QString& reponse, const QStringList& textes);
// Of the right answers of banque, the one the course asks.
std::array<QList<int>, kQuestions> PagesDesReponses(const QStringList& textes, const content::BanqueQuestions& banque);

}  // namespace resultats
