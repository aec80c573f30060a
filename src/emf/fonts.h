#pragma once

#include <QString>
#include <vector>

class QGlyphRun;
class QPainter;
class QRawFont;
class QPointF;

namespace emf::detail {

// Picture fonts put their symbols in the letter slots; their text is only right once each
// slot is turned into the Unicode character it shows.
enum class SymbolSet { None, Symbol, Wingdings, Wingdings2 };

struct FaceMapping {
    QString family;  // an installed face with the same metrics, or one that has the symbols
    SymbolSet symbols = SymbolSet::None;
};

// The writer's face name (Arial, Times New Roman, Symbol, Wingdings…) as we can draw it here.
FaceMapping MapFace(const QString& face);

// The stand-in's glyph for a glyph number of the writer's face: the same number, except where
// that face's glyph order is known to differ from the stand-in's.
quint32 StandInGlyph(const QRawFont& raw, const QString& face, quint32 glyph);

// Glyph numbers of the writer's face as the characters they show, where the stand-in's character
// map tells; a glyph it cannot tell is left out.
QString GlyphText(const QRawFont& raw, const QString& face, const std::vector<quint32>& glyphs);

// Text written in a picture font, as the Unicode characters its slots show; other text as is.
QString SymbolText(SymbolSet set, const QString& text);

// The face's glyph for the first character of the text; 0 when it has none.
quint32 FirstGlyph(const QRawFont& raw, const QString& text);

// Text through the painter, except that glyphs which would come out hundreds of pixels along
// either side are filled as outlines: the painter's glyph cache sizes its image by the glyph's
// area, which a stretched transform keeps small while one side grows immense.
void DrawGlyphs(QPainter& p, const QGlyphRun& run);
void DrawTextAt(QPainter& p, const QPointF& at, const QString& text);
bool GlyphsTooLargeForCache(const QPainter& p);

// Output pixels per painter pixel: a one-pixel line or glyph threshold on a high-density display
// counts in the display's own pixels.
double DevicePixelRatio(const QPainter& p);

}  // namespace emf::detail
