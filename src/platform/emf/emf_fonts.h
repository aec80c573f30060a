#pragma once

#include <QString>

namespace platform::emf {

// Picture fonts put their symbols in the letter slots; their text is only right once each
// slot is turned into the Unicode character it shows.
enum class SymbolSet { None, Symbol, Wingdings, Wingdings2 };

struct FaceMapping {
    QString family;  // an installed face with the same metrics, or one that has the symbols
    SymbolSet symbols = SymbolSet::None;
};

// The writer's face name (Arial, Times New Roman, Symbol, Wingdings…) as we can draw it here.
FaceMapping MapFace(const QString& face);

// The character a glyph index of the writer's face stands for, where that face's glyph order is
// known to differ from its stand-in's; 0 where the index can be passed on as it is.
char32_t WriterGlyphChar(const QString& face, quint32 glyph);

// Text written in a picture font, as the Unicode characters its slots show; other text as is.
QString SymbolText(SymbolSet set, const QString& text);

}  // namespace platform::emf
