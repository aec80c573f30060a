#pragma once
// What is left to write in a séance made by "seance1 --new-seance": its questions. Whether a
// séance can be taken is ChargerSeance's (seance.h); the menu shows one that is not ready as such,
// check_content and --check say what is left.

#include "content/banque.h"

#include <QString>
#include <array>

namespace content {

// Written in every question and answer of a new séance's questions.gift, until its teacher
// writes them.
inline const QString kACompleter = QStringLiteral("À compléter");
// The texts of question numero as a new séance's questions.gift gives them: a question still one
// of them is still to write. Whole texts, so that a teacher's own "à compléter" is never taken for one.
QString QuestionACompleter(int numero);
const std::array<QString, 4>& ReponsesACompleter();

// The questions of banque still to write and how, in French without a full stop; empty when none is.
QString QuestionsLeft(const BanqueQuestions& banque);

}  // namespace content
