#include "recording/journal.h"

#include "settings/avertissements.h"
#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace resultats {

namespace {

QString Raison(int erreur) { return QString::fromLocal8Bit(std::strerror(erreur)); }

bool ToutEcrire(int fd, const char* data, size_t taille) {
    while (taille > 0) {
        const ssize_t n = ::write(fd, data, taille);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        taille -= static_cast<size_t>(n);
    }
    return true;
}

// A new file's name must survive a power cut too.
void SynchroniserDossier(const QString& dossier) {
    const int fd = ::open(QFile::encodeName(dossier).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

QString AjouterLigne(const QString& chemin, const QByteArray& ligne, const Creation& creation) {
    const QString dossier = QFileInfo(chemin).path();
    if (creation.creerDossier) {
        if (!QDir().mkpath(dossier)) return QStringLiteral("le dossier %1 ne peut pas être créé").arg(dossier);
    } else if (!QFileInfo(dossier).isDir()) {
        return QStringLiteral("le dossier %1 n'existe pas (partage réseau non monté ?)").arg(dossier);
    }
    const QByteArray nom = QFile::encodeName(chemin);
    // A file made now is this account's whatever owner the share shows; one found there must be its own.
    int fd = ::open(nom.constData(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, creation.mode);
    const bool nouveau = fd >= 0;
    if (fd < 0 && errno == EEXIST) {
        fd = ::open(nom.constData(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
        // A file one may append to but not read: its last line cannot be checked, the rest holds.
        if (fd < 0 && errno == EACCES) fd = ::open(nom.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0 && errno == ELOOP) return QStringLiteral("%1 est un lien symbolique : rien n'y est écrit").arg(chemin);
    if (fd < 0) return Raison(errno);

    struct stat etat {};
    if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
        ::close(fd);
        return QStringLiteral("%1 n'est pas un fichier ordinaire : rien n'y est écrit").arg(chemin);
    }
    if (!nouveau && etat.st_uid != ::geteuid()) {
        ::close(fd);
        return QStringLiteral("le fichier %1 appartient à un autre compte (uid %2) : rien n'y est écrit, "
                              "il a pu être placé là pour recueillir ou fausser ces résultats")
            .arg(chemin)
            .arg(etat.st_uid);
    }
    const off_t avant = etat.st_size;
    char dernier = '\n';
    if (avant > 0 && ::pread(fd, &dernier, 1, avant - 1) != 1) dernier = '\n';

    QByteArray tout;
    tout.reserve(ligne.size() + 2);
    if (dernier != '\n') tout += '\n';  // closes off a line cut short by a kill, which stays skipped
    tout += ligne;
    tout += '\n';

    QString erreur;
    if (!ToutEcrire(fd, tout.constData(), static_cast<size_t>(tout.size()))) {
        erreur = Raison(errno);
        // Half a line would read as a damaged one: take it back.
        (void)!::ftruncate(fd, avant);
    } else if (::fdatasync(fd) != 0 && errno != EINVAL) {
        erreur = Raison(errno);
    }
    ::close(fd);
    if (nouveau && erreur.isEmpty()) SynchroniserDossier(dossier);
    // A file that never held a whole line is no use and would only be in the way.
    if (nouveau && !erreur.isEmpty()) ::unlink(nom.constData());
    return erreur;
}

}  // namespace resultats

namespace resultats {

QString NomFichier(const Identite& identite) {
    QString nom = identite.compte + QLatin1Char('@') + identite.machine;
    for (QChar& c : nom)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20) c = QLatin1Char('_');
    if (nom.startsWith(QLatin1Char('.'))) nom[0] = QLatin1Char('_');
    return nom + QStringLiteral(".jsonl");
}

Journal::Journal(QString dossier, const Identite& identite)
    : chemin_(dossier.isEmpty() ? QString() : QDir(dossier).filePath(NomFichier(identite))) {}

Journal::Journal(QString classe, QString propre, const Identite& identite) : Journal(classe, identite) {
    const QString fichierPropre = propre.isEmpty() ? QString() : QDir(propre).filePath(NomFichier(identite));
    if (chemin_.isEmpty()) {
        chemin_ = fichierPropre;
    } else if (QDir::cleanPath(classe) != QDir::cleanPath(propre)) {
        cheminPropre_ = fichierPropre;
        creation_.creerDossier = false;
    }
}

bool Journal::Ajouter(const QJsonObject& declaration) {
    attente_.push_back({declaration.value(QLatin1String("id")).toString(), QJsonDocument(declaration).toJson(QJsonDocument::Compact)});
    return Vider();
}

void Journal::Signaler(const QString& raison) {
    if (raison == derniereRaison_) return;  // one warning per cause, not one per answer
    derniereRaison_ = raison;
    qCWarning(Avertissements()).noquote() << QStringLiteral("résultats gardés dans %1 : %2 ; ils rejoindront %3 dès qu'il pourra les recevoir.")
                .arg(cheminPropre_, raison, QFileInfo(chemin_).path());
}

bool Journal::Rejoindre() {
    while (!retard_.empty()) {
        const QString erreur = AjouterLigne(chemin_, retard_.front().texte, creation_);
        if (!erreur.isEmpty()) {
            Signaler(erreur);
            return false;
        }
        retard_.pop_front();
    }
    if (!derniereRaison_.isEmpty()) {
        derniereRaison_.clear();
        qCWarning(Avertissements()).noquote() << QStringLiteral("les résultats gardés dans %1 ont rejoint %2.").arg(cheminPropre_, chemin_);
    }
    return true;
}

bool Journal::Vider() {
    bool classeOuverte = cheminPropre_.isEmpty() || Rejoindre();
    while (!attente_.empty()) {
        const Ligne& ligne = attente_.front();
        QString erreur = chemin_.isEmpty() ? QStringLiteral("aucun dossier de résultats (pas de dossier personnel)") : QString();
        if (classeOuverte && !chemin_.isEmpty()) {
            erreur = AjouterLigne(chemin_, ligne.texte, creation_);
            if (erreur.isEmpty()) {
                attente_.pop_front();
                continue;
            }
        }
        if (erreur.isEmpty()) erreur = derniereRaison_;
        if (!cheminPropre_.isEmpty()) {
            if (classeOuverte) Signaler(erreur);
            classeOuverte = false;
            const QString propre = AjouterLigne(cheminPropre_, ligne.texte);
            if (propre.isEmpty()) {
                retard_.push_back(attente_.front());
                attente_.pop_front();
                continue;
            }
            erreur = QStringLiteral("%1 ; et dans %2 : %3").arg(erreur, cheminPropre_, propre);
        }
        qCWarning(Avertissements()).noquote() << QStringLiteral("résultat non enregistré dans %1 : %2 ; %3 en attente, nouvel essai au prochain.")
                    .arg(chemin_.isEmpty() ? QStringLiteral("le journal") : chemin_, erreur)
                    .arg(attente_.size());
        if (!perteSignalee_ && perte_) {
            perteSignalee_ = true;
            perte_();
        }
        return false;
    }
    return true;
}

void Journal::Rattraper() {
    if (cheminPropre_.isEmpty() || !QFileInfo::exists(cheminPropre_)) return;
    Lecture propre;
    LireJournal(cheminPropre_, propre);
    if (propre.declarations.empty()) return;
    // What the class journal already has is not copied again; one it cannot show is, and readers
    // count each id once.
    QSet<QString> dejaLa;
    if (QFileInfo::exists(chemin_)) {
        LectureEssentielle classe;
        classe.recevoir = [](const Essentiel&) {};
        classe.ids = &dejaLa;
        LireJournalEssentiel(chemin_, classe);
    }
    QSet<QString> enRetard;
    for (const Ligne& l : retard_) enRetard.insert(l.id);
    for (const QJsonObject& d : propre.declarations) {
        const QString id = d.value(QLatin1String("id")).toString();
        if (dejaLa.contains(id) || enRetard.contains(id)) continue;
        retard_.push_back({id, QJsonDocument(d).toJson(QJsonDocument::Compact)});
    }
    if (!retard_.empty()) derniereRaison_ = QStringLiteral("(séance précédente)");
    Rejoindre();
}

struct JournalEnFond::Etat {
    explicit Etat(Journal j) : journal(std::move(j)) {}
    Journal journal;
    std::mutex verrou;
    std::condition_variable signal;
    std::deque<QJsonObject> file;
    bool occupe = false;
    bool fin = false;
};

JournalEnFond::JournalEnFond(QString dossier, const Identite& identite) : JournalEnFond(Journal(std::move(dossier), identite)) {}

JournalEnFond::JournalEnFond(Journal journal) : etat_(std::make_shared<Etat>(std::move(journal))) {
    chemin_ = etat_->journal.Chemin();
    cheminPropre_ = etat_->journal.CheminPropre();
    etat_->occupe = true;  // catching up
    std::thread([etat = etat_] {
        etat->journal.Rattraper();
        std::unique_lock<std::mutex> verrou(etat->verrou);
        etat->occupe = false;
        etat->signal.notify_all();
        for (;;) {
            etat->signal.wait(verrou, [&] { return etat->fin || !etat->file.empty(); });
            if (etat->file.empty()) return;
            std::deque<QJsonObject> lot;
            lot.swap(etat->file);
            etat->occupe = true;
            verrou.unlock();
            for (const QJsonObject& d : lot) etat->journal.Ajouter(d);
            verrou.lock();
            etat->occupe = false;
            etat->signal.notify_all();
        }
    }).detach();
}

JournalEnFond::~JournalEnFond() {
    Attendre(2000);
    std::lock_guard<std::mutex> verrou(etat_->verrou);
    etat_->fin = true;
    etat_->signal.notify_all();
}

void JournalEnFond::Ajouter(const QJsonObject& declaration) {
    std::lock_guard<std::mutex> verrou(etat_->verrou);
    etat_->file.push_back(declaration);
    etat_->signal.notify_all();
}

bool JournalEnFond::Attendre(int ms) {
    std::unique_lock<std::mutex> verrou(etat_->verrou);
    return etat_->signal.wait_for(verrou, std::chrono::milliseconds(ms),
                                  [&] { return etat_->file.empty() && !etat_->occupe; });
}

}  // namespace resultats
