#pragma once
// The séances of a course folder as the menu lists them: number, title, and whether each can be
// played, with the reason when it cannot.

#include <QList>
#include <QString>
#include <vector>

namespace cours {

struct SeanceDuCours {
    int numero = 0;
    QString titre;  // content::Seance's
    // In French, why it cannot be played; empty when it can.
    QString indisponible;
    bool Disponible() const { return indisponible.isEmpty(); }
};

// True when folder holds two séances or more: the program then starts on the course's menu.
bool EstUnCours(const QString& dossier);

// Every SeanceN/ of the folder, in order, each read as the lesson reads it (its questions, its
// script, every picture it shows). Needs a platform: pictures are loaded through it.
std::vector<SeanceDuCours> SeancesDuCours(const QString& dossier);

}  // namespace cours
