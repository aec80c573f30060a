#pragma once
// The mistakes found in a course file, as its teacher reads them: where each one is and what to
// write instead, in French. The script reader gives every one it finds; each place that shows
// them (check_content, seance1 --check, the lesson refusing to start) shows them all.

#include <QString>
#include <QStringList>

#include <vector>

namespace content {

struct Erreur {
    QString fichier;   // as the teacher knows it: "Seance2/seance.toml"
    int ligne = 1;     // from 1
    int colonne = 0;   // from 1; 0 when the mistake is about a whole line or table
    QString message;   // without a full stop
    // « ligne 12, colonne 3 » or « ligne 12 ».
    QString Lieu() const;
    // « Seance2/seance.toml, ligne 12, colonne 3 : la clé « fichir » est inconnue ; écrivez « fichier ». »
    QString Texte() const;
};

// In the order of the file's lines.
struct Erreurs {
    std::vector<Erreur> liste;

    bool Vide() const { return liste.empty(); }
    int Nombre() const { return static_cast<int>(liste.size()); }
    // One sentence per mistake, as a check prints them.
    QStringList Textes() const;
    // The same, one per line.
    QString Texte() const { return Textes().join(QLatin1Char('\n')); }
    // Why the file cannot be used, after its name, without a final full stop: « ligne 8 : … » for
    // one mistake; for several, their number, then one per line.
    QString Raison() const;
};

}  // namespace content
