// seance1 --prepare-class-folder DOSSIER [--group GROUPE]

#include "class_reports/dossier_classe.h"
#include "cli/commands.h"

namespace cli {

Output PrepareClassFolder(const Demande& d) {
    Output o;
    const resultats::Preparation p = resultats::PreparerDossierClasse(d.dossier, d.groupe);
    if (!p.ok) return o.Fail(QStringLiteral("Dossier de la classe non préparé : %1\n").arg(p.message));
    return o.Out(p.message + QLatin1Char('\n'));
}

}  // namespace cli
