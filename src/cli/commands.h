#pragma once
// The commands, one file each: each declares its option and the options it goes with, takes what
// the parser read, calls its library and says what the terminal shows. None prints or exits;
// Executer (ligne_de_commande.h) does, through Emit.

#include "cli/ligne_de_commande.h"
#include "cli/output.h"
#include "statements/lecture_journal.h"

#include <vector>

namespace cli {

extern const Commande kResults;             // results.cpp
extern const Commande kClassReport;         // class_report.cpp
extern const Commande kStoryboard;          // storyboard.cpp
extern const Commande kPrepareClassFolder;  // prepare_class_folder.cpp
extern const Commande kExportQuestions;     // export_questions.cpp
extern const Commande kNewSeance;           // new_seance.cpp
extern const Commande kCheck;               // check.cpp

Output Results(const Demande& d);
Output ClassReport(const Demande& d);         // needs a QApplication
Output Storyboard(const Demande& d);          // needs a QApplication
Output PrepareClassFolder(const Demande& d);
Output ExportQuestions(const Demande& d);
Output Check(const Demande& d);               // needs a QApplication
Output NewSeance(const Demande& d);           // needs a QApplication

// What several commands share (options.cpp); --seance is the lesson's too.
extern const Option kCsv;
extern const Option kLrs;
extern const Option kSeance;

// A séance's number, 1 to 99, into seance: the one reading of --seance N and --new-seance N.
QString LireNumeroDeSeance(const QString& valeur, int& seance);
// The file a command writes, into d.fichier.
QString LireFichier(const QString& fichier, Demande& d);

// Refuses the first positional argument past the permis ones of command d.commande.
Refus EnTrop(const QStringList& positionnels, qsizetype permis, const Demande& d);
Refus AucunPositionnel(const QStringList& positionnels, Demande& d);

// The journal lines a reading skipped, one "Ignoré : …" line each on the standard error, so that a
// CSV redirected to a file stays clean.
void Skipped(Output& o, const std::vector<resultats::LigneIgnoree>& ignorees);

}  // namespace cli
