#pragma once
// Where things land on each slide: the photographs of the demo course with their sizes, and the
// areas of each page that the lesson covers with photographs, animation frames, strips or labels.

#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

namespace demo {

// The photographs the lesson reads, with their size in pixels.
struct PhotoSpec {
    int number;  // Img<number>.jpg
    QSize size;
};
const QList<PhotoSpec>& Photos();
QSize PhotoSize(int number);

// An area of a slide (slide pixels) that the lesson covers when the page runs, placed by the
// page's own formulas for a 1024 x 768 slide centred on a 1920 x 1080 screen.
struct Landing {
    QString what;  // "Img1.jpg", "frames 111-115", ...
    QRectF rect;
    bool photograph;  // a photograph: must lie inside the slide and cover no other photograph
};
QList<Landing> Landings(int page);

}  // namespace demo
