// seance1 --export-questions FICHIER.gift [--seance N], in the course's folder

#include "cli/commands.h"
#include "content/export_questions.h"

#include <QDir>

namespace cli {

Output ExportQuestions(const Demande& d) {
    const content::Export e = content::ExporterQuestions(QDir::currentPath(), d.fichier, d.seance);
    return Output::Line(e.ok, e.message);
}

}  // namespace cli
