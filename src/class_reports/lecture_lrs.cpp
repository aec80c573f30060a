#include "class_reports/lecture_lrs.h"

#include "statements/declarations.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QTimer>
#include <QUrlQuery>

namespace resultats {

namespace {

QString Extrait(QByteArray texte) {
    texte = texte.simplified();
    if (texte.size() > 300) texte = texte.left(300) + "…";
    return texte.isEmpty() ? QStringLiteral("(réponse vide)") : QString::fromUtf8(texte);
}

bool MemeServeur(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) == b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

}  // namespace

LectureLrs LireLrs(const ConfigLrs& config, const std::function<void(const QJsonObject&)>& recevoir, int parPage, int seance) {
    LectureLrs lecture;
    if (!config.Active()) {
        lecture.erreur = QStringLiteral("aucun LRS dans les réglages (section [lrs], « adresse »)");
        return lecture;
    }
    const QUrl racine = AdresseDeclarations(config);
    const QString nomLrs = racine.toString();
    QUrl page = racine;
    QUrlQuery requete;
    requete.addQueryItem(QStringLiteral("activity"), QString::fromLatin1(QUrl::toPercentEncoding(IriLecon(seance))));
    requete.addQueryItem(QStringLiteral("related_activities"), QStringLiteral("true"));
    requete.addQueryItem(QStringLiteral("ascending"), QStringLiteral("true"));
    if (parPage > 0) requete.addQueryItem(QStringLiteral("limit"), QString::number(parPage));
    page.setQuery(requete);

    QNetworkAccessManager reseau;
    QSet<QString> ids, vues;
    while (!page.isEmpty()) {
        if (vues.contains(page.toString())) {
            lecture.erreur = QStringLiteral("le LRS %1 renvoie sans fin à la même page").arg(nomLrs);
            return lecture;
        }
        vues.insert(page.toString());
        QNetworkRequest demande(page);
        demande.setRawHeader("X-Experience-API-Version", "1.0.3");
        demande.setRawHeader("Authorization", Autorisation(config));
        demande.setTransferTimeout(config.delaiMaxMs);
        QNetworkReply* reponse = reseau.get(demande);
        QEventLoop boucle;
        QTimer limite;
        limite.setSingleShot(true);
        bool horsDelai = false;
        QObject::connect(&limite, &QTimer::timeout, &boucle, [&] {
            horsDelai = true;
            reponse->abort();
        });
        QObject::connect(reponse, &QNetworkReply::finished, &boucle, &QEventLoop::quit);
        limite.start(config.delaiMaxMs);
        if (!reponse->isFinished()) boucle.exec();
        reponse->deleteLater();
        const int code = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray corps = reponse->isOpen() ? reponse->readAll() : QByteArray();
        if (horsDelai || reponse->error() == QNetworkReply::OperationCanceledError ||
            reponse->error() == QNetworkReply::TimeoutError) {
            lecture.erreur = QStringLiteral("le LRS %1 n'a pas répondu en %2 s").arg(nomLrs).arg(config.delaiMaxMs / 1000.0);
            return lecture;
        }
        if (code == 401 || code == 403) {
            lecture.erreur = QStringLiteral("le LRS %1 refuse l'accès (%2) : vérifiez la clé et le secret des réglages")
                                 .arg(nomLrs)
                                 .arg(code);
            return lecture;
        }
        if (code == 0) {
            lecture.erreur = QStringLiteral("le LRS %1 ne répond pas : %2").arg(nomLrs, reponse->errorString());
            return lecture;
        }
        if (code < 200 || code >= 300) {
            lecture.erreur = QStringLiteral("le LRS %1 a répondu %2 : %3").arg(nomLrs).arg(code).arg(Extrait(corps));
            return lecture;
        }
        const QJsonDocument doc = QJsonDocument::fromJson(corps);
        const QJsonValue declarations = doc.object().value(QLatin1String("statements"));
        if (!doc.isObject() || !declarations.isArray()) {
            lecture.erreur = QStringLiteral("le LRS %1 a répondu autre chose qu'une liste de déclarations : %2").arg(nomLrs, Extrait(corps));
            return lecture;
        }
        ++lecture.pages;
        for (const QJsonValue& v : declarations.toArray()) {
            const QJsonObject d = v.toObject();
            const QString id = d.value(QLatin1String("id")).toString();
            if (id.isEmpty() || ids.contains(id)) continue;
            ids.insert(id);
            ++lecture.declarations;
            recevoir(d);
        }
        const QString suite = doc.object().value(QLatin1String("more")).toString();
        if (suite.isEmpty()) break;
        // "more" is relative to the server; the credentials go to no other.
        page = racine.resolved(QUrl(suite, QUrl::TolerantMode));
        if (!MemeServeur(page, racine)) {
            lecture.erreur = QStringLiteral("le LRS %1 renvoie la suite vers un autre serveur (%2) : elle n'est pas lue")
                                 .arg(nomLrs, page.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery).toString());
            return lecture;
        }
    }
    return lecture;
}

}  // namespace resultats
