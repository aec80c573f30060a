#pragma once
// "seance1 --new-seance N --from diapos.pdf": a new séance made from a presentation exported as
// PDF, ready to play but for its questions. SeanceN/ gets the PDF (as SeanceN.pdf), a script with
// a title page (the PDF's first page), one slide page for each other page, the evaluation and the
// closing page, and a questions.gift of twenty questions « À compléter ».

#include <QString>

namespace content {

// How long a slide page's loop runs, in the lesson's 100 ms ticks, before the learner goes on.
inline constexpr int kFinParDefaut = 50;

struct SkeletonOutcome {
    bool ok = false;
    QString message;  // plain French: what was written, or why nothing was
    int pages = 0;    // pages of the PDF
};

// Writes SeanceN/ in courseFolder from pdfPath. Refuses to touch an existing SeanceN/ (or a file
// of that name); the folder appears whole or not at all.
SkeletonOutcome WriteSeanceSkeleton(const QString& courseFolder, int seance, const QString& pdfPath);

// The script and the questions file of such a séance, for a PDF of so many pages named pdfName in
// the séance's folder.
QByteArray SkeletonScript(int seance, const QString& pdfName, int pages);
QByteArray SkeletonQuestions(int seance);

}  // namespace content
