#include "class_reports/lecture_classe.h"

#include "class_reports/lecture_lrs.h"
#include "settings/reglages.h"

#include <QDir>

namespace resultats {

LectureClasse LireClasse(const QString& dossier, bool lrs, const Destinataire& recevoir, const QList<int>& seances) {
    LectureClasse lue;
    if (lrs) {
        const ConfigLrs config = Reglages::Lire().lrs;
        lue.source = AdresseDeclarations(config).toString();
        lue.erreur = LireLrsSeances(config, seances, [&](int, const QJsonObject& s) { recevoir.lrs(s); }, kParPageCommandes).erreur;
        return lue;
    }
    lue.source = dossier.isEmpty() ? Reglages::Lire().dossier : dossier;
    if (lue.source.isEmpty() || !QDir(lue.source).exists()) {
        lue.erreur = QStringLiteral("le dossier « %1 » n'existe pas").arg(lue.source);
        return lue;
    }
    LectureEssentielle lecture;
    lecture.recevoir = recevoir.dossier;
    LireDossierEssentiel(lue.source, lecture);
    lue.ignorees = std::move(lecture.ignorees);
    return lue;
}

}  // namespace resultats
