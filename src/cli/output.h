#pragma once
// What a command leaves on the terminal: its texts, in the order they are to be written, and its
// exit status. Commands build one; Emit is the one place that writes and exits.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace cli {

struct Output {
    enum class Stream { Out, Err };
    std::vector<std::pair<Stream, QByteArray>> parts;
    int status = 0;

    Output& Out(const QByteArray& bytes);
    Output& Out(const QString& text) { return Out(text.toUtf8()); }
    Output& Err(const QString& text);
    // A failure: text to the standard error, and status.
    Output& Fail(const QString& text, int code = 1);

    // A command that says one line of what it did: on the standard output when done, else on the
    // standard error with status 1.
    static Output Line(bool done, const QString& line);
};

// Writes the parts to the standard output and error, each flushed, and returns the status.
int Emit(const Output& output);

}  // namespace cli
