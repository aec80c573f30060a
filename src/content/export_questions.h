#pragma once
// The bank the lesson asks, in GIFT for a teacher's Moodle (seance1 --export-questions FICHIER.gift).

#include <QString>

namespace content {

struct Export {
    bool ok = false;
    QString message;  // French, one line: what was written, or why nothing was
};

// Writes the bank of séance number seance of the course in dossier (its SeanceN/questions.gift, or
// séance 1's built-in questions) to fichier, whole or not at all.
Export ExporterQuestions(const QString& dossier, const QString& fichier, int seance = 1);

}  // namespace content
