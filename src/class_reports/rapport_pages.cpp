#include "class_reports/rapport_pages.h"

#include "content/lesson_content.h"
#include "content/seance.h"
#include "content/script_seance.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace resultats {

namespace {

// Words that say nothing of the subject: they neither make a match nor rank one.
const QSet<QString>& MotsVides() {
    static const QSet<QString> mots = [] {
        QSet<QString> s;
        // As MotsReplies leaves them: "dans" is "dan", "plus" is "plu".
        for (const char* m : {"le", "la", "les", "l", "un", "une", "de", "des", "du", "d", "au", "aux", "a", "et", "ou",
                              "en", "est", "c", "ce", "ces", "cet", "cette", "qu", "que", "qui", "quoi", "quel",
                              "quelle", "se", "s", "sa", "son", "ses", "leur", "par", "pour", "sur", "dan", "avec",
                              "il", "ils", "elle", "on", "n", "ne", "pas", "plu", "y", "sont", "etre", "lorsqu",
                              "quand", "comme", "mais", "donc", "ni", "car", "dont", "tou", "tout", "toute", "meme",
                              "ainsi", "encore", "t"})
            s.insert(QString::fromLatin1(m));
        return s;
    }();
    return mots;
}

// Articles that an answer may start with and the slide say otherwise ("un atome", "l'atome").
bool Article(const QString& mot) {
    static const QSet<QString> articles{QStringLiteral("le"), QStringLiteral("la"), QStringLiteral("l"),
                                        QStringLiteral("un"), QStringLiteral("une"), QStringLiteral("de"),
                                        QStringLiteral("du"), QStringLiteral("d"), QStringLiteral("les"),
                                        QStringLiteral("des")};
    return articles.contains(mot);
}

QSet<QString> MotsPleins(const QStringList& mots) {
    QSet<QString> s;
    for (const QString& m : mots)
        if (!MotsVides().contains(m)) s.insert(m);
    return s;
}

bool ALaSuite(const QStringList& dans, const QStringList& suite) {
    if (suite.isEmpty()) return false;
    for (qsizetype i = 0; i + suite.size() <= dans.size(); ++i) {
        qsizetype k = 0;
        while (k < suite.size() && dans[i + k] == suite[k]) ++k;
        if (k == suite.size()) return true;
    }
    return false;
}

qsizetype Communs(const QSet<QString>& a, const QSet<QString>& b) {
    qsizetype n = 0;
    for (const QString& m : a) n += b.contains(m);
    return n;
}

}  // namespace

QStringList MotsReplies(const QString& texte) {
    const QString decompose = texte.normalized(QString::NormalizationForm_KD).toLower();
    QString plie;
    plie.reserve(decompose.size());
    for (const QChar c : decompose) {
        if (c.category() == QChar::Mark_NonSpacing) continue;
        plie += c.isLetterOrNumber() ? c : QLatin1Char(' ');
    }
    QStringList mots = plie.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& m : mots)
        if (m.size() > 3 && (m.endsWith(QLatin1Char('s')) || m.endsWith(QLatin1Char('x')))) m.chop(1);
    return mots;
}

std::vector<QStringList> DiaposParPage(const QString& dossierCours, int seance) {
    const QDir dossier(QDir(dossierCours).filePath(content::NomDossierSeance(seance)));
    std::vector<QStringList> pages;
    const auto lire = [&](const content::ScriptSeance& script) {
        for (const content::PageScript& page : script.pages) {
            QStringList diapos;
            for (const content::EtapeScript& etape : page.etapes)
                if (etape.diapositive) diapos << dossier.filePath(etape.fichier);
            // A title page has its slide but no steps.
            if (diapos.isEmpty() && !page.diapositive.isEmpty()) diapos << dossier.filePath(page.diapositive);
            pages.push_back(diapos);
        }
    };
    QFile script(dossier.filePath(content::kNomScript));
    if (!script.exists()) {
        if (seance == 1) lire(content::ScriptIntegre());
        return pages;
    }
    // The files it names are not looked for: a missing slide leaves its page alone without text.
    if (!script.open(QIODevice::ReadOnly)) return pages;
    const content::LectureScript lecture = content::LireScriptDonnees(script.readAll(), script.fileName());
    if (lecture.Reussie()) lire(*lecture.script);
    return pages;
}

platform::Picture LireDiapo(const QString& chemin) {
    QString fichier = chemin;
    int page = 1;
    // "Cours.pdf#3" is page 3 of Cours.pdf, as the lesson's loader reads it, unless a file has that very name.
    if (const qsizetype diese = chemin.lastIndexOf(QLatin1Char('#')); diese > 0 && !QFileInfo::exists(chemin)) {
        bool nombre = false;
        const int n = chemin.mid(diese + 1).toInt(&nombre);
        if (nombre && n >= 1) {
            fichier = chemin.left(diese);
            page = n;
        }
    }
    QFile f(fichier);
    // The lesson's own limit on a picture file's size.
    constexpr qint64 kOctetsMax = 64LL * 1024 * 1024;
    if (f.size() > kOctetsMax || !f.open(QIODevice::ReadOnly)) return {};
    try {
        // A slide's size is its own (an EMF's frame, a PDF page's points), whatever twips per pixel.
        return platform::DecodePicture(f.readAll(), 15, 15, fichier, page);
    } catch (const platform::FileError&) {
        return {};
    }
}

QStringList TextesDiapos(const QString& dossierCours, int seance) {
    QStringList textes;
    for (const QStringList& diapos : DiaposParPage(dossierCours, seance)) {
        QStringList page;
        for (const QString& chemin : diapos) page << LireDiapo(chemin).Text();
        textes << page.join(QLatin1Char('\n'));
    }
    return textes;
}

QList<int> PagesDeReponse(const QString& question, const QString& reponse, const QStringList& textes) {
    QStringList suite = MotsReplies(reponse);
    while (suite.size() > 1 && Article(suite.first())) suite.removeFirst();
    const QSet<QString> pleinsReponse = MotsPleins(suite), pleinsQuestion = MotsPleins(MotsReplies(question));

    QList<int> mot, part;
    std::vector<qsizetype> rang(static_cast<size_t>(textes.size()), 0);
    for (int page = 0; page < textes.size(); ++page) {
        const QStringList mots = MotsReplies(textes[page]);
        const QSet<QString> pleins = MotsPleins(mots);
        const qsizetype trouves = Communs(pleinsReponse, pleins);
        rang[static_cast<size_t>(page)] = trouves + Communs(pleinsQuestion, pleins);
        if (ALaSuite(mots, suite))
            mot << page;
        else if (pleinsReponse.size() >= 2 && trouves * 3 >= pleinsReponse.size() * 2)
            part << page;
    }
    QList<int>& candidates = mot.isEmpty() ? part : mot;
    // The title page names the séance's subjects without teaching them: it counts only alone.
    if (candidates.size() > 1) candidates.removeOne(0);
    qsizetype meilleur = 0;
    for (int page : candidates) meilleur = std::max(meilleur, rang[static_cast<size_t>(page)]);
    QList<int> pages;
    for (int page : candidates)
        if (rang[static_cast<size_t>(page)] == meilleur) pages << page;
    return pages;
}

std::vector<QList<int>> PagesDesReponses(const QStringList& textes, const content::BanqueQuestions& banque) {
    std::vector<QList<int>> pages;
    for (const content::EntreeQuestion& e : banque.entrees) pages.push_back(PagesDeReponse(e.question, e.reponses[0], textes));
    return pages;
}

}  // namespace resultats
