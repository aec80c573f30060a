#include "class_reports/rapport.h"

#include "class_reports/rapport_texte.h"
#include "content/course_identity.h"

namespace resultats {

namespace {

QString Case(QString texte) {
    if (texte.contains(QLatin1Char(';')) || texte.contains(QLatin1Char('"')) || texte.contains(QLatin1Char('\n')))
        texte = QLatin1Char('"') + texte.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return texte;
}

QString Ligne(const QStringList& cases) {
    QStringList echappees;
    for (const QString& c : cases) echappees << Case(c);
    return echappees.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

QString Groupe(const GroupeBanque& g, const PagesQuestions* pages) {
    const StatsTest& t = g.test;
    QString csv;
    csv += Ligne({QStringLiteral("Passages comptés"), QString::number(t.seances)});
    csv += Ligne({QStringLiteral("Apprenants"), QString::number(t.apprenants)});
    csv += Ligne({QString(), QStringLiteral("Bonnes réponses (sur %1)").arg(g.questions.size()), QStringLiteral("Note affichée (sur 20)")});
    csv += Ligne({QStringLiteral("Moyenne"), Decimal(t.moyenne, 2), Decimal(t.moyenneNote, 2)});
    csv += Ligne({QStringLiteral("Médiane"), Decimal(t.mediane, 1), Decimal(t.medianeNote, 1)});
    csv += Ligne({QStringLiteral("Écart type"), Decimal(t.ecartType, 2), Decimal(t.ecartTypeNote, 2)});
    csv += Ligne({QStringLiteral("Cohérence interne (%)"), Decimal(t.coherence, 1)});
    csv += Ligne({QStringLiteral("Rapport d'erreur (%)"), Decimal(t.rapportErreur, 1)});
    csv += Ligne({QStringLiteral("Erreur type (bonnes réponses)"), Decimal(t.erreurType, 2)});
    csv += QStringLiteral("\r\n");
    QStringList entete{QStringLiteral("question"), QStringLiteral("texte"), QStringLiteral("facilité"),
                       QStringLiteral("écart type"), QStringLiteral("discrimination"), QStringLiteral("efficacité"),
                       QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                       QStringLiteral("réponses"), QStringLiteral("à revoir")};
    if (pages) entete << QStringLiteral("pages");
    csv += Ligne(entete);
    for (const StatsQuestion& q : g.questions) {
        QStringList cases{QString::number(q.numero), q.texte, Decimal(q.facilite, 1), Decimal(q.ecartType, 1),
                          Decimal(q.discrimination, 1), Decimal(q.efficacite, 1)};
        for (int c : q.choix) cases << QString::number(c);
        cases << QString::number(q.reponses) << Signalements(q).join(QStringLiteral(", "));
        if (pages) cases << ListePages(PagesDe(*pages, q.numero));
        csv += Ligne(cases);
    }
    return csv;
}

QString Progression(const ProgressionClasse& p) {
    QString csv = Ligne({QStringLiteral("Progression de la classe"),
                         QStringLiteral("réussie : meilleure note strictement au-dessus de %1/20").arg(Decimal(p.seuil, 1))});
    QStringList entete{QStringLiteral("Apprenant"), QStringLiteral("Compte"), QStringLiteral("Arrêté à la séance")};
    for (const int n : p.seances)
        entete << QStringLiteral("Séance %1 : meilleure note").arg(n) << QStringLiteral("Séance %1 : réussie").arg(n)
               << QStringLiteral("Séance %1 : passages").arg(n);
    csv += Ligne(entete);
    for (const LigneProgression& l : p.lignes) {
        QStringList cases{l.apprenant, l.compte, l.arret ? QString::number(l.arret) : QString()};
        for (const EtatProgression& e : l.seances)
            cases << (e.meilleure ? Decimal(*e.meilleure, 1) : QString()) << (e.reussie ? QStringLiteral("oui") : QStringLiteral("non"))
                  << QString::number(e.tentatives);
        csv += Ligne(cases);
    }
    return csv;
}

}  // namespace

QByteArray CsvRapport(const RapportClasse& r, const PagesQuestions& pages, const ProgressionClasse* progression) {
    QString csv = Ligne({QStringLiteral("Rapport de classe"), content::NomSeance(r.seance, r.titre)});
    csv += Ligne({QStringLiteral("Passages retenus"), Retenues(r)});
    csv += Ligne({QStringLiteral("Passages terminés trouvés"), QString::number(r.seancesTerminees)});
    csv += Ligne({QStringLiteral("Passages non terminés (non comptés)"), QString::number(r.seancesNonTerminees)});
    int autres = 0;
    for (const GroupeBanque& g : r.autres) autres += g.test.seances;
    csv += Ligne({QStringLiteral("Passages d'une autre banque de questions (à part)"), QString::number(autres)});
    csv += QStringLiteral("\r\n");
    csv += Groupe(r.cours, &pages);
    for (size_t k = 0; k < r.autres.size(); ++k) {
        csv += QStringLiteral("\r\n");
        QStringList titre{QStringLiteral("Autre banque de questions %1").arg(k + 1),
                          QStringLiteral("questions différentes de celles de ce cours : non mêlées aux autres")};
        if (!r.autres[k].identite.isEmpty()) titre << r.autres[k].identite;
        csv += Ligne(titre);
        csv += Groupe(r.autres[k], nullptr);
    }
    if (progression) csv += QStringLiteral("\r\n") + Progression(*progression);
    return QByteArray("\xEF\xBB\xBF") + csv.toUtf8();
}

}  // namespace resultats
