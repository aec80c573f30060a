#pragma once
// A séance of a course, read once by ChargerSeance and handed down to whatever plays, lists or
// checks it: its folder, its number, its script, its questions, and what keeps it from being played.

#include "content/banque.h"
#include "content/nom_dossier.h"
#include "content/script_seance.h"
#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace content {

// One thing that keeps a séance from being played, said the two ways it is told: as the lesson
// stops on it (the file and the reason), and as lines of the content checks: one, or a script's
// every mistake.
struct Manque {
    enum class Genre { Dossier, Script, Questions, Image };
    Genre genre;
    platform::FileError erreur;
    QStringList constats;
};

struct Seance {
    QString cours;    // the course folder, the one holding SeanceN/
    int numero = 1;
    QString dossier;  // cours/SeanceN
    // From its first slide (its title slide), once its pictures are read (LireImages): what follows
    // "Séance N :" on the line that starts so, else the slide's first line of text, else "Séance N".
    QString titre;
    // What each page shows: its seance.toml, or for a Seance1/ without one the program's own
    // (scriptIntegre). No page while the script is a manque.
    ScriptSeance script;
    bool scriptIntegre = false;
    BanqueQuestions banque;
    // In the order they were found: its folder, its script, its questions, then its pictures.
    std::vector<Manque> manques;

    // Séance 1 as the program holds it: its own pages and questions, in the current folder.
    static const Seance& Integree();

    bool Prete() const { return manques.empty(); }
    const Manque* ManqueDe(Manque::Genre genre) const;
    // What the lesson stops on before any window, the first it reads: its questions, then its script.
    // A missing folder is not one: séance 1 then plays its own pages and stops on its first slide.
    const platform::FileError* Empechement() const;
    // The check's lines: the folder alone when it is missing, else everything found.
    QStringList Constats() const;
};

// Séance 1's pages as the program holds them (seance1.toml, compiled in), read by the script reader.
const ScriptSeance& ScriptIntegre();

// Séance number numero of the course in cours: its script (read, each file it names looked for)
// and its questions (read, and written: no « À compléter » left). Never throws: what is wrong is
// in manques. Pictures are not loaded.
Seance ChargerSeance(const QString& cours, int numero);

// The séance the lesson plays: ChargerSeance's, or the platform::FileError it stops on (Empechement).
Seance SeanceAJouer(const QString& cours, int numero);

// Loads every picture the séance shows, as the lesson will: a broken one becomes a manque here
// rather than stopping the lesson in its middle. Then reads its title. Needs a platform.
void LireImages(Seance& seance);
// Reads its title alone, from its title slide (the first picture the lesson shows); a slide that
// cannot be read leaves "Séance N". Needs a platform.
void LireTitre(Seance& seance);
// The title a title slide's text gives: what follows "Séance N :" on the line that starts so, else
// its first line.
QString TitreDeDiapositive(const QString& texte);

}  // namespace content
