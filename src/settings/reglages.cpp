#include "settings/reglages.h"

#include "settings/avertissements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace resultats {

namespace {

const char kModele[] =
    "; Séance 1 : où vont les résultats de la leçon. Retirez le « ; » devant une ligne pour l'utiliser.\n"
    "\n"
    "[resultats]\n"
    "; Dossier du journal (par exemple le dossier partagé de la classe) :\n"
    "; dossier=/srv/classe/resultats\n"
    "\n"
    "[apprenant]\n"
    "; Par défaut, le compte de l'ordinateur et la machine :\n"
    "; compte=\n"
    "; nom=\n"
    "; pageAccueil=https://ecole.example.fr\n"
    "\n"
    "[lrs]\n"
    "; Un LRS xAPI 1.0.3 qui reçoit aussi chaque résultat :\n"
    "; adresse=https://lrs.example.fr/xapi/\n"
    "; cle=\n"
    "; secret=\n"
    "\n"
    "[affichage]\n"
    "; Sur un écran plus petit que les diapositives, toute la leçon dessinée plus petite (oui) :\n"
    "; ajuster=oui\n";

// Written once, never replaced: the teacher's edits are theirs.
void CreerModele(const QString& chemin) {
    if (QFileInfo::exists(chemin) || !QDir().mkpath(QFileInfo(chemin).path())) return;
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const ssize_t n = ::write(fd, kModele, sizeof kModele - 1);
    ::close(fd);
    if (n != static_cast<ssize_t>(sizeof kModele - 1)) QFile::remove(chemin);
#else
    QFile f(chemin);
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) f.write(kModele);
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}

// A secret in a file others can read is closed to them, and the teacher told.
void ProtegerSecret(const QString& chemin) {
    QFile f(chemin);
    const auto autres = QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                        QFileDevice::WriteOther;
    if (!(f.permissions() & autres)) return;
    if (f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        qCWarning(Avertissements()).noquote() << QStringLiteral("le fichier de réglages %1 contenait un secret lisible par d'autres comptes ; "
                               "il n'est plus lisible que par son propriétaire.").arg(chemin);
}

QString NettoyerMachine(QString nom) {
    nom = nom.trimmed();
    return nom.isEmpty() ? QStringLiteral("machine") : nom;
}

}  // namespace

QString Reglages::CheminParDefaut() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/seance1/seance1.ini");
}

QString DossierParDefaut() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/seance1");
}

Identite IdentiteDuSysteme() {
    Identite id;
#ifdef Q_OS_UNIX
    if (const passwd* pw = ::getpwuid(::getuid())) {
        id.compte = QString::fromLocal8Bit(pw->pw_name);
        if (pw->pw_gecos) id.nomComplet = QString::fromLocal8Bit(pw->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
    }
#endif
    if (id.compte.isEmpty()) id.compte = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (id.compte.isEmpty()) id.compte = QStringLiteral("inconnu");
    id.machine = NettoyerMachine(QSysInfo::machineHostName());
    QUrl page;
    page.setScheme(QStringLiteral("https"));
    page.setHost(id.machine.toLower());
    id.pageAccueil = page.isValid() && !page.host().isEmpty()
                         ? page.toString() + QLatin1Char('/')
                         : QStringLiteral("https://localhost/") + QString::fromLatin1(QUrl::toPercentEncoding(id.machine));
    return id;
}

QUrl AdresseDeclarations(const ConfigLrs& config) {
    QUrl adresse = config.adresse;
    adresse.setUserInfo(QString());
    QString chemin = adresse.path();
    if (!chemin.endsWith(QLatin1Char('/'))) chemin += QLatin1Char('/');
    adresse.setPath(chemin + QStringLiteral("statements"));
    return adresse;
}

QByteArray Autorisation(const ConfigLrs& config) {
    QString cle = config.cle, secret = config.secret;
    if (cle.isEmpty() && !config.adresse.userName().isEmpty()) {
        cle = config.adresse.userName();
        secret = config.adresse.password();
    }
    return "Basic " + (cle + QLatin1Char(':') + secret).toUtf8().toBase64();
}

Reglages Reglages::Lire(const QString& chemin) {
    Reglages r;
    r.identite = IdentiteDuSysteme();
    r.dossier = DossierParDefaut();
    r.dossierPropre = r.dossier;
    QString compte;
    if (!chemin.isEmpty()) {
        CreerModele(chemin);
        QSettings s(chemin, QSettings::IniFormat);
        const auto texte = [&](const char* cle) { return s.value(QLatin1String(cle)).toString().trimmed(); };
        if (!texte("resultats/dossier").isEmpty()) r.dossier = texte("resultats/dossier");
        compte = texte("apprenant/compte");
        if (!texte("apprenant/nom").isEmpty()) r.identite.nomComplet = texte("apprenant/nom");
        if (!texte("apprenant/pageAccueil").isEmpty()) r.identite.pageAccueil = texte("apprenant/pageAccueil");
        r.lrs.adresse = QUrl(texte("lrs/adresse"), QUrl::StrictMode);
        r.lrs.cle = texte("lrs/cle");
        r.lrs.secret = texte("lrs/secret");
        if (!r.lrs.secret.isEmpty()) ProtegerSecret(chemin);
        r.ajuster = QStringList{QStringLiteral("oui"), QStringLiteral("vrai"), QStringLiteral("1"), QStringLiteral("true")}
                        .contains(s.value(QLatin1String("affichage/ajuster")).toString().trimmed(), Qt::CaseInsensitive);
        s.beginGroup(QStringLiteral("progression"));
        r.progressionIgnoree = !s.childKeys().isEmpty();
        s.endGroup();
    }
    const QString env = qEnvironmentVariable("SEANCE1_RESULTATS").trimmed();
    if (!env.isEmpty()) r.dossier = env;
    if (!compte.isEmpty() && compte != r.identite.compte) {
        // A class folder is the class's record: nobody writes there under a classmate's name.
        if (QFileInfo(r.dossier).absoluteFilePath() == QFileInfo(r.dossierPropre).absoluteFilePath())
            r.identite.compte = compte;
        else
            r.compteRefuse = compte;
    }
    return r;
}

}  // namespace resultats
