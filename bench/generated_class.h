#pragma once
// A class folder as the lesson leaves it, made up: one journal per learner (as each account writes
// its own), each with one completed session of twenty answers, and for some learners a session
// left before the end and a second completed session. Deterministic for a seed, so that two
// readings of the same class can be compared figure for figure.

#include "statements/declarations.h"
#include "recording/journal.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <algorithm>

namespace bench {

struct GeneratedClass {
    qint64 bytes = 0;
    qint64 statements = 0;
};

// Learners numbered from 0; one in ten also leaves a session unfinished, one in eight takes the test again.
inline GeneratedClass WriteClass(const QString& folder, int learners, quint32 seed = 10000) {
    GeneratedClass made;
    QDir().mkpath(folder);
    QRandomGenerator random(seed);
    const QDateTime start(QDate(2026, 9, 1), QTime(8, 0), Qt::UTC);
    auto write = [&](QFile& f, const QJsonObject& d) {
        const QByteArray line = QJsonDocument(d).toJson(QJsonDocument::Compact) + '\n';
        f.write(line);
        made.bytes += line.size();
        ++made.statements;
    };
    for (int number = 0; number < learners; ++number) {
        const resultats::Identite who{QStringLiteral("eleve%1").arg(number), QStringLiteral("Élève %1").arg(number),
                                      QStringLiteral("poste-%1").arg(number % 250),
                                      QStringLiteral("https://ecole.example.fr/")};
        QFile f(QDir(folder).filePath(resultats::NomFichier(who)));
        if (!f.open(QIODevice::WriteOnly)) return made;
        const double level = random.generateDouble();
        const bool unfinished = random.bounded(10) == 0;
        const bool again = random.bounded(8) == 0;
        QDateTime t0 = start.addSecs(number * 60);
        auto session = [&](int answered) {
            // Registrations made from the generator, not the clock, so that a seed gives one class.
            const resultats::Seance s{QStringLiteral("%1-%2-4%3-8%4-%5")
                                          .arg(random.generate(), 8, 16, QLatin1Char('0'))
                                          .arg(random.bounded(0x10000), 4, 16, QLatin1Char('0'))
                                          .arg(random.bounded(0x1000), 3, 16, QLatin1Char('0'))
                                          .arg(random.bounded(0x1000), 3, 16, QLatin1Char('0'))
                                          .arg(random.generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0')),
                                      who};
            double score = 0;
            for (int q = 1; q <= answered; ++q) {
                const bool right = random.generateDouble() < 0.2 + 0.7 * level;
                const int choice = right ? 0 : 1 + static_cast<int>(random.bounded(3));
                score = right ? score + 1 : std::max(0.0, score - 0.5);
                write(f, resultats::Repondu(s, q, choice, right, t0.addSecs(q * 20)));
            }
            if (answered == 20) write(f, resultats::Complete(s, score, 420000, t0.addSecs(430)));
            write(f, resultats::Termine(s, 450000, t0.addSecs(450)));
            t0 = t0.addDays(1);
        };
        if (unfinished) session(1 + static_cast<int>(random.bounded(19)));
        session(20);
        if (again) session(20);
    }
    return made;
}

}  // namespace bench
