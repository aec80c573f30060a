#pragma once
// Who the course is: its name and its publisher's web address. The About window shows both; the
// last page gives the learner the address, and the storyboard's title page the name.

#include <QString>

namespace content {

// The course's name, as the About window's title gives it.
inline const QString kTitre = QStringLiteral("Électricité - Séance 1");
// A séance's name: séance 1's is the course's.
inline QString TitreSeance(int seance) {
    return seance == 1 ? kTitre : QStringLiteral("Électricité - Séance %1").arg(seance);
}
// The publisher's web address.
inline const QString kSiteWeb = QStringLiteral("www.korvane.fr");

}  // namespace content
