#pragma once
// The photographs of the demo course (illustrations drawn for their page) and the small
// pictures embedded in some slides as bitmaps.

#include <QImage>
#include <QString>
#include <QStringList>

namespace demo {

// Img<number>.jpg at the size that layout.h gives it.
QImage DrawPhoto(int number);
// The lightning-and-atom emblem of the title slide.
QImage EmblemBitmap();
// A dry cell, embedded in the slide on the cell.
QImage CellBitmap();
// Séance 2's photographs, by file name (as its script names them), 280 x 210 pixels.
QStringList Seance2Photos();
QImage DrawSeance2Photo(const QString& name);

// Writes a photograph as JPEG, the same bytes on every run; throws std::runtime_error when it cannot.
void WriteJpeg(const QImage& image, const QString& path);

}  // namespace demo
