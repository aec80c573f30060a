#pragma once
// The commands, one file each: each takes what the parser read, calls its library and says what
// the terminal shows. None prints or exits; Executer (ligne_de_commande.h) does, through Emit.

#include "cli/ligne_de_commande.h"
#include "cli/output.h"
#include "statements/lecture_journal.h"

#include <vector>

namespace cli {

Output Results(const Demande& d);             // results.cpp
Output ClassReport(const Demande& d);         // class_report.cpp; needs a QApplication
Output Storyboard(const Demande& d);          // storyboard.cpp; needs a QApplication
Output PrepareClassFolder(const Demande& d);  // prepare_class_folder.cpp
Output ExportQuestions(const Demande& d);     // export_questions.cpp
Output Check(const Demande& d);               // check.cpp; needs a QApplication
Output NewSeance(const Demande& d);           // new_seance.cpp; needs a QApplication

// The journal lines a reading skipped, one "Ignoré : …" line each on the standard error, so that a
// CSV redirected to a file stays clean.
void Skipped(Output& o, const std::vector<resultats::LigneIgnoree>& ignorees);

}  // namespace cli
