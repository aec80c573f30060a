#pragma once

#include <QString>

// Text written for the eye, as a screen reader should say it: "15/20" as "15 sur 20", the lines of a
// slide as sentences, and no sign that a screen reader would name aloud (";", ":", "/", brackets,
// quotes, dashes, bullets).
QString TexteParle(const QString& texte);
