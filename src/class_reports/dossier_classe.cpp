#include "class_reports/dossier_classe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace resultats {

namespace {

QString Raison(int erreur) {
    switch (erreur) {
    case EACCES: return QStringLiteral("accès refusé");
    case EPERM: return QStringLiteral("opération non permise");
    case EROFS: return QStringLiteral("système de fichiers en lecture seule");
    case ENOENT: return QStringLiteral("un dossier parent n'existe pas");
    case ENOTDIR: return QStringLiteral("un élément du chemin n'est pas un dossier");
    case ENOSPC: return QStringLiteral("disque plein");
    default: return QString::fromLocal8Bit(std::strerror(erreur));
    }
}

QString NomCompte(uid_t uid) {
    if (const passwd* pw = ::getpwuid(uid)) return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

QString NomGroupe(gid_t gid) {
    if (const group* gr = ::getgrgid(gid)) return QString::fromLocal8Bit(gr->gr_name);
    return QString::number(gid);
}

// The kernel lets a file's owner give it a group only among the groups of the running process.
bool MembreDe(gid_t gid) {
    if (::getegid() == gid) return true;
    const int n = ::getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groupes(static_cast<size_t>(n));
    const int lus = ::getgroups(n, groupes.data());
    for (int i = 0; i < lus; ++i)
        if (groupes[static_cast<size_t>(i)] == gid) return true;
    return false;
}

Preparation Echec(const QString& message) { return {false, message}; }

}  // namespace

Preparation PreparerDossierClasse(const QString& dossier, const QString& groupe) {
    if (dossier.isEmpty()) return Echec(QStringLiteral("aucun dossier donné."));
    const QString affiche = QDir::toNativeSeparators(dossier);
    const uid_t moi = ::geteuid();
    const bool administrateur = moi == 0;

    gid_t gid = ::getegid();
    if (!groupe.isEmpty()) {
        const group* gr = ::getgrnam(QFile::encodeName(groupe).constData());
        if (!gr) return Echec(QStringLiteral("le groupe « %1 » n'existe pas.").arg(groupe));
        gid = gr->gr_gid;
        if (!administrateur && !MembreDe(gid))
            return Echec(QStringLiteral("vous n'êtes pas membre du groupe « %1 » (après un ajout au groupe, "
                                        "reconnectez-vous pour qu'il compte).").arg(groupe));
    }

    const QByteArray chemin = QFile::encodeName(dossier);
    struct stat etat {};
    bool cree = false;
    if (::stat(chemin.constData(), &etat) != 0) {
        if (errno != ENOENT) return Echec(QStringLiteral("« %1 » est inaccessible : %2.").arg(affiche, Raison(errno)));
        const QString parent = QFileInfo(dossier).absolutePath();
        if (!QDir().mkpath(parent))
            return Echec(QStringLiteral("le dossier « %1 » ne peut pas être créé.").arg(QDir::toNativeSeparators(parent)));
        // Closed until its mode is set, so that no one slips a file in before.
        if (::mkdir(chemin.constData(), 0700) != 0 && errno != EEXIST)
            return Echec(QStringLiteral("le dossier « %1 » ne peut pas être créé : %2.").arg(affiche, Raison(errno)));
        if (::stat(chemin.constData(), &etat) != 0)
            return Echec(QStringLiteral("« %1 » est inaccessible : %2.").arg(affiche, Raison(errno)));
        cree = true;
    }
    if (!S_ISDIR(etat.st_mode)) return Echec(QStringLiteral("« %1 » n'est pas un dossier.").arg(affiche));
    if (etat.st_uid != moi)
        return Echec(QStringLiteral("le dossier « %1 » appartient à « %2 », pas à vous (« %3 ») : seul son propriétaire "
                                    "peut le préparer.").arg(affiche, NomCompte(etat.st_uid), NomCompte(moi)));

    if (etat.st_gid != gid && ::chown(chemin.constData(), static_cast<uid_t>(-1), gid) != 0)
        return Echec(QStringLiteral("le groupe de « %1 » ne peut pas devenir « %2 » : %3.").arg(affiche, NomGroupe(gid), Raison(errno)));
    if (::chmod(chemin.constData(), kModeDossierClasse) != 0)
        return Echec(QStringLiteral("les droits de « %1 » ne peuvent pas être changés : %2.").arg(affiche, Raison(errno)));

    // Some file systems (a share mounted with fixed modes, FAT) accept the change and keep nothing of it.
    if (::stat(chemin.constData(), &etat) != 0)
        return Echec(QStringLiteral("« %1 » est inaccessible : %2.").arg(affiche, Raison(errno)));
    const unsigned mode = etat.st_mode & 07777;
    if (mode != kModeDossierClasse || etat.st_gid != gid)
        return Echec(QStringLiteral("le système de fichiers de « %1 » n'a pas gardé les droits demandés (mode %2, groupe « %3 », "
                                    "au lieu de %4, « %5 ») : sur un partage réseau, réglez-les sur le serveur.")
                         .arg(affiche, QString::number(mode, 8), NomGroupe(etat.st_gid), QString::number(kModeDossierClasse, 8),
                              NomGroupe(gid)));

    // Files already there keep their own modes: those anyone may read are pointed out.
    int lisibles = 0;
    const QFileInfoList fichiers = QDir(dossier).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : fichiers)
        if (f.permissions() & QFileDevice::ReadOther) ++lisibles;

    QString message = QStringLiteral("Dossier de la classe %1 : « %2 », à « %3 » et au groupe « %4 », mode %5 : chaque apprenant "
                                     "y dépose son fichier sans voir ceux des autres.")
                          .arg(cree ? QStringLiteral("créé") : QStringLiteral("prêt"), affiche, NomCompte(moi), NomGroupe(gid),
                               QString::number(kModeDossierClasse, 8));
    if (lisibles > 0)
        message += QStringLiteral("\nAttention : %1 fichier(s) déjà présent(s) restent lisibles par tous ; leurs propriétaires "
                                  "peuvent les fermer (chmod o-r).").arg(lisibles);
    return {true, message};
}

}  // namespace resultats
