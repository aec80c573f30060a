// The lesson's side of the bank: a questions file it cannot use stops it as any other course file
// does. Apart from banque.cpp, so that the reader stands without the platform (its fuzzer does).

#include "content/banque.h"
#include "content/readiness.h"
#include "platform/platform.h"

namespace content {

BanqueQuestions BanqueDuCours(const QString& dossier, int seance) {
    LectureGift lecture = Charger(dossier, seance);
    if (!lecture.Reussie())
        throw platform::FileError(lecture.fichier, QStringLiteral("ligne %1 : %2").arg(lecture.ligne).arg(lecture.message));
    // A new séance's questions still « À compléter » are never put to a learner.
    if (const QString reste = QuestionsLeft(*lecture.banque); !reste.isEmpty()) throw platform::FileError(lecture.fichier, reste);
    return std::move(*lecture.banque);
}

}  // namespace content
