#include "course/seances_du_cours.h"

#include "content/lesson_content.h"
#include "content/seance.h"

#include <QDir>

namespace cours {

namespace {

SeanceDuCours Lire(const QString& dossier, int numero) {
    content::Seance seance = content::ChargerSeance(dossier, numero);
    if (!seance.Empechement()) content::LireImages(seance);
    SeanceDuCours s;
    s.numero = numero;
    s.titre = seance.titre.isEmpty() ? QStringLiteral("Séance %1").arg(numero) : seance.titre;
    // Named within the course folder: the learner knows it, and the whole path would crowd the menu,
    // as would a list of mistakes: of several, the menu says how many (the teacher's check lists them).
    if (const platform::FileError* e = seance.Empechement()) {
        s.indisponible = e->message().replace(QDir::toNativeSeparators(QDir(dossier).absolutePath() + QLatin1Char('/')), QString());
        if (const qsizetype fin = s.indisponible.indexOf(QLatin1Char('\n')); fin > 0) {
            s.indisponible.truncate(fin);
            if (s.indisponible.endsWith(QLatin1String(" :"))) s.indisponible.chop(2);
            s.indisponible += QLatin1Char('.');
        }
    }
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
