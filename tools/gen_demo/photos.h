#pragma once
// The photographs of the demo course (illustrations drawn for their page) and the small
// pictures embedded in some slides as bitmaps.

#include <QImage>

namespace demo {

// Img<number>.jpg at the size that layout.h gives it.
QImage DrawPhoto(int number);
// The lightning-and-atom emblem of the title slide.
QImage EmblemBitmap();
// A dry cell, embedded in the slide on the cell.
QImage CellBitmap();

}  // namespace demo
