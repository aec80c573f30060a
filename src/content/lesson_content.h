#pragma once
// What the lesson reads from its folder, and whether each file will do. The content checker and
// the storyboard both start from these lists and load each picture with the lesson's own loader.

#include <QSizeF>
#include <QString>
#include <QStringList>

namespace content {

// The files the lesson reads, relative to its folder: the nineteen slides and the photographs
// in Seance1/, then the two wave files beside it.
QStringList Slides();
QStringList Photographs();
QStringList Sounds();

struct Report {
    QStringList problems;  // one plain French line per missing or broken picture
    QStringList warnings;  // sounds: the lesson goes on without them, silently
    int checked = 0;
    bool CourseWillRun() const { return problems.isEmpty(); }
};

// Checks every file under folder (the folder that holds Seance1/).
Report CheckFolder(const QString& folder);

// The largest width and the largest height, in twips, of the slides under folder that can be
// shown; empty when none can. What a lesson fitted to the screen must make room for.
QSizeF LargestSlide(const QString& folder);

}  // namespace content
