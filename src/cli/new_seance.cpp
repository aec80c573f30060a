// seance1 --new-seance N --from FICHIER.pdf, in the course folder.

#include "cli/commands.h"
#include "content/seance_skeleton.h"

#include <QDir>

namespace cli {

Output NewSeance(const Demande& d) {
    Output o;
    const content::SkeletonOutcome fait = content::WriteSeanceSkeleton(QDir::currentPath(), d.seance, d.source);
    if (!fait.ok) return o.Fail(QStringLiteral("La séance %1 n'a pas été écrite. %2\n").arg(d.seance).arg(fait.message));
    return o.Out(fait.message);
}

}  // namespace cli
