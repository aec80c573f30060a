#pragma once
// Who the course is: its name and its publisher's web address. The About window shows both; the
// last page gives the learner the address, and the storyboard's title page the name.

#include <QString>

namespace content {

// The course's name, as the About window's title gives it.
inline const QString kTitre = QStringLiteral("Électricité - Séance 1");
// A séance as the learner and the teacher read it named: "Séance 2 : tension, intensité, résistance",
// or "Séance 2" while its title is not known.
inline QString NomSeance(int seance, const QString& titre) {
    const QString numero = QStringLiteral("Séance %1").arg(seance);
    return titre.isEmpty() || titre == numero ? numero : numero + QStringLiteral(" : ") + titre;
}
// A séance's name as a document's title: séance 1's is the course's, as it always was.
inline QString TitreSeance(int seance, const QString& titre) { return seance == 1 ? kTitre : NomSeance(seance, titre); }
// The publisher's web address.
inline const QString kSiteWeb = QStringLiteral("www.korvane.fr");

}  // namespace content
