#pragma once
// The two wave files of the evaluation, synthesised.

#include <QString>

namespace demo {

// A bright rising chime (right answer).
void WriteBravo(const QString& path);
// A low, short two-tone buzz (wrong answer).
void WriteSonMcm(const QString& path);

}  // namespace demo
