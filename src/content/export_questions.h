#pragma once
// seance1 --export-questions FICHIER.gift: the bank the lesson asks, for a teacher's Moodle.

#include <QString>

namespace content {

// Writes the bank of séance number seance of the course in the current directory (its
// SeanceN/questions.gift, or séance 1's built-in questions) to fichier. Says what it did in French;
// 0 on success, 1 on failure.
int CommandeExportQuestions(const QString& fichier, int seance = 1);

}  // namespace content
