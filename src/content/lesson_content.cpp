#include "content/lesson_content.h"

#include "content/banque.h"
#include "content/readiness.h"
#include "content/script_seance.h"

#include "platform/picture.h"
#include "platform/platform.h"
#include "platform/wave_decode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace content {

QStringList Slides() {
    QStringList out;
    for (int n = 0; n <= 18; ++n) out << QStringLiteral("Seance1/Diapo%1.emf").arg(n);
    return out;
}

QStringList Photographs() {
    QStringList out;
    for (int n : {1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20})
        out << QStringLiteral("Seance1/Img%1.jpg").arg(n);
    return out;
}

QStringList Sounds() { return {QStringLiteral("Bravo.wav"), QStringLiteral("SonMCM.wav")}; }

namespace {

// Loads a picture exactly as the lesson does; returns the reason it cannot be shown, or nothing.
QString PictureProblem(const QString& path) {
    try {
        const platform::Picture picture = platform::LoadPicture(path);
        const QSizeF size = picture.SizeTwips();
        if (picture.IsNull() || size.width() < 1 || size.height() < 1)
            return platform::FileError(path, QStringLiteral("l'image n'a aucune taille")).message();
        return {};
    } catch (const platform::FileError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return platform::FileError(path, QString::fromLocal8Bit(e.what())).message();
    }
}

// Decoded exactly as the lesson does: a file it cannot decode is never heard.
QString SoundProblem(const QString& path) {
    if (!QFileInfo::exists(path))
        return QStringLiteral("Le son « %1 » est introuvable : la leçon se déroulera sans lui.").arg(path);
    if (!platform::DecodeWaveFile(path))
        return QStringLiteral("Le son « %1 » n'est pas un fichier WAVE lisible : la leçon se déroulera sans lui.")
            .arg(path);
    return {};
}

}  // namespace

QList<int> Seances(const QString& folder) {
    QList<int> out;
    for (int n = 1; n <= 99; ++n)
        if (QFileInfo(QDir(folder).filePath(QStringLiteral("Seance%1").arg(n))).isDir()) out << n;
    return out;
}

namespace {

struct FichiersSeance {
    QStringList diapositives, autres;  // relative to the course folder
    QStringList problemes;             // the script's mistakes, or that it is missing
};

FichiersSeance Fichiers(const QString& folder, int seance) {
    FichiersSeance f;
    const QString nom = QStringLiteral("Seance%1").arg(seance);
    const std::optional<LectureScript> lecture = LireScript(QDir(folder).filePath(nom));
    if (!lecture) {
        if (seance == 1) {
            f.diapositives = Slides();
            f.autres = Photographs();
        } else {
            f.problemes << QStringLiteral("Le dossier « %1 » n'a pas de script « %2 » : il dit ce que montre chaque page de la séance.")
                               .arg(QDir::toNativeSeparators(QDir(folder).filePath(nom)), kNomScript);
        }
        return f;
    }
    if (!lecture->Reussie()) {
        for (const QString& texte : lecture->erreurs.Textes()) f.problemes << QDir::toNativeSeparators(texte);
        return f;
    }
    for (const ScriptSeance::Fichier& fichier : lecture->script->Fichiers())
        (fichier.diapositive ? f.diapositives : f.autres) << nom + QLatin1Char('/') + fichier.nom;
    return f;
}

}  // namespace

QStringList FilesOfSeance(const QString& folder, int seance) {
    const FichiersSeance f = Fichiers(folder, seance);
    return f.diapositives + f.autres + QStringList{CheminQuestions(seance)};
}

Report CheckFolder(const QString& folder) {
    Report report;
    const QDir root(folder);
    const QString media = root.filePath(QStringLiteral("Seance1"));
    if (!QFileInfo(media).isDir()) {
        report.problems << QStringLiteral("Le dossier « %1 » est introuvable : il doit contenir les diapositives "
                                          "et les photographies de la leçon.")
                               .arg(QDir::toNativeSeparators(media));
    }
    for (const int seance : Seances(folder)) {
        const FichiersSeance fichiers = Fichiers(folder, seance);
        if (!fichiers.problemes.isEmpty()) {
            ++report.checked;
            report.problems << fichiers.problemes;
            continue;
        }
        for (const QString& name : fichiers.diapositives + fichiers.autres) {
            ++report.checked;
            const QString problem = PictureProblem(QDir::toNativeSeparators(root.filePath(name)));
            if (!problem.isEmpty()) report.problems << problem;
        }
        // Each séance's own questions, when it has them, are read as the lesson will read them;
        // a séance other than the first must have them.
        const QString questions = QDir::toNativeSeparators(root.filePath(CheminQuestions(seance)));
        if (QFileInfo::exists(questions) || seance != 1) {
            ++report.checked;
            const LectureGift lecture = Charger(folder, seance);
            if (!lecture.Reussie())
                report.problems << lecture.Texte();
            else if (const QString reste = QuestionsLeft(*lecture.banque); !reste.isEmpty())
                report.problems << QStringLiteral("%1 : %2.").arg(questions, reste);
        }
    }
    for (const QString& name : Sounds()) {
        ++report.checked;
        const QString problem = SoundProblem(QDir::toNativeSeparators(root.filePath(name)));
        if (!problem.isEmpty()) report.warnings << problem;
    }
    return report;
}

QSizeF LargestSlide(const QString& folder, int seance) {
    QSizeF largest;
    for (const QString& name : Fichiers(folder, seance).diapositives) {
        // Loaded as the lesson loads it, by the same path: it is then ready when its page comes.
        try {
            const QSizeF size = platform::LoadPicture(folder + QLatin1Char('/') + name).SizeTwips();
            largest = largest.expandedTo(size);
        } catch (const platform::FileError&) {
            // Told to the learner when its page comes, as without fitting.
        }
    }
    return largest;
}

}  // namespace content
