#include "statements/lecture_journal.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <algorithm>
#include <thread>

namespace resultats {

namespace {

// One line's outcome: a statement, or the reason it was skipped (line numbers from the range's start).
struct LigneLue {
    int ligne;
    QJsonObject declaration;
    QString raison;
};

// Parses the lines of [debut, fin); returns them and, in lignes, how many lines the range holds.
std::vector<LigneLue> AnalyserLignes(const QByteArray& tout, qsizetype debut, qsizetype fin, int& lignes) {
    std::vector<LigneLue> lues;
    lignes = 0;
    while (debut < fin) {
        ++lignes;
        qsizetype finLigne = tout.indexOf('\n', debut);
        const bool coupee = finLigne < 0 || finLigne >= fin;
        if (coupee) finLigne = fin;
        qsizetype taille = finLigne - debut;
        if (taille > 0 && tout.at(finLigne - 1) == '\r') --taille;
        const QByteArray ligne = QByteArray::fromRawData(tout.constData() + debut, taille);
        debut = finLigne + 1;
        if (std::all_of(ligne.cbegin(), ligne.cend(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; })) continue;

        QJsonParseError erreur{};
        const QJsonDocument doc = QJsonDocument::fromJson(ligne, &erreur);
        QJsonObject declaration = doc.object();
        if (erreur.error != QJsonParseError::NoError)
            lues.push_back({lignes, {}, coupee ? QStringLiteral("ligne coupée (écriture interrompue)") : QStringLiteral("pas du JSON (%1)").arg(erreur.errorString())});
        else if (!doc.isObject() || !declaration.value(QLatin1String("id")).isString() ||
                 !declaration.value(QLatin1String("verb")).isObject())
            lues.push_back({lignes, {}, QStringLiteral("pas une déclaration xAPI")});
        else
            lues.push_back({lignes, std::move(declaration), {}});
    }
    return lues;
}

// The start of the line after position, or end.
qsizetype LigneSuivante(const QByteArray& tout, qsizetype position, qsizetype fin) {
    const qsizetype n = tout.indexOf('\n', position);
    return n < 0 || n >= fin ? fin : n + 1;
}

}  // namespace

bool LireJournal(const QString& chemin, Lecture& lecture) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) {
        lecture.ignorees.push_back({chemin, 0, QStringLiteral("illisible : ") + f.errorString()});
        return false;
    }
    const QByteArray tout = f.readAll();
    // Parsing is most of the reading: a class's journals are parsed on two threads, a few megabytes
    // at a time so that a large journal is never all in memory as statements.
    constexpr qsizetype kMorceau = 4 << 20;
    int base = 0;
    for (qsizetype debut = 0; debut < tout.size();) {
        const qsizetype fin = LigneSuivante(tout, std::min(tout.size(), debut + kMorceau) - 1, tout.size());
        const qsizetype milieu = LigneSuivante(tout, debut + (fin - debut) / 2, fin);
        int lignesSecondes = 0, lignesPremieres = 0;
        std::vector<LigneLue> secondes;
        std::thread fil([&] { secondes = AnalyserLignes(tout, milieu, fin, lignesSecondes); });
        std::vector<LigneLue> premieres = AnalyserLignes(tout, debut, milieu, lignesPremieres);
        fil.join();
        for (std::vector<LigneLue>* lues : {&premieres, &secondes}) {
            const int decalage = base + (lues == &secondes ? lignesPremieres : 0);
            for (LigneLue& l : *lues) {
                if (!l.raison.isEmpty()) {
                    lecture.ignorees.push_back({chemin, decalage + l.ligne, l.raison});
                    continue;
                }
                const QString id = l.declaration.value(QLatin1String("id")).toString();
                if (lecture.ids.contains(id)) continue;
                lecture.ids.insert(id);
                if (lecture.recevoir)
                    lecture.recevoir(l.declaration);
                else
                    lecture.declarations.push_back(std::move(l.declaration));
            }
        }
        base += lignesPremieres + lignesSecondes;
        debut = fin;
    }
    return true;
}

bool LireDossier(const QString& dossier, Lecture& lecture) {
    const QDir d(dossier);
    if (!d.exists() || !d.isReadable()) {
        lecture.ignorees.push_back({dossier, 0, QStringLiteral("dossier introuvable ou illisible")});
        return false;
    }
    bool tout = true;
    for (const QString& nom : d.entryList({QStringLiteral("*.jsonl")}, QDir::Files | QDir::Hidden, QDir::Name))
        tout = LireJournal(d.filePath(nom), lecture) && tout;
    return tout;
}

}  // namespace resultats
