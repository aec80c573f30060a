#include "content/seance.h"

#include "content/lesson_content.h"
#include "content/readiness.h"
#include "platform/picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <stdexcept>

namespace content {

namespace {

QString Natif(const QString& chemin) { return QDir::toNativeSeparators(chemin); }

}  // namespace

QString TitreDeDiapositive(const QString& texte) {
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

namespace {

const QStringList kImages{QStringLiteral("emf"), QStringLiteral("pdf"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                          QStringLiteral("png"), QStringLiteral("bmp")};

bool EstUneImage(const QString& nom) {
    QString fichier = nom;
    // A page of a PDF is named "Slides.pdf#3".
    if (const qsizetype diese = fichier.lastIndexOf(QLatin1Char('#')); diese > 0 && !QFileInfo::exists(fichier))
        fichier.truncate(diese);
    return kImages.contains(QFileInfo(fichier).suffix().toLower());
}

}  // namespace

const ScriptSeance& ScriptIntegre() {
    static const ScriptSeance script = [] {
        QFile f(QStringLiteral(":/seances/seance1.toml"));
        if (!f.open(QIODevice::ReadOnly)) throw std::logic_error("séance 1's pages are not compiled in");
        LectureScript lecture = LireScriptDonnees(f.readAll(), NomDossierSeance(1) + QLatin1Char('/') + kNomScript);
        if (!lecture.Reussie()) throw std::logic_error(lecture.Texte().toStdString());
        return std::move(*lecture.script);
    }();
    return script;
}

const Seance& Seance::Integree() {
    static const Seance integree = [] {
        Seance s;
        s.script = ScriptIntegre();
        s.scriptIntegre = true;
        s.banque = BanqueQuestions::Integree();
        return s;
    }();
    return integree;
}

const Manque* Seance::ManqueDe(Manque::Genre genre) const {
    for (const Manque& m : manques)
        if (m.genre == genre) return &m;
    return nullptr;
}

const platform::FileError* Seance::Empechement() const {
    for (const Manque::Genre g : {Manque::Genre::Questions, Manque::Genre::Script, Manque::Genre::Image})
        if (const Manque* m = ManqueDe(g)) return &m->erreur;
    return nullptr;
}

QStringList Seance::Constats() const {
    if (const Manque* dossier = ManqueDe(Manque::Genre::Dossier)) return dossier->constats;
    QStringList lignes;
    for (const Manque& m : manques) lignes << m.constats;
    return lignes;
}

Seance ChargerSeance(const QString& cours, int numero) {
    using Genre = Manque::Genre;
    Seance s;
    s.cours = cours;
    s.numero = numero;
    s.dossier = QDir(cours).filePath(NomDossierSeance(numero));
    if (!QFileInfo(s.dossier).isDir())
        s.manques.push_back({Genre::Dossier, platform::FileError(Natif(s.dossier), QStringLiteral("le dossier est introuvable")),
                             {QStringLiteral("Le dossier « %1 » est introuvable.").arg(Natif(s.dossier))}});

    std::optional<LectureScript> script = LireScript(s.dossier);
    if (!script) {
        // Séance 1's pages are the program's own; any other séance says what its pages show.
        if (numero == 1) {
            s.script = ScriptIntegre();
            s.scriptIntegre = true;
        } else {
            s.manques.push_back(
                {Genre::Script,
                 platform::FileError(Natif(QDir(s.dossier).filePath(kNomScript)),
                                     QStringLiteral("le fichier est introuvable : il dit ce que montre chaque page de la séance %1").arg(numero)),
                 {QStringLiteral("Le dossier « %1 » n'a pas de script « %2 » : il dit ce que montre chaque page de la séance.")
                      .arg(Natif(s.dossier), kNomScript)}});
        }
    } else if (!script->Reussie()) {
        QStringList constats;
        for (const QString& texte : script->erreurs.Textes()) constats << Natif(texte);
        s.manques.push_back({Genre::Script, platform::FileError(Natif(QDir(cours).filePath(script->fichier)), script->erreurs.Raison()),
                             constats});
    } else {
        s.script = std::move(*script->script);
    }

    LectureGift questions = Charger(cours, numero);
    if (!questions.Reussie()) {
        s.manques.push_back({Genre::Questions, platform::FileError(questions.fichier, questions.erreurs.Raison()),
                             questions.erreurs.Textes()});
    } else if (const QString reste = QuestionsLeft(*questions.banque); !reste.isEmpty()) {
        // A new séance's questions still « À compléter » are never put to a learner.
        s.manques.push_back({Genre::Questions, platform::FileError(questions.fichier, reste),
                             {QStringLiteral("%1 : %2.").arg(questions.fichier, reste)}});
    } else {
        s.banque = std::move(*questions.banque);
    }
    return s;
}

void LireImages(Seance& s) {
    const QDir racine(s.cours);
    try {
        for (const QString& nom : FilesOfSeance(s))
            if (EstUneImage(nom)) platform::LoadPicture(racine.filePath(nom));
    } catch (const platform::FileError& e) {
        s.manques.push_back({Manque::Genre::Image, e, {e.message()}});
    }
    LireTitre(s);
}

void LireTitre(Seance& s) {
    try {
        if (!s.script.pages.empty())
            s.titre = TitreDeDiapositive(platform::LoadPicture(QDir(s.dossier).filePath(s.script.pages.front().diapositive)).Text());
    } catch (const platform::FileError&) {
        // Said where it matters, by LireImages and the lesson itself.
    }
    if (s.titre.isEmpty()) s.titre = QStringLiteral("Séance %1").arg(s.numero);
}

Seance SeanceAJouer(const QString& cours, int numero) {
    Seance s = ChargerSeance(cours, numero);
    if (const platform::FileError* e = s.Empechement()) throw *e;
    return s;
}

}  // namespace content
