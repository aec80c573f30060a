#include "support/lrs_xapi.h"

#include <QTcpSocket>

namespace test {

bool ExtraireRequete(QByteArray& tampon, RequeteHttp& r) {
    const qsizetype fin = tampon.indexOf("\r\n\r\n");
    if (fin < 0) return false;
    r = RequeteHttp();
    const QList<QByteArray> lignes = tampon.left(fin).split('\n');
    const QList<QByteArray> premiere = lignes[0].trimmed().split(' ');
    r.methode = premiere.value(0);
    r.chemin = premiere.value(1);
    for (qsizetype i = 1; i < lignes.size(); ++i) {
        const qsizetype deux = lignes[i].indexOf(':');
        if (deux > 0) r.entetes[lignes[i].left(deux).trimmed().toLower()] = lignes[i].mid(deux + 1).trimmed();
    }
    const qsizetype longueur = r.entetes.value("content-length").toLongLong();
    if (tampon.size() < fin + 4 + longueur) return false;
    r.corps = tampon.mid(fin + 4, longueur);
    tampon.remove(0, fin + 4 + longueur);
    return true;
}

LrsXapi::LrsXapi() {
    serveur_.listen(QHostAddress::LocalHost);
    connect(&serveur_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = serveur_.nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, this, [this, s] { Lire(s); });
            connect(s, &QTcpSocket::disconnected, this, [this, s] {
                tampons_.remove(s);
                s->deleteLater();
            });
        }
    });
}

// The connections die with the server, after this object's own members: they must not call back.
LrsXapi::~LrsXapi() {
    for (QTcpSocket* s : serveur_.findChildren<QTcpSocket*>()) s->disconnect(this);
}

QUrl LrsXapi::Adresse(const QString& chemin) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serveur_.serverPort()).arg(chemin));
}

void LrsXapi::Lire(QTcpSocket* s) {
    QByteArray& tampon = tampons_[s];
    tampon += s->readAll();
    Requete r;
    while (ExtraireRequete(tampon, r)) {
        requetes.push_back(r);
        if (!muet) Repondre(s, r);
    }
}

void LrsXapi::Repondre(QTcpSocket* s, const Requete& r) {
    const QByteArray chemin = r.chemin.split('?').value(0);
    int code = 404;
    QByteArray corps = "{}";
    const bool versionDonnee = r.entetes.value("x-experience-api-version").startsWith("1.0");
    if (pasXapi) {
        corps = "<html>Not found</html>";
    } else if (r.methode == "GET" && chemin.endsWith("/about")) {
        code = 200;
        corps = R"({"version":["1.0.3"]})";
    } else if (r.methode == "GET" && chemin.endsWith("/statements")) {
        if (!versionDonnee) {
            code = 400;
        } else if (r.entetes.value("authorization") != "Basic " + (cle + ':' + secret).toBase64()) {
            code = 401;
        } else {
            code = 200;
            corps = R"({"statements":[],"more":""})";
        }
    }
    s->write("HTTP/1.1 " + QByteArray::number(code) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
             QByteArray::number(corps.size()) + "\r\n\r\n" + corps);
}

}  // namespace test
