#pragma once
// Where the lesson teaches each question's right answer: the pages whose slide text (the text a
// screen reader gets) holds it, found by words with accents, case and punctuation folded.

#include "class_reports/rapport_classe.h"
#include "platform/picture.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>
#include <vector>

namespace resultats {

// The words of a text, folded: accents and case off, punctuation and apostrophes as spaces, a
// plural s or x off (électrons and électron are one word).
QStringList MotsReplies(const QString& texte);

// The slides of each page of séance number seance of the course in dossierCours (the folder that
// holds Seance1/, Seance2/ ...), as paths the picture loader takes ("…/Seance2/Seance2.pdf#3"):
// each page its slide, then those of its steps (séance 1's own pages without a script, pages 0 to 18
// one each); the evaluation and the closing page none. Nothing when the séance's script is missing or refused.
std::vector<QStringList> DiaposParPage(const QString& dossierCours, int seance = 1);

// A slide read for paper, with no screen to size it: an EMF file or a page of a PDF ("….pdf#3");
// a null picture when it is missing or unreadable.
platform::Picture LireDiapo(const QString& chemin);

// Each page's slide text, by page: the text of its slides, a page in steps all of them; an empty
// text for a page without slide or whose slide is missing or unreadable.
QStringList TextesDiapos(const QString& dossierCours, int seance = 1);

// The page or pages of the answer (a slide's index in textes) of each question: the slides that hold
// the answer's words in a row, its leading article aside ("un atome" is taught as "l'atome");
// failing any, those that hold at least two thirds of its meaningful words (a long answer is seldom
// word for word). When several do, those that also share most words with the question and the
// answer: a word like "tension" is on many slides, the page that asks about "la lettre U" is one.
// Page 0, the title page, which names the subjects without teaching them, only when no other does.
QList<int> PagesDeReponse(const QString& question, const QString& reponse, const QStringList& textes);
// Of the right answers of banque, the one the course asks.
std::vector<QList<int>> PagesDesReponses(const QStringList& textes, const content::BanqueQuestions& banque);

}  // namespace resultats
