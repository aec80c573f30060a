#pragma once
// The course's own rules, written once by its teacher in cours.toml at the course folder's root:
// its title, the score that passes a séance, and which séances are open from the start and which
// need which. The menu, the closing page, the verdicts, the check and the class report all read
// them here, so that no learner's settings can change them.
//
//   titre = "L'électricité au quotidien"
//   seuil = 15            # sur 20 : une séance est réussie strictement au-dessus
//   ouvertes = [1, 3]     # ouvertes dès le début ; ou ouvertes = "toutes"
//   [apres]               # séance = la séance à réussir avant elle
//   4 = 2
//
// A séance neither open from the start nor named in [apres] needs the one before it in the course.

#include "content/erreurs.h"

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace content {

inline constexpr char kNomFichierCours[] = "cours.toml";

struct ReglesCours {
    QList<int> seances;    // the course folder's, in order
    bool fichier = false;  // cours.toml is there
    QString titre;         // empty when the file gives none
    double seuil = 15;
    bool toutesOuvertes = false;
    QList<int> ouvertes;   // open from the start besides the first séance
    QMap<int, int> apres;  // séance -> the séance to pass before it
    // Every mistake of the file; while there is one, its rules are not applied (the ones above are
    // those of a course without the file), only its title.
    Erreurs erreurs;

    // The séance to pass before numero opens; none when it is open from the start.
    std::optional<int> Prealable(int numero) const;
    // "ouverte dès le début" or "après la séance 2", for the check and the teacher.
    QString Dit(int numero) const;
};

// The rules of the course in dossier: its cours.toml, or a course's usual ones when there is none.
ReglesCours LireReglesCours(const QString& dossier);
// The same from a file's bytes, for a course of these séances; fichier names it in the mistakes.
ReglesCours LireReglesCours(const QByteArray& octets, const QList<int>& seances, const QString& fichier = QString::fromLatin1(kNomFichierCours));

}  // namespace content
