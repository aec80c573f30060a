#include "class_reports/lecture_lrs.h"

#include "lrs/client.h"
#include "statements/declarations.h"

#include <QSet>
#include <QUrlQuery>

namespace resultats {

LectureLrs LireLrs(const ConfigLrs& config, const std::function<void(const QJsonObject&)>& recevoir, int parPage, int seance) {
    LectureLrs lecture;
    if (!config.Active()) {
        lecture.erreur = QStringLiteral("aucun LRS dans les réglages (section [lrs], « adresse »)");
        return lecture;
    }
    QUrlQuery requete;
    requete.addQueryItem(QStringLiteral("activity"), QString::fromLatin1(QUrl::toPercentEncoding(IriLecon(seance))));
    requete.addQueryItem(QStringLiteral("related_activities"), QStringLiteral("true"));
    requete.addQueryItem(QStringLiteral("ascending"), QStringLiteral("true"));
    if (parPage > 0) requete.addQueryItem(QStringLiteral("limit"), QString::number(parPage));

    lrs::Client client(config);
    QSet<QString> ids;
    const lrs::Reading lue = client.ReadStatements(requete, [&](const QJsonObject& d) {
        const QString id = d.value(QLatin1String("id")).toString();
        if (id.isEmpty() || ids.contains(id)) return;
        ids.insert(id);
        ++lecture.declarations;
        recevoir(d);
    });
    lecture.pages = lue.pages;
    lecture.erreur = lue.error;
    return lecture;
}

LectureSeances LireLrsSeances(const ConfigLrs& config, const QList<int>& seances,
                              const std::function<void(int, const QJsonObject&)>& recevoir, int parPage) {
    LectureSeances lecture;
    for (const int seance : seances) {
        lecture.erreur = LireLrs(config, [&](const QJsonObject& d) { recevoir(seance, d); }, parPage, seance).erreur;
        if (!lecture.erreur.isEmpty()) break;
        ++lecture.lues;
    }
    return lecture;
}

}  // namespace resultats
