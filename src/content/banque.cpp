#include "content/banque.h"

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

QString CheminQuestions() { return QStringLiteral("Seance1/questions.gift"); }

LectureGift LireGift(const QString& chemin) {
    QFile file(chemin);
    if (!file.open(QIODevice::ReadOnly)) {
        LectureGift lecture;
        lecture.fichier = chemin;
        lecture.ligne = 1;
        lecture.message = QStringLiteral("le fichier ne peut pas être lu (%1)").arg(file.errorString());
        return lecture;
    }
    return LireGiftDonnees(file.readAll(), chemin);
}

LectureGift Charger(const QString& dossier) {
    const QString chemin = QDir::toNativeSeparators(QDir(dossier).filePath(CheminQuestions()));
    if (QFileInfo::exists(chemin)) return LireGift(chemin);
    LectureGift lecture;
    lecture.banque = BanqueQuestions::Integree();
    return lecture;
}

}  // namespace content
