// seance1 --export-questions FICHIER.gift [--seance N], in the course's folder

#include "cli/commands.h"
#include "content/export_questions.h"

#include <QDir>

namespace cli {

Output ExportQuestions(const Demande& d) {
    Output o;
    const content::Export e = content::ExporterQuestions(QDir::currentPath(), d.fichier, d.seance);
    if (!e.ok) return o.Fail(e.message + QLatin1Char('\n'));
    return o.Out(e.message + QLatin1Char('\n'));
}

}  // namespace cli
