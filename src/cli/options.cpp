// What several commands share: the options --csv, --lrs and --seance, the reading of a séance's
// number or of the file to write, and the refusal of a positional argument too many.

#include "cli/commands.h"

namespace cli {

const Option kCsv{"csv", nullptr, "en CSV pour un tableur (UTF-8, « ; » entre les champs)", [](const QString&, Demande& d) {
                      d.csv = true;
                      return QString();
                  }};

const Option kLrs{"lrs", nullptr, "lit les résultats dans le LRS des réglages plutôt que dans le dossier",
                  [](const QString&, Demande& d) {
                      d.lrs = true;
                      return QString();
                  }};

const Option kSeance{"seance", "N",
                     "la séance N du cours (SeanceN/). Sans elle : la séance 1 ; le menu du cours pour la leçon d'un "
                     "cours de plusieurs séances ; toutes les séances pour --results",
                     [](const QString& valeur, Demande& d) {
                         d.seanceDonnee = true;
                         return LireNumeroDeSeance(valeur, d.seance);
                     }};

QString LireNumeroDeSeance(const QString& valeur, int& seance) {
    bool nombre = false;
    seance = valeur.toInt(&nombre);
    if (nombre && seance >= 1 && seance <= 99) return {};
    return QStringLiteral("attend un numéro de séance de 1 à 99, pas « %1 »").arg(valeur);
}

QString LireFichier(const QString& fichier, Demande& d) {
    d.fichier = fichier;
    return {};
}

Refus EnTrop(const QStringList& positionnels, qsizetype permis, const Demande& d) {
    if (positionnels.size() <= permis) return {};
    return {QStringLiteral("argument en trop « %1 » pour --%2").arg(positionnels[permis], d.commande), {}};
}

Refus AucunPositionnel(const QStringList& positionnels, Demande& d) { return EnTrop(positionnels, 0, d); }

}  // namespace cli
