#pragma once
// Reading a results journal (see recording/journal.h for how it is written): one JSON statement a
// line; a line that is not one is skipped with its reason, and a statement written twice is read once.
// Whole statements, for the learner's recording, which reads its own journal back to catch up what
// the class folder lacks and to send it; the teacher's side reads the fields it counts
// (lecture_declarations.h).

#include <QJsonObject>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

namespace resultats {

struct LigneIgnoree {
    QString fichier;
    int ligne;
    QString raison;
};

struct Lecture {
    // In file order, each id once; or, when recevoir is set, handed to it one by one instead of kept.
    std::vector<QJsonObject> declarations;
    std::function<void(const QJsonObject&)> recevoir;
    std::vector<LigneIgnoree> ignorees;
    QSet<QString> ids;  // a statement written again after a failed flush is read once
};

// Reads one journal file into lecture; returns false (with the reason in ignorees, line 0) if the
// file cannot be read at all.
bool LireJournal(const QString& chemin, Lecture& lecture);
// Every journal (*.jsonl) in the folder, files in name order. Also false if the folder is unreadable.
bool LireDossier(const QString& dossier, Lecture& lecture);

}  // namespace resultats
