#pragma once
// What toml++ says when a text is not TOML, said in French for the teacher who wrote it: its
// messages by kind, and a French sentence for any other, so that no English reaches them.

#include <QByteArray>
#include <QString>

#include <string_view>

namespace content {

// description: toml++'s own message; document, line, column: the text and where toml++ stopped
// (from 1). The sentence has no full stop and says what to write instead.
QString TomlErrorInFrench(std::string_view description, const QByteArray& document, int line, int column);

}  // namespace content
