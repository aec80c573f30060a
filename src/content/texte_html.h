#pragma once

#include <QString>

namespace content {

// What an HTML fragment shows in the lesson's controls, which show plain text only: tags read, white
// space folded and character references decoded as a browser does; a line break (<br>) and a new
// paragraph (<p>, <div>) become a line break; <sub> and <sup> become the Unicode subscript and
// superscript characters. A tag that would show otherwise (bold, a link, a picture...) or a sub- or
// superscript without such characters is not shown differently: refus then says why, in French.
struct TexteHtml {
    QString texte;
    QString refus;
};

TexteHtml LireHtml(const QString& html);

}  // namespace content
