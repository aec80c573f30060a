#pragma once
// The class report for the teacher, "seance1 --class-report [FOLDER] FILE.pdf" or "… --csv": the
// statistics of rapport_classe.h as a spreadsheet or as a PDF with charts and the slides that teach
// each question.

#include "class_reports/bilan.h"
#include "class_reports/progression.h"
#include "class_reports/rapport_classe.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace resultats {

using PagesQuestions = std::vector<QList<int>>;  // by question of the bank
// Where question numero (from 1) is taught; none for a number the bank does not have.
inline QList<int> PagesDe(const PagesQuestions& pages, int numero) {
    return numero >= 1 && static_cast<size_t>(numero) <= pages.size() ? pages[static_cast<size_t>(numero - 1)] : QList<int>();
}

// The class's progress through a course of several séances: one row per learner, one column per
// séance, as the menu and the closing page count it.
struct LigneProgression {
    QString apprenant, compte;
    std::vector<EtatProgression> seances;  // in the course's order
    int arret = 0;  // the first séance of the course not passed yet; 0 when every one is
};
struct ProgressionClasse {
    QList<int> seances;  // the course's, in order
    double seuil = 15;
    // Those stopped earliest first; at the same séance, those who tried it most, then the lowest
    // best score: who is stuck, and where, reads from the top.
    std::vector<LigneProgression> lignes;
};
// sessions: of every séance (Comptage(0)); seances: the course's.
ProgressionClasse CalculerProgression(const std::vector<BilanSeance>& sessions, const QList<int>& seances, double seuil);

// UTF-8 with its byte-order mark, ";" between fields, decimal comma: the test's figures first, then
// the question table (header "question;texte;facilité;écart type;discrimination;efficacité;A;B;C;D;…",
// values in %, A to D the learners who chose the bank's answers 1 to 4), then each other bank apart.
// With progression, the class's progress follows, one row per learner.
QByteArray CsvRapport(const RapportClasse& rapport, const PagesQuestions& pages,
                      const ProgressionClasse* progression = nullptr);

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
// With progression, the class's progress on the last sheets.
QString EcrirePdfRapport(const RapportClasse& rapport, const Diapos& diapos, const QString& chemin,
                         const QString& source, const ProgressionClasse* progression = nullptr);
// The number of sheets EcrirePdfRapport writes for this report.
int FeuillesRapport(const RapportClasse& rapport, const ProgressionClasse* progression = nullptr);


}  // namespace resultats
