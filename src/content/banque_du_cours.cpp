// The lesson's side of the bank: a questions file it cannot use stops it as any other course file
// does. Apart from banque.cpp, so that the reader stands without the platform (its fuzzer does).

#include "content/banque.h"
#include "platform/platform.h"

namespace content {

BanqueQuestions BanqueDuCours(const QString& dossier, int seance) {
    LectureGift lecture = Charger(dossier, seance);
    if (!lecture.Reussie())
        throw platform::FileError(lecture.fichier, QStringLiteral("ligne %1 : %2").arg(lecture.ligne).arg(lecture.message));
    return std::move(*lecture.banque);
}

}  // namespace content
