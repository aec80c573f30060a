// The lesson's side of the script: one it cannot use stops it as any other course file does, before
// any window. Apart from script_seance.cpp, so that the reader stands without the platform (its
// fuzzer does).

#include "content/script_seance.h"
#include "platform/platform.h"

#include <QDir>

namespace content {

std::optional<ScriptSeance> ScriptDuCours(const QString& dossier, int seance) {
    const QString dossierSeance = QDir(dossier).filePath(QStringLiteral("Seance%1").arg(seance));
    std::optional<LectureScript> lecture = LireScript(dossierSeance);
    if (!lecture) {
        if (seance == 1) return std::nullopt;
        throw platform::FileError(QDir::toNativeSeparators(QDir(dossierSeance).filePath(kNomScript)),
                                  QStringLiteral("le fichier est introuvable : il dit ce que montre chaque page de la séance %1")
                                      .arg(seance));
    }
    if (!lecture->Reussie())
        throw platform::FileError(QDir::toNativeSeparators(QDir(dossier).filePath(lecture->fichier)), lecture->erreurs.Raison());
    return std::move(lecture->script);
}

}  // namespace content
