#pragma once
// A small xAPI endpoint on the loopback for tests: a real HTTP server that answers GET …/about and
// an authenticated GET …/statements, or stays silent.

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QTcpServer>
#include <QUrl>
#include <vector>

namespace test {

struct RequeteHttp {
    QByteArray methode, chemin, corps;
    QMap<QByteArray, QByteArray> entetes;  // names in lower case
};

// Takes the first whole request (head and body) off the front of what a connection has sent so far;
// false while it has not all come.
bool ExtraireRequete(QByteArray& tampon, RequeteHttp& r);

class LrsXapi : public QObject {
public:
    using Requete = RequeteHttp;

    QByteArray cle = "classe-4b", secret = "s3cr3t-du-lrs";
    bool muet = false;     // reads requests and never answers
    bool pasXapi = false;  // answers 404 to everything, like a web server that is not an LRS
    std::vector<Requete> requetes;

    LrsXapi();
    ~LrsXapi() override;
    QUrl Adresse(const QString& chemin = QStringLiteral("/xapi/")) const;

private:
    void Lire(class QTcpSocket* s);
    void Repondre(QTcpSocket* s, const Requete& r);

    QTcpServer serveur_;
    QHash<QTcpSocket*, QByteArray> tampons_;
};

}  // namespace test
