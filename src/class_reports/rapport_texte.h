#pragma once
// The words and numbers the CSV and the PDF of the class report share.

#include "class_reports/rapport_classe.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace resultats {

// French decimal comma; empty for an undefined figure.
inline QString Decimal(double v, int decimales) {
    if (!std::isfinite(v)) return QString();
    return QLocale(QLocale::French, QLocale::France).toString(v, 'f', decimales);
}

// Why a teacher should look at the question, in short French phrases; shorter still for a table.
inline QStringList Signalements(const StatsQuestion& q, bool court = false) {
    QStringList s;
    if (q.manquee) s << (court ? QStringLiteral("manquée") : QStringLiteral("manquée par la plupart"));
    if (q.distracteur)
        s << (court ? QStringLiteral("mauvaise réponse préférée") : QStringLiteral("une mauvaise réponse préférée à la bonne"));
    if (q.nonDiscriminante)
        s << (court ? QStringLiteral("ne distingue pas") : QStringLiteral("ne distingue pas les bons élèves"));
    if (q.aRebours) s << (court ? QStringLiteral("à rebours") : QStringLiteral("distingue à rebours"));
    return s;
}

inline QString ListePages(const QList<int>& pages) {
    QStringList l;
    for (int p : pages) l << QString::number(p);
    return l.join(QStringLiteral(", "));
}

inline QString Retenues(const RapportClasse& r) {
    return r.toutes ? QStringLiteral("tous les passages terminés")
                    : QStringLiteral("le premier passage terminé de chaque apprenant");
}

inline QString Lettre(int reponse) { return QString(QLatin1Char(static_cast<char>('A' + reponse))); }

}  // namespace resultats
