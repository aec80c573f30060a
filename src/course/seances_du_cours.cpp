#include "course/seances_du_cours.h"

#include "content/banque.h"
#include "content/lesson_content.h"
#include "content/script_seance.h"
#include "platform/picture.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace cours {

namespace {

// The title slide's line "Séance 2 : tension, intensité" names the séance: its title is what follows.
// Without one, the slide's first line.
QString Titre(const QString& texte) {
    static const QRegularExpression seance(QStringLiteral("^s[ée]ance\\s*\\d+\\s*[:—–-]\\s*(\\S.*)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString premiere;
    for (const QString& ligne : texte.split(QLatin1Char('\n'))) {
        const QString l = ligne.simplified();
        if (l.isEmpty()) continue;
        if (premiere.isEmpty()) premiere = l;
        if (const QRegularExpressionMatch m = seance.match(l); m.hasMatch()) return m.captured(1);
    }
    return premiere;
}

const QStringList kImages{QStringLiteral("emf"), QStringLiteral("pdf"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                          QStringLiteral("png"), QStringLiteral("bmp")};

bool EstUneImage(const QString& nom) {
    QString fichier = nom;
    // A page of a PDF is named "Slides.pdf#3".
    if (const qsizetype diese = fichier.lastIndexOf(QLatin1Char('#')); diese > 0 && !QFileInfo::exists(fichier))
        fichier.truncate(diese);
    return kImages.contains(QFileInfo(fichier).suffix().toLower());
}

SeanceDuCours Lire(const QString& dossier, int numero) {
    SeanceDuCours s;
    s.numero = numero;
    try {
        content::BanqueDuCours(dossier, numero);
        const std::optional<content::ScriptSeance> script = content::ScriptDuCours(dossier, numero);
        const QDir racine(dossier);
        // Every picture is loaded now, as the lesson will: a broken one makes the séance unavailable
        // here rather than stopping the program in its middle.
        for (const QString& nom : content::FilesOfSeance(dossier, numero))
            if (EstUneImage(nom)) platform::LoadPicture(racine.filePath(nom));
        const QString premiere = script ? script->pages.front().diapositive : QStringLiteral("Diapo0.emf");
        s.titre = Titre(platform::LoadPicture(racine.filePath(QStringLiteral("Seance%1/").arg(numero) + premiere)).Text());
    } catch (const platform::FileError& e) {
        // Named within the course folder: the learner knows it, and the whole path would crowd the menu,
        // as would a list of mistakes: of one, the menu says how many (the teacher's check lists them).
        s.indisponible = e.message().replace(QDir::toNativeSeparators(QDir(dossier).absolutePath() + QLatin1Char('/')), QString());
        if (const qsizetype fin = s.indisponible.indexOf(QLatin1Char('\n')); fin > 0) {
            s.indisponible.truncate(fin);
            if (s.indisponible.endsWith(QLatin1String(" :"))) s.indisponible.chop(2);
            s.indisponible += QLatin1Char('.');
        }
    }
    if (s.titre.isEmpty()) s.titre = QStringLiteral("Séance %1").arg(numero);
    return s;
}

}  // namespace

bool EstUnCours(const QString& dossier) { return content::Seances(dossier).size() >= 2; }

std::vector<SeanceDuCours> SeancesDuCours(const QString& dossier) {
    std::vector<SeanceDuCours> seances;
    for (const int n : content::Seances(dossier)) seances.push_back(Lire(dossier, n));
    return seances;
}

}  // namespace cours
