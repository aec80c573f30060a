// seance1 --storyboard FICHIER.pdf [--seance N], in the course's folder

#include "cli/commands.h"
#include "storyboard/storyboard.h"

#include <QDir>

namespace cli {

Output Storyboard(const Demande& d) {
    Output o;
    const storyboard::Outcome outcome = storyboard::Write(QDir::currentPath(), d.fichier, d.seance);
    if (!outcome.ok) return o.Fail(outcome.message + QLatin1Char('\n'));
    return o.Out(outcome.message + QLatin1Char('\n'));
}

}  // namespace cli
