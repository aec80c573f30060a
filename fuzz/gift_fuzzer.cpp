// Any bytes as a course's questions file: read or refused; a bank that is read must come back the
// same through the export, since the export is what a teacher carries to Moodle and back.

#include "content/banque.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
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
