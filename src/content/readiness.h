#pragma once
// Whether a séance of the course can be taken, and what is left to do when not: a séance made by
// "seance1 --new-seance" holds questions to write. The menu shows a séance that is not ready as
// such; check_content and --check say what is left.

#include "content/banque.h"

#include <QString>
#include <QStringList>
#include <array>

namespace content {

// Written in every question and answer of a new séance's questions.gift, until its teacher
// writes them.
inline const QString kACompleter = QStringLiteral("À compléter");
// The texts of question numero as a new séance's questions.gift gives them: a question still one
// of them is still to write. Whole texts, so that a teacher's own "à compléter" is never taken for one.
QString QuestionACompleter(int numero);
const std::array<QString, 4>& ReponsesACompleter();

struct Readiness {
    QStringList left;  // plain French lines, each one thing to do; none when the séance is ready
    bool Ready() const { return left.isEmpty(); }
};

// Séance number seance of the course in folder (the one holding SeanceN/): its folder, its script
// (read, each file it names there), its questions (read, and written: no « À compléter » left).
// Pictures are not drawn: CheckFolder does that.
Readiness ReadinessOfSeance(const QString& folder, int seance);

// The questions of banque still to write and how, in French without a full stop; empty when none is.
QString QuestionsLeft(const BanqueQuestions& banque);

}  // namespace content
