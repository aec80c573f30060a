#include "content/export_questions.h"

#include "content/banque.h"

#include <QDir>
#include <QSaveFile>

namespace content {

Export ExporterQuestions(const QString& dossier, const QString& fichier, int seance) {
    const LectureGift lecture = Charger(dossier, seance);
    if (!lecture.Reussie())
        return {false, QStringLiteral("Les questions du cours ne peuvent pas être exportées : ") + lecture.Texte()};
    QSaveFile out(fichier);
    if (!out.open(QIODevice::WriteOnly) || out.write(EcrireGift(*lecture.banque, QStringLiteral("Séance %1").arg(seance))) < 0 ||
        !out.commit())
        return {false, QStringLiteral("Impossible d'écrire « %1 » : %2.").arg(QDir::toNativeSeparators(fichier), out.errorString())};
    const QString origine = lecture.fichier.isEmpty() ? QStringLiteral("les questions intégrées")
                                                      : QStringLiteral("« %1 »").arg(lecture.fichier);
    return {true, QStringLiteral("Vingt questions exportées dans « %1 » depuis %2 (banque %3).")
                      .arg(QDir::toNativeSeparators(fichier), origine, lecture.banque->Identite())};
}

}  // namespace content
