#include "content/lesson_content.h"

#include "content/banque.h"
#include "content/regles_cours.h"
#include "content/script_seance.h"
#include "content/seance.h"

#include "platform/picture.h"
#include "platform/platform.h"
#include "platform/wave_decode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace content {

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
        if (QFileInfo(QDir(folder).filePath(NomDossierSeance(n))).isDir()) out << n;
    return out;
}

namespace {

struct FichiersSeance {
    QStringList diapositives, autres, sons;  // relative to the course folder
};

FichiersSeance Fichiers(const Seance& seance) {
    FichiersSeance f;
    const QString nom = NomDossierSeance(seance.numero);
    for (const ScriptSeance::Fichier& fichier : seance.script.Fichiers())
        (fichier.diapositive ? f.diapositives : f.autres) << nom + QLatin1Char('/') + fichier.nom;
    for (const ScriptSeance::Fichier& son : seance.script.Sons()) f.sons << nom + QLatin1Char('/') + son.nom;
    return f;
}

}  // namespace

QStringList FilesOfSeance(const Seance& seance) {
    const FichiersSeance f = Fichiers(seance);
    return f.diapositives + f.autres;
}

QStringList FilesOfSeance(const QString& folder, int seance) {
    return FilesOfSeance(ChargerSeance(folder, seance)) + QStringList{CheminQuestions(seance)};
}

Report CheckFolder(const QString& folder) {
    Report report;
    const QDir root(folder);
    const QString media = root.filePath(NomDossierSeance(1));
    if (!QFileInfo(media).isDir()) {
        report.problems << QStringLiteral("Le dossier « %1 » est introuvable : il doit contenir les diapositives "
                                          "et les photographies de la leçon.")
                               .arg(QDir::toNativeSeparators(media));
    }
    for (const int seance : Seances(folder)) {
        const Seance lue = ChargerSeance(folder, seance);
        if (const Manque* script = lue.ManqueDe(Manque::Genre::Script)) {
            ++report.checked;
            report.problems << script->constats;
            continue;
        }
        const FichiersSeance fichiers = Fichiers(lue);
        for (const QString& name : fichiers.diapositives + fichiers.autres) {
            ++report.checked;
            const QString problem = PictureProblem(QDir::toNativeSeparators(root.filePath(name)));
            if (!problem.isEmpty()) report.problems << problem;
        }
        for (const QString& name : fichiers.sons) {
            ++report.checked;
            const QString chemin = QDir::toNativeSeparators(root.filePath(name));
            if (!platform::DecodeWaveFile(chemin))
                report.problems << QStringLiteral("Le son « %1 » ne peut pas être lu (un fichier WAV, FLAC, Ogg Vorbis ou MP3 "
                                                  "est attendu) : réenregistrez-le ou exportez-le à nouveau.").arg(chemin);
        }
        // Each séance's own questions, when it has them, are read as the lesson will read them;
        // a séance other than the first must have them.
        const QString questions = QDir::toNativeSeparators(root.filePath(CheminQuestions(seance)));
        if (QFileInfo::exists(questions) || seance != 1) {
            ++report.checked;
            if (const Manque* m = lue.ManqueDe(Manque::Genre::Questions)) report.problems << m->constats;
        }
    }
    const ReglesCours regles = LireReglesCours(folder);
    if (regles.fichier) ++report.checked;
    report.regles = regles.erreurs.Textes();
    for (const QString& name : Sounds()) {
        ++report.checked;
        const QString problem = SoundProblem(QDir::toNativeSeparators(root.filePath(name)));
        if (!problem.isEmpty()) report.warnings << problem;
    }
    return report;
}

QSizeF LargestSlide(const QString& folder, int seance) { return LargestSlide(ChargerSeance(folder, seance)); }

QSizeF LargestSlide(const Seance& seance) {
    QSizeF largest;
    // Slides drawn at the screen's size fit it whatever their own: there is nothing to fit.
    if (seance.script.diapositives == ScriptSeance::Diapositives::Ecran) return largest;
    for (const QString& name : Fichiers(seance).diapositives) {
        // Loaded as the lesson loads it, by the same path: it is then ready when its page comes.
        try {
            const QSizeF size = platform::LoadPicture(seance.cours + QLatin1Char('/') + name).SizeTwips();
            largest = largest.expandedTo(size);
        } catch (const platform::FileError&) {
            // Told to the learner when its page comes, as without fitting.
        }
    }
    return largest;
}

}  // namespace content
