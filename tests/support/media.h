#pragma once
// Small media files of known sizes for course tests.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <functional>
#include <vector>

namespace testsupport {

// A valid enhanced metafile with nothing drawn, whose header frame is frameW × frameH (0.01 mm).
void WriteEmf(const QString& path, int frameW, int frameH);
// A JPEG photograph of w × h pixels in one colour.
void WriteJpeg(const QString& path, int w, int h, const QColor& color = Qt::darkGreen);

// A PDF as a presentation program exports its slides: one page per slide, each of its own size in
// points, drawn by its function with the painter in points from the page's top-left corner (the
// painter goes on from one page to the next, its pen and font as the last page left them).
struct PdfSlide {
    QSizeF points;
    std::function<void(QPainter&)> draw;
};
void WritePdf(const QString& path, const std::vector<PdfSlide>& slides);

// Makes folder/SeanceN with its script, seance.toml, and twenty questions of four answers in its
// questions.gift (the right one first, "oui"); returns the séance's folder, "…/SeanceN/". Its
// slides and pictures are the caller's to write.
QString WriteSeance(const QString& folder, int seance, const QByteArray& script);

// Twips of a frame given in hundredths of a millimetre.
inline double FrameTwips(int frame) { return frame * 1440.0 / 2540.0; }

// Fills folder/Seance1 with the slides Diapo0 to Diapo18 (frames of 127 × k so that twips are
// whole: 27051 × 20320 → 15336 × 11520 twips) and every photograph, each a distinct size.
void WriteCourse(const QString& folder);
// Pixel size of photograph Img<n>.jpg as WriteCourse makes it.
int PhotoWidth(int n);
int PhotoHeight(int n);
// Share of the pixels of two pictures of one size whose channels differ by more than a few
// levels (1 for pictures of different sizes).
double Differing(const QImage& a, const QImage& b);

constexpr int kSlideFrameW = 27051;
constexpr int kSlideFrameH = 20320;

}  // namespace testsupport
