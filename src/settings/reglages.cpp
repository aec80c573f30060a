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
    "; ajuster=oui\n"
    "\n"
    "[progression]\n"
    "; La séance suivante s'ouvre quand la meilleure note est strictement au-dessus de ce seuil (sur 20) :\n"
    "; seuil=15\n"
    "; Toutes les séances ouvertes dès le début (oui) :\n"
    "; tout_ouvert=non\n";

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

// QSettings reads an unquoted "15,5" as a list of two values: the comma is put back.
QString Valeur(const QSettings& s, const char* cle) {
    const QVariant v = s.value(QLatin1String(cle));
    return (v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(',')) : v.toString()).trimmed();
}

ConfigProgression LireProgression(const QSettings& s) {
    ConfigProgression p;
    QStringList erreurs;
    const QString seuil = Valeur(s, "progression/seuil");
    if (!seuil.isEmpty()) {
        bool ok = false;
        const double v = QString(seuil).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (ok && v >= 0 && v <= 20)
            p.seuil = v;
        else
            erreurs << QStringLiteral("seuil=%1 n'est pas une note de 0 à 20 (par exemple 15 ou 15,5) ; le seuil reste 15").arg(seuil);
    }
    const QString ouvert = Valeur(s, "progression/tout_ouvert");
    if (!ouvert.isEmpty()) {
        static const QStringList oui{QStringLiteral("oui"), QStringLiteral("vrai"), QStringLiteral("1"), QStringLiteral("true")};
        static const QStringList non{QStringLiteral("non"), QStringLiteral("faux"), QStringLiteral("0"), QStringLiteral("false")};
        if (oui.contains(ouvert, Qt::CaseInsensitive))
            p.toutOuvert = true;
        else if (!non.contains(ouvert, Qt::CaseInsensitive))
            erreurs << QStringLiteral("tout_ouvert=%1 n'est ni oui ni non ; les séances s'ouvrent une à une").arg(ouvert);
    }
    p.erreur = erreurs.join(QStringLiteral(" ; "));
    return p;
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
    if (!chemin.isEmpty()) {
        CreerModele(chemin);
        QSettings s(chemin, QSettings::IniFormat);
        const auto texte = [&](const char* cle) { return s.value(QLatin1String(cle)).toString().trimmed(); };
        if (!texte("resultats/dossier").isEmpty()) r.dossier = texte("resultats/dossier");
        if (!texte("apprenant/compte").isEmpty()) r.identite.compte = texte("apprenant/compte");
        if (!texte("apprenant/nom").isEmpty()) r.identite.nomComplet = texte("apprenant/nom");
        if (!texte("apprenant/pageAccueil").isEmpty()) r.identite.pageAccueil = texte("apprenant/pageAccueil");
        r.lrs.adresse = QUrl(texte("lrs/adresse"), QUrl::StrictMode);
        r.lrs.cle = texte("lrs/cle");
        r.lrs.secret = texte("lrs/secret");
        if (!r.lrs.secret.isEmpty()) ProtegerSecret(chemin);
        r.ajuster = QStringList{QStringLiteral("oui"), QStringLiteral("vrai"), QStringLiteral("1"), QStringLiteral("true")}
                        .contains(s.value(QLatin1String("affichage/ajuster")).toString().trimmed(), Qt::CaseInsensitive);
        r.progression = LireProgression(s);
    }
    const QString env = qEnvironmentVariable("SEANCE1_RESULTATS").trimmed();
    if (!env.isEmpty()) r.dossier = env;
    return r;
}

}  // namespace resultats
