// seance1 --check, in the course's folder, on the learner's machine and account

#include "cli/commands.h"
#include "cli/verification.h"
#include "content/regles_cours.h"
#include "platform/platform.h"
#include "platform/real_platform.h"
#include "settings/reglages.h"

#include <QDir>
#include <algorithm>

namespace cli {

const Commande kCheck{
    .option = "check",
    .syntaxe = "",
    .resume = "Vérifie ce poste et ce compte avant la classe : cours, résultats, LRS, son.",
    .detail = "Dit ce qui va et ce qui ne va pas : le cours du dossier courant, le dossier des résultats et le droit "
              "d'y écrire, le LRS et ses identifiants s'il est configuré, la sortie son (un simple avertissement : "
              "la leçon se déroule sans son). Code de retour 0 seulement si tout va.",
    .graphique = true,
    .executer = Check,
};

Output Check(const Demande&) {
    Verification v;
    {
        platform::RealPlatform plateforme;
        platform::SetPlatform(&plateforme);
        VerifierCours(QDir::currentPath(), v);
        platform::SetPlatform(nullptr);
    }
    const resultats::Reglages reglages = resultats::Reglages::Lire();
    VerifierResultats(reglages.dossier, reglages.dossier == resultats::DossierParDefaut(), reglages.identite, v);
    VerifierLrs(reglages.lrs, v, std::min(reglages.lrs.delaiMaxMs, 10000));
    VerifierRegles(content::LireReglesCours(QDir::currentPath()), v);
    VerifierReglagesApprenant(reglages, v);
    VerifierSon(v);
    Output o;
    o.Out(v.Texte());
    o.status = v.Reussie() ? 0 : 1;
    return o;
}

}  // namespace cli
