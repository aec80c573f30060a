// Any bytes as a course's questions file: read or refused; a bank that is read must come back the
// same through the export, since the export is what a teacher carries to Moodle and back.

#include "content/banque.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Every kind of question: each mistake has its line and its reason, each question read can be graded.
    const content::LectureQuestions toutes = content::LireQuestionsGift(bytes, QStringLiteral("questions.gift"));
    for (const content::Erreur& e : toutes.erreurs.liste)
        if (e.ligne < 1 || e.message.isEmpty()) std::abort();
    for (const content::QuestionGift& q : toutes.questions) {
        const double f = content::Fraction(q, {{0, 1}, q.texte});
        if (!(f >= 0 && f <= 1)) std::abort();
    }
    const content::LectureGift lecture = content::LireGiftDonnees(bytes, QStringLiteral("questions.gift"));
    if (!lecture.Reussie()) {
        if (lecture.ligne < 1 || lecture.message.isEmpty()) std::abort();
        return 0;
    }
    const content::LectureGift relue =
        content::LireGiftDonnees(content::EcrireGift(*lecture.banque, QStringLiteral("Séance 1")), QStringLiteral("x"));
    if (!relue.Reussie() || !(*relue.banque == *lecture.banque)) std::abort();
    return 0;
}
