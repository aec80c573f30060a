#include "content/banque.h"
#include "content/nom_dossier.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace content {

QString BanqueQuestions::Identite() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const EntreeQuestion& e : entrees) {
        // Each text ends with a NUL, which no text holds, so that moving words between texts changes it.
        hash.addData(e.question.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
        for (const QString& r : e.reponses) {
            hash.addData(r.toUtf8());
            hash.addData(QByteArrayView("\0", 1));
        }
    }
    return QString::fromLatin1(hash.result().toHex().left(12));
}

QString LectureGift::Texte() const {
    return QStringLiteral("%1, ligne %2 : %3.").arg(fichier).arg(ligne).arg(message);
}

QString LesQuestions(int n) {
    if (n == 1) return QStringLiteral("la question");
    if (n == BanqueQuestions::kNombreIntegree) return QStringLiteral("les vingt questions");
    return QStringLiteral("les %1 questions").arg(n);
}

QString CheminQuestions(int seance) { return NomDossierSeance(seance) + QStringLiteral("/questions.gift"); }

LectureGift LireGift(const QString& chemin) {
    QFile file(chemin);
    if (!file.open(QIODevice::ReadOnly)) {
        LectureGift lecture;
        lecture.fichier = chemin;
        lecture.ligne = 1;
        lecture.message = QStringLiteral("le fichier ne peut pas être lu (%1)").arg(file.errorString());
        lecture.erreurs.liste.push_back({chemin, lecture.ligne, 0, lecture.message});
        return lecture;
    }
    return LireGiftDonnees(file.readAll(), chemin);
}

LectureGift Charger(const QString& dossier, int seance) {
    const QString chemin = QDir::toNativeSeparators(QDir(dossier).filePath(CheminQuestions(seance)));
    if (QFileInfo::exists(chemin)) return LireGift(chemin);
    LectureGift lecture;
    // The built-in questions are séance 1's: any other séance brings its own.
    if (seance != 1) {
        lecture.fichier = chemin;
        lecture.ligne = 1;
        lecture.message = QStringLiteral("le fichier est introuvable : la séance %1 doit y donner ses questions").arg(seance);
        lecture.erreurs.liste.push_back({chemin, lecture.ligne, 0, lecture.message});
        return lecture;
    }
    lecture.banque = BanqueQuestions::Integree();
    return lecture;
}

}  // namespace content
