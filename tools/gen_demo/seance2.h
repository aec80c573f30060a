#pragma once
// Séance 2 of the demo course, made as a teacher would make it: the slides as one PDF (as a
// presentation program exports them), photographs, an animation of its own (frames and an
// interval), twenty GIFT questions and the script that says what each page does.

#include <QString>

namespace demo {

// Writes Seance2/ and the course's cours.toml into the course folder out; throws std::runtime_error when a file cannot be written.
void WriteSeance2(const QString& out);

}  // namespace demo
