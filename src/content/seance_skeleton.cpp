#include "content/seance_skeleton.h"

#include "content/nom_dossier.h"
#include "content/readiness.h"
#include "content/script_seance.h"
#include "platform/pdf_page.h"
#include "platform/platform.h"  // FileError

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace content {

QByteArray SkeletonScript(int seance, const QString& pdfName, int pages) {
    QString t = QStringLiteral(
                    "# Séance %1, faite par « seance1 --new-seance %1 » : une page par page de %2.\n"
                    "# Chaque page montre sa diapositive ; « fin » est l'instant, en dixièmes de seconde, où sa\n"
                    "# boucle s'arrête (%3 = %4 s). Photographies, étapes, animations : voir « Écrire une séance »\n"
                    "# dans le README.\n\n"
                    "[affichage]\n"
                    "diapositives = \"écran\"                    # à la taille de l'écran ; \"naturelle\" : à leur taille propre\n\n"
                    "[[page]]\n"
                    "type = \"titre\"\n"
                    "diapositive = \"%2, page 1\"\n")
                    .arg(seance)
                    .arg(pdfName)
                    .arg(kFinParDefaut)
                    .arg(kFinParDefaut / 10);
    for (int page = 2; page <= pages; ++page)
        t += QStringLiteral("\n[[page]]\ndiapositive = \"%1, page %2\"\nfin = %3\n").arg(pdfName).arg(page).arg(kFinParDefaut);
    t += QStringLiteral(
        "\n[[page]]\n"
        "type = \"evaluation\"                       # les vingt questions de questions.gift\n"
        "\n[[page]]\n"
        "type = \"cloture\"\n"
        "# texte = \"Bravo, la séance %1 est terminée.\"   (sinon, le texte de la séance 1)\n")
             .arg(seance);
    return t.toUtf8();
}

QByteArray SkeletonQuestions(int seance) {
    QString t = QStringLiteral(
                    "// Séance %1 : les vingt questions de l'évaluation, à écrire.\n"
                    "// Pour chacune, remplacez chaque « %2 » : la question, la bonne réponse après « = », trois\n"
                    "// mauvaises après « ~ ». Chaque bonne réponse devrait se lire sur une diapositive de la séance.\n"
                    "// check_content et seance1 --check disent ce qui reste à écrire.\n"
                    "$CATEGORY: Séance %1\n\n")
                    .arg(seance)
                    .arg(kACompleter);
    const std::array<QString, 4>& reponses = ReponsesACompleter();
    for (int n = 1; n <= BanqueQuestions::kNombreIntegree; ++n)
        // Moodle's own format, as a teacher's own question would be: "&eacute;" shows « é » there.
        t += QStringLiteral("::Q%1::%2 {\n=%3\n~%4\n~%5\n~%6\n}\n\n")
                 .arg(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')), QuestionACompleter(n), reponses[0], reponses[1],
                      reponses[2], reponses[3]);
    return t.toUtf8();
}

namespace {

bool Ecrire(const QString& chemin, const QByteArray& octets) {
    QSaveFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size() && f.commit();
}

}  // namespace

SkeletonOutcome WriteSeanceSkeleton(const QString& courseFolder, int seance, const QString& pdfPath) {
    SkeletonOutcome out;
    const QDir cours(courseFolder);
    const QString nom = NomDossierSeance(seance);
    const QString cible = cours.filePath(nom);
    const QString natif = QDir::toNativeSeparators(cible);
    if (QFileInfo::exists(cible) || QFileInfo(cible).isSymLink()) {
        out.message = QStringLiteral("« %1 » existe déjà : choisissez un autre numéro de séance, ou "
                                     "déplacez ce dossier si vous voulez vraiment le refaire.")
                          .arg(natif);
        return out;
    }
    QFile source(pdfPath);
    if (!QFileInfo(pdfPath).isFile() || !source.open(QIODevice::ReadOnly)) {
        out.message = QStringLiteral("« %1 » ne peut pas être lu : %2.")
                          .arg(QDir::toNativeSeparators(pdfPath),
                               QFileInfo::exists(pdfPath) && !QFileInfo(pdfPath).isFile() ? QStringLiteral("ce n'est pas un fichier")
                               : QFileInfo::exists(pdfPath) ? source.errorString()
                                                            : QStringLiteral("le fichier est introuvable"));
        return out;
    }
    const QByteArray pdf = source.readAll();
    try {
        if (!platform::PdfPage::LooksLikePdf(pdf))
            throw platform::FileError(QDir::toNativeSeparators(pdfPath),
                                      QStringLiteral("ce n'est pas un fichier PDF : exportez la présentation en PDF"));
        out.pages = platform::PdfPage::Pages(pdf, QDir::toNativeSeparators(pdfPath));
        if (out.pages < 1)
            throw platform::FileError(QDir::toNativeSeparators(pdfPath), QStringLiteral("le document n'a aucune page"));
        // Each page as the lesson will load it: a page it cannot show is refused now, not in class.
        for (int page = 1; page <= out.pages; ++page) platform::PdfPage::FromData(pdf, page, QDir::toNativeSeparators(pdfPath));
    } catch (const platform::FileError& e) {
        out.message = e.message();
        return out;
    }

    // Made beside its place, then renamed: a séance half written is never seen.
    QTemporaryDir brouillon(cours.filePath(QStringLiteral(".%1-XXXXXX").arg(nom)));
    if (!brouillon.isValid()) {
        out.message = QStringLiteral("Impossible d'écrire dans « %1 » : %2.")
                          .arg(QDir::toNativeSeparators(courseFolder), brouillon.errorString());
        return out;
    }
    const QString pdfName = nom + QStringLiteral(".pdf");
    const QDir d(brouillon.path());
    if (!Ecrire(d.filePath(pdfName), pdf) || !Ecrire(d.filePath(kNomScript), SkeletonScript(seance, pdfName, out.pages)) ||
        !Ecrire(d.filePath(QStringLiteral("questions.gift")), SkeletonQuestions(seance))) {
        out.message = QStringLiteral("L'écriture dans « %1 » a échoué (disque plein ?).")
                          .arg(QDir::toNativeSeparators(courseFolder));
        return out;
    }
    // What was written must read as the lesson reads it.
    if (const std::optional<LectureScript> lu = LireScript(brouillon.path()); !lu || !lu->Reussie()) {
        out.message = QStringLiteral("Le script écrit ne se relit pas (%1).").arg(lu ? lu->Texte() : QString());
        return out;
    }
    if (!QFile::setPermissions(brouillon.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther) ||
        !QDir().rename(brouillon.path(), cible)) {
        out.message = QStringLiteral("« %1 » n'a pas pu être créé.").arg(natif);
        return out;
    }
    brouillon.setAutoRemove(false);
    out.ok = true;
    out.message =
        QStringLiteral("Séance %1 écrite dans « %2 » : la page de titre et %3 page%4 de diapositives (%5), l'évaluation et "
                       "la page de clôture.\nIl reste à écrire les vingt questions de « %6 » ; check_content ou "
                       "seance1 --check disent ce qui manque.\n")
            .arg(seance)
            .arg(natif)
            .arg(out.pages - 1)
            .arg(out.pages - 1 > 1 ? QStringLiteral("s") : QString())
            .arg(pdfName, QDir::toNativeSeparators(QDir(cible).filePath(QStringLiteral("questions.gift"))));
    return out;
}

}  // namespace content
