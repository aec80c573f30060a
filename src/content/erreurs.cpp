#include "content/erreurs.h"

namespace content {

QString Erreur::Lieu() const {
    return colonne > 0 ? QStringLiteral("ligne %1, colonne %2").arg(ligne).arg(colonne) : QStringLiteral("ligne %1").arg(ligne);
}

QString Erreur::Texte() const { return QStringLiteral("%1, %2 : %3.").arg(fichier, Lieu(), message); }

QStringList Erreurs::Textes() const {
    QStringList out;
    for (const Erreur& e : liste) out << e.Texte();
    return out;
}

QString Erreurs::Raison() const {
    if (liste.size() == 1) return QStringLiteral("%1 : %2").arg(liste.front().Lieu(), liste.front().message);
    QStringList lignes;
    for (const Erreur& e : liste) lignes << QStringLiteral("– %1 : %2").arg(e.Lieu(), e.message);
    // The last sentence's full stop is the caller's, as for a single mistake.
    return QStringLiteral("%1 erreurs :\n").arg(liste.size()) + lignes.join(QStringLiteral(".\n"));
}

}  // namespace content
