// seance1 --new-seance N --from FICHIER.pdf, in the course folder.

#include "cli/commands.h"
#include "content/seance_skeleton.h"

#include <QDir>

namespace cli {

namespace {

const Option kFrom{"from", "FICHIER.pdf", "la présentation, exportée en PDF, dont la séance est faite",
                   [](const QString& source, Demande& d) {
                       d.source = source;
                       return QString();
                   }};

Refus Positionnels(const QStringList& p, Demande& d) {
    if (d.source.isEmpty()) return {QStringLiteral("il manque --from FICHIER.pdf après --new-seance %1").arg(d.seance), {}};
    return EnTrop(p, 0, d);
}

}  // namespace

const Commande kNewSeance{
    .option = "new-seance",
    .syntaxe = "N --from FICHIER.pdf",
    .resume = "Une nouvelle séance N depuis une présentation exportée en PDF.",
    .detail = "À lancer dans le dossier du cours. Écrit SeanceN/ : le PDF (SeanceN.pdf), le script seance.toml (la "
              "première page du PDF en page de titre, puis une page par page du PDF, l'évaluation et la page de "
              "clôture) et questions.gift, vingt questions « À compléter ». Ne remplace jamais une séance qui existe. "
              "Tant que les questions ne sont pas écrites, check_content et --check disent ce qui reste à faire.",
    .graphique = true,
    .executer = NewSeance,
    .valeur = "N",
    .lireValeur = [](const QString& numero, Demande& d) { return LireNumeroDeSeance(numero, d.seance); },
    .options = {&kFrom},
    .positionnels = Positionnels,
};

Output NewSeance(const Demande& d) {
    Output o;
    const content::SkeletonOutcome fait = content::WriteSeanceSkeleton(QDir::currentPath(), d.seance, d.source);
    if (!fait.ok) return o.Fail(QStringLiteral("La séance %1 n'a pas été écrite. %2\n").arg(d.seance).arg(fait.message));
    return o.Out(fait.message);
}

}  // namespace cli
