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

// Text written in a picture font, as the Unicode characters its slots show; other text as is.
QString SymbolText(SymbolSet set, const QString& text);

}  // namespace platform::emf
