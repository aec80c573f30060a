#pragma once
// Small media files of known sizes for course tests.

#include <QColor>
#include <QString>

namespace testsupport {

// A valid enhanced metafile with nothing drawn, whose header frame is frameW × frameH (0.01 mm).
void WriteEmf(const QString& path, int frameW, int frameH);
// A JPEG photograph of w × h pixels in one colour.
void WriteJpeg(const QString& path, int w, int h, const QColor& color = Qt::darkGreen);

// Twips of a frame given in hundredths of a millimetre.
inline double FrameTwips(int frame) { return frame * 1440.0 / 2540.0; }

// Fills folder/Seance1 with the slides Diapo0 to Diapo18 (frames of 127 × k so that twips are
// whole: 27051 × 20320 → 15336 × 11520 twips) and every photograph, each a distinct size.
void WriteCourse(const QString& folder);
// Pixel size of photograph Img<n>.jpg as WriteCourse makes it.
int PhotoWidth(int n);
int PhotoHeight(int n);
constexpr int kSlideFrameW = 27051;
constexpr int kSlideFrameH = 20320;

}  // namespace testsupport
