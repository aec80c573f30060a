// seance1 --storyboard FICHIER.pdf [--seance N], in the course's folder

#include "cli/commands.h"
#include "storyboard/storyboard.h"

#include <QDir>

namespace cli {

Output Storyboard(const Demande& d) {
    const storyboard::Outcome outcome = storyboard::Write(QDir::currentPath(), d.fichier, d.seance);
    return Output::Line(outcome.ok, outcome.message);
}

}  // namespace cli
