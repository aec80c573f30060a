#include "cli/output.h"

#include <cstdio>

namespace cli {

Output& Output::Out(const QByteArray& bytes) {
    parts.emplace_back(Stream::Out, bytes);
    return *this;
}

Output& Output::Err(const QString& text) {
    parts.emplace_back(Stream::Err, text.toUtf8());
    return *this;
}

Output& Output::Fail(const QString& text, int code) {
    status = code;
    return Err(text);
}

Output Output::Line(bool done, const QString& line) {
    Output o;
    if (done) return o.Out(line + QLatin1Char('\n'));
    return o.Fail(line + QLatin1Char('\n'));
}

int Emit(const Output& output) {
    for (const auto& [stream, bytes] : output.parts) {
        FILE* f = stream == Output::Stream::Out ? stdout : stderr;
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
        std::fflush(f);
    }
    return output.status;
}

}  // namespace cli
