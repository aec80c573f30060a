#pragma once
// The class report for the teacher, "seance1 --class-report [FOLDER] FILE.pdf" or "… --csv": the
// statistics of rapport_classe.h as a spreadsheet or as a PDF with charts and the slides that teach
// each question.

#include "class_reports/rapport_classe.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace resultats {

using PagesQuestions = std::array<QList<int>, kQuestions>;

// UTF-8 with its byte-order mark, ";" between fields, decimal comma: the test's figures first, then
// the question table (header "question;texte;facilité;écart type;discrimination;efficacité;A;B;C;D;…",
// values in %, A to D the learners who chose the bank's answers 1 to 4), then each other bank apart.
QByteArray CsvRapport(const RapportClasse& rapport, const PagesQuestions& pages);

struct Diapos {
    QStringList vignettes;  // by page, the slide that shows it whole (the last of its steps); empty if none
    QStringList textes;     // by page; empty when a slide could not be read
    PagesQuestions pages;   // where each question is taught
};
// Where each right answer of banque, the bank of séance number seance of the course in dossierCours,
// is taught.
Diapos LireDiapos(const QString& dossierCours,
                  const content::BanqueQuestions& banque = content::BanqueQuestions::Integree(), int seance = 1);

// Writes the PDF (A4 landscape); returns an empty string, else the reason in French. Needs a
// QApplication (the charts are Qt widgets' graphics items), on the offscreen platform if need be.
QString EcrirePdfRapport(const RapportClasse& rapport, const Diapos& diapos, const QString& chemin,
                         const QString& source);
// The number of sheets EcrirePdfRapport writes for this report.
int FeuillesRapport(const RapportClasse& rapport);


}  // namespace resultats
