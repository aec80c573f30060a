#include "cli/verification.h"

#include "content/lesson_content.h"
#include "lrs/client.h"
#include "platform/platform.h"
#include "platform/real_platform.h"
#include "recording/journal.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMediaDevices>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

using Niveau = Verification::Niveau;

int Verification::Problemes() const {
    int n = 0;
    for (const Ligne& l : lignes) n += l.niveau == Niveau::Probleme;
    return n;
}

QString Verification::Texte() const {
    QString t;
    for (const Ligne& l : lignes) {
        const char* marque = l.niveau == Niveau::Bon ? "[ok]        " : l.niveau == Niveau::Avertissement ? "[attention] " : "[problème]  ";
        t += QString::fromUtf8(marque) + l.texte + QLatin1Char('\n');
    }
    const int n = Problemes();
    t += n == 0 ? QStringLiteral("Tout est prêt pour la leçon.\n")
                : QStringLiteral("%1 problème%2 à régler avant la leçon.\n").arg(n).arg(n > 1 ? QStringLiteral("s") : QString());
    return t;
}

void VerifierCours(const QString& dossier, Verification& v) {
    const content::Report r = content::CheckFolder(dossier);
    for (const QString& p : r.problems + r.regles) v.Ajouter(Niveau::Probleme, QStringLiteral("Cours : %1").arg(p));
    for (const QString& w : r.warnings) v.Ajouter(Niveau::Avertissement, QStringLiteral("Cours : %1").arg(w));
    if (r.CourseWillRun())
        v.Ajouter(Niveau::Bon, QStringLiteral("Cours : %1 fichiers vérifiés dans « %2 ».").arg(r.checked).arg(QDir::toNativeSeparators(dossier)));
}

void VerifierRegles(const content::ReglesCours& r, Verification& v) {
    // Its mistakes themselves are the course's, listed with the other files' (VerifierCours).
    if (!r.erreurs.Vide()) {
        v.Ajouter(Niveau::Probleme, QStringLiteral("Règles du cours : tant que %1 a des erreurs, chaque séance s'ouvre après "
                                                   "la précédente, au-dessus de 15/20.").arg(QString::fromLatin1(content::kNomFichierCours)));
        return;
    }
    const QString titre = r.titre.isEmpty() ? QString() : QStringLiteral("« %1 », ").arg(r.titre);
    const QString source = r.fichier ? QStringLiteral("lues dans %1").arg(QString::fromLatin1(content::kNomFichierCours))
                                     : QStringLiteral("celles d'un cours sans %1").arg(QString::fromLatin1(content::kNomFichierCours));
    if (r.seances.size() < 2) {
        v.Ajouter(Niveau::Bon, QStringLiteral("Règles du cours : %1une séance seule, sans menu (%2).").arg(titre, source));
        return;
    }
    QStringList seances;
    for (const int n : r.seances) seances << QStringLiteral("séance %1 %2").arg(n).arg(r.Dit(n));
    const QString seuil = QLocale(QLocale::French, QLocale::France).toString(r.seuil, 'g', 6);
    v.Ajouter(Niveau::Bon, QStringLiteral("Règles du cours : %1%2 séances, le menu du cours s'ouvre au lancement ; réussie "
                                          "au-dessus de %3/20 (strictement) ; %4 (%5).")
                               .arg(titre).arg(r.seances.size()).arg(seuil, seances.join(QStringLiteral(", ")), source));
}

void VerifierReglagesApprenant(const resultats::Reglages& r, Verification& v) {
    if (r.progressionIgnoree)
        v.Ajouter(Niveau::Avertissement, QStringLiteral("Réglages : la section [progression] est ignorée ; les règles du cours "
                                                        "sont celles de son fichier %1.").arg(QString::fromLatin1(content::kNomFichierCours)));
    if (!r.compteRefuse.isEmpty())
        v.Ajouter(Niveau::Probleme, QStringLiteral("Réglages : compte=%1 est refusé dans le dossier de la classe ; les résultats "
                                                   "y sont enregistrés sous « %2 », le compte de cet ordinateur. Retirez compte= "
                                                   "des réglages.").arg(r.compteRefuse, r.identite.compte));
}

void VerifierResultats(const QString& dossier, bool parDefaut, const resultats::Identite& identite, Verification& v) {
    const QString affiche = QDir::toNativeSeparators(dossier);
    if (dossier.isEmpty()) {
        v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : aucun dossier des résultats n'est connu (réglages ou SEANCE1_RESULTATS)."));
        return;
    }
    const QFileInfo info(dossier);
    if (!info.exists()) {
        if (parDefaut)
            v.Ajouter(Niveau::Bon, QStringLiteral("Résultats : le dossier « %1 » sera créé au premier résultat.").arg(affiche));
        else
            v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : le dossier de la classe « %1 » est introuvable "
                                                       "(partage réseau non monté ?).").arg(affiche));
        return;
    }
    if (!info.isDir()) {
        v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : « %1 » n'est pas un dossier.").arg(affiche));
        return;
    }

    struct stat etat {};
    if (!parDefaut && ::stat(QFile::encodeName(dossier).constData(), &etat) == 0 && (etat.st_mode & S_IROTH))
        v.Ajouter(Niveau::Avertissement, QStringLiteral("Résultats : tout compte peut lister « %1 » et y voir les fichiers des autres ; "
                                                        "l'enseignant peut le fermer avec seance1 --prepare-class-folder.").arg(affiche));

    // The lesson's own file, if there already, must be this account's: one made by another would
    // refuse the results, or let its owner read them.
    const QString journal = QDir(dossier).filePath(resultats::NomFichier(identite));
    if (::stat(QFile::encodeName(journal).constData(), &etat) == 0) {
        if (etat.st_uid != ::geteuid()) {
            v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : le fichier « %1 » appartient à un autre compte : "
                                                       "demandez à l'enseignant de le retirer.").arg(QDir::toNativeSeparators(journal)));
            return;
        }
        if (::access(QFile::encodeName(journal).constData(), W_OK) != 0) {
            v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : le fichier « %1 » ne peut pas être complété par ce compte.")
                                            .arg(QDir::toNativeSeparators(journal)));
            return;
        }
    }

    // Trying is the only sure test: modes, access lists and network shares all have their say.
    const QString essai = QDir(dossier).filePath(
        QStringLiteral(".seance1-verification-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    const QByteArray nom = QFile::encodeName(essai);
    const int fd = ::open(nom.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int erreur = errno;
        const QString raison = erreur == EACCES || erreur == EPERM ? QStringLiteral("accès refusé")
                               : erreur == EROFS                   ? QStringLiteral("lecture seule")
                               : erreur == ENOSPC                  ? QStringLiteral("disque plein")
                                                                   : QString::fromLocal8Bit(std::strerror(erreur));
        v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : ce compte ne peut pas écrire dans « %1 » (%2).").arg(affiche, raison));
        return;
    }
    const bool ecrit = ::write(fd, "\n", 1) == 1 && ::fsync(fd) == 0;
    ::close(fd);
    const bool retire = ::unlink(nom.constData()) == 0;
    if (!ecrit)
        v.Ajouter(Niveau::Probleme, QStringLiteral("Résultats : un fichier se crée dans « %1 » mais rien ne s'y écrit (disque plein ?).").arg(affiche));
    else
        v.Ajouter(Niveau::Bon, QStringLiteral("Résultats : ce compte peut écrire dans « %1 ».").arg(affiche));
    if (!retire)
        v.Ajouter(Niveau::Avertissement, QStringLiteral("Résultats : le fichier d'essai « %1 » n'a pas pu être retiré.")
                                             .arg(QDir::toNativeSeparators(essai)));
}

namespace {

// The network's words for a request that got no answer.
QString SansReponse(const lrs::Answer& a, int delaiMs) {
    return a.timedOut ? QStringLiteral("pas de réponse en %1 s").arg(delaiMs / 1000.0, 0, 'g', 3) : a.error;
}

}  // namespace

void VerifierLrs(const resultats::ConfigLrs& lrs, Verification& v, int delaiMs) {
    if (!lrs.Active()) {
        v.Ajouter(Niveau::Bon, QStringLiteral("LRS : aucun n'est configuré ; les résultats vont au seul dossier."));
        return;
    }
    // The settings' own reading of the address and the credentials, as the lesson sends with them.
    lrs::Client client(lrs, delaiMs);
    const QUrl declarations = client.Statements();
    const QString affiche = declarations.resolved(QUrl(QStringLiteral("."))).toString();
    const lrs::Answer a = client.Get(declarations.resolved(QUrl(QStringLiteral("about"))), lrs::Client::Credentials::Without);
    if (a.status == 0) {
        v.Ajouter(Niveau::Probleme, QStringLiteral("LRS : « %1 » est injoignable (%2).").arg(affiche, SansReponse(a, delaiMs)));
        return;
    }
    const QJsonArray versions = QJsonDocument::fromJson(a.body).object().value(QLatin1String("version")).toArray();
    if (a.status != 200 || versions.isEmpty()) {
        v.Ajouter(Niveau::Probleme, QStringLiteral("LRS : « %1 » répond, mais pas comme un LRS xAPI (code %2 pour « about »).").arg(affiche).arg(a.status));
        return;
    }

    QUrl premiere = declarations;
    premiere.setQuery(QStringLiteral("limit=1"));
    const lrs::Answer d = client.Get(premiere);
    if (d.status == 200)
        v.Ajouter(Niveau::Bon, QStringLiteral("LRS : « %1 » répond et accepte les identifiants.").arg(affiche));
    else if (d.status == 401 || d.status == 403)
        v.Ajouter(Niveau::Probleme, QStringLiteral("LRS : « %1 » refuse les identifiants (code %2) : vérifiez la clé et le secret des réglages.")
                                        .arg(affiche).arg(d.status));
    else if (d.status == 0)
        v.Ajouter(Niveau::Probleme, QStringLiteral("LRS : « %1 » ne répond plus (%2).").arg(affiche, SansReponse(d, delaiMs)));
    else
        v.Ajouter(Niveau::Probleme, QStringLiteral("LRS : « %1 » répond %2 à la lecture d'une déclaration.").arg(affiche).arg(d.status));
}

void VerifierSon(Verification& v) {
    // With no sound server, Qt's sound back end says so on the terminal as it is first asked; the
    // check says it once, in its own words, below.
    const QtMessageHandler avant = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QAudioDevice sortie = QMediaDevices::defaultAudioOutput();
    qInstallMessageHandler(avant);
    if (sortie.isNull())
        v.Ajouter(Niveau::Avertissement, QStringLiteral("Son : aucune sortie son ; la leçon se déroulera sans son."));
    else
        v.Ajouter(Niveau::Bon, QStringLiteral("Son : sortie « %1 ».").arg(sortie.description()));
}

}  // namespace cli
