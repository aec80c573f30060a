#pragma once

#include <QString>

namespace content {

// What an HTML fragment shows: no tags, entities decoded, white space folded as a browser does.
QString SansHtml(const QString& html);

}  // namespace content
