#pragma once
// What the lesson reads from its folder, and whether each file will do. The content checker and
// the storyboard both start from these lists and load each picture with the lesson's own loader.

#include <QSizeF>
#include <QString>
#include <QStringList>

namespace content {

struct Seance;

// The two wave files the lesson plays, relative to its folder.
QStringList Sounds();

struct Report {
    QStringList problems;  // one plain French line per missing or broken picture
    QStringList warnings;  // sounds: the lesson goes on without them, silently
    // The mistakes of the course's rules (cours.toml): every séance still plays, with a course's usual rules.
    QStringList regles;
    int checked = 0;
    bool CourseWillRun() const { return problems.isEmpty(); }
};

// Checks every séance under folder (the folder that holds Seance1/, Seance2/ ...): each one's
// script, and every file its script (séance 1's own pages, without one) names; and the course's
// own rules (cours.toml).
Report CheckFolder(const QString& folder);

// The séances of the course in folder: the numbers of its SeanceN/ folders (1 to 99), in order.
QList<int> Seances(const QString& folder);

// The files séance number seance reads, relative to folder: its slides, then its photographs and
// frames, then its questions file. Nothing but the questions file when its script cannot be read.
QStringList FilesOfSeance(const QString& folder, int seance);
// The pictures séance reads, relative to its course folder: its slides, then its photographs and frames.
QStringList FilesOfSeance(const Seance& seance);

// The largest width and the largest height, in twips, of the slides of séance number seance under
// folder that can be shown; empty when none can, or when its slides are drawn at the screen's size.
// What a lesson fitted to the screen must make room for.
QSizeF LargestSlide(const QString& folder, int seance = 1);
QSizeF LargestSlide(const Seance& seance);

}  // namespace content
