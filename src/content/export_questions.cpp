#include "content/export_questions.h"

#include "content/banque.h"

#include <QDir>
#include <QSaveFile>
#include <QTextStream>

namespace content {

int CommandeExportQuestions(const QString& fichier, int seance) {
    QTextStream err(stderr);
    const LectureGift lecture = Charger(QDir::currentPath(), seance);
    if (!lecture.Reussie()) {
        err << QStringLiteral("Les questions du cours ne peuvent pas être exportées : ") << lecture.Texte() << Qt::endl;
        return 1;
    }
    QSaveFile out(fichier);
    if (!out.open(QIODevice::WriteOnly) || out.write(EcrireGift(*lecture.banque, QStringLiteral("Séance %1").arg(seance))) < 0 ||
        !out.commit()) {
        err << QStringLiteral("Impossible d'écrire « %1 » : %2.").arg(QDir::toNativeSeparators(fichier), out.errorString())
            << Qt::endl;
        return 1;
    }
    const QString origine = lecture.fichier.isEmpty() ? QStringLiteral("les questions intégrées")
                                                      : QStringLiteral("« %1 »").arg(lecture.fichier);
    QTextStream(stdout) << QStringLiteral("Vingt questions exportées dans « %1 » depuis %2 (banque %3).")
                               .arg(QDir::toNativeSeparators(fichier), origine, lecture.banque->Identite())
                        << Qt::endl;
    return 0;
}

}  // namespace content
