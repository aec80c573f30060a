#pragma once
// seance1 --storyboard FILE.pdf: the whole lesson on paper for a teacher or an author, written
// from the course folder it is run in by running the course itself on the offline platform.

#include <QString>
#include <QStringList>

namespace storyboard {

struct Outcome {
    bool ok = false;
    QString message;  // plain French: what was written, or why nothing was
    int sheets = 0;
};

// Writes the storyboard of séance number seance of the course in folder (the one holding Seance1/)
// to pdfPath. The file appears whole or not at all, and an earlier file of that name stays as it
// was on failure. Same course files, same PDF. Needs a QApplication.
Outcome Write(const QString& folder, const QString& pdfPath, int seance = 1);

// Sets what must be set before the application object exists, for the same bytes on every run
// and every machine; no screen is needed.
void PrepareForPaper();

}  // namespace storyboard
