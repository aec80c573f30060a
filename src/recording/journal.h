#pragma once
// The results journal: a file of JSON lines, one statement each, that is only ever appended to.
// A line reaches the disk whole (written, then flushed to the disk) or not at all; a line a kill or
// a power cut left cut short is closed off so that it spoils nothing after it, and every reader
// skips it with a warning.
//
// A class folder (a network share the teacher reads) is backed by the account's own folder, which
// can nearly always be written: what the class folder cannot take now (missing, read-only, full, or
// holding a file of this name that another account owns) goes to the own journal, and joins the
// class folder later, at the next append or the next start, each statement once. Only when the own
// folder cannot be written either do statements wait in memory, and the learner is told once.

#include "settings/reglages.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace resultats {

struct Creation {
    // A class folder is never made by the lesson: missing, it is most often a share not mounted, and
    // a local folder of that name would hide it.
    bool creerDossier = true;
    // Readable by the folder's group (the teacher's), as the umask allows.
    unsigned mode = 0640;
};

// Appends one line (without its newline) to the file, creating it (and its folder, when asked), and
// flushes it to the disk. A file whose last line was cut short gets a newline first. A file that is
// a symbolic link, not a regular file, or owned by another account is never written to: another
// learner could have put it there to collect or spoil these results. Returns an empty string on
// success, else the reason in French; on failure the file holds nothing of this line that a reader
// would take for whole.
QString AjouterLigne(const QString& chemin, const QByteArray& ligne, const Creation& creation = {});

class Journal {
public:
    // A journal in one folder, made when missing (the account's own folder).
    Journal(QString dossier, const Identite& identite);
    // A class folder, never made here, backed by the account's own folder. Either may be empty; when
    // both name the same folder, it is the only journal.
    Journal(QString classe, QString propre, const Identite& identite);

    // Writes what waits, then this statement. Never throws and never stops the lesson. True when
    // every statement is on a disk (the class folder's or the own folder's).
    bool Ajouter(const QJsonObject& declaration);
    // Tries again to write what waits, with nothing new.
    bool Vider();
    // At the start: finds what the own journal holds and the class journal lacks, and copies it.
    void Rattraper();
    // Called (on the writing thread) the first time a statement can be written nowhere.
    void SurPerte(std::function<void()> perte) { perte_ = std::move(perte); }

    QString Chemin() const { return chemin_; }                 // the class journal, or the only one
    QString CheminPropre() const { return cheminPropre_; }     // empty when there is only one
    size_t EnAttente() const { return attente_.size(); }       // in memory only
    size_t EnRetard() const { return retard_.size(); }         // in the own journal, not yet in the class's

private:
    struct Ligne {
        QString id;
        QByteArray texte;
    };
    bool Rejoindre();  // the own journal's lines to the class journal; true when none is left behind
    void Signaler(const QString& raison);

    QString chemin_;
    QString cheminPropre_;
    Creation creation_;
    std::deque<Ligne> attente_;
    std::deque<Ligne> retard_;
    QString derniereRaison_;
    std::function<void()> perte_;
    bool perteSignalee_ = false;
};

// A journal written on its own thread, so that a slow or hung folder (a class's network share) never
// holds up the lesson: appending only queues. What is queued is written in order, normally long
// before the next question shows.
class JournalEnFond {
public:
    JournalEnFond(QString dossier, const Identite& identite);
    // Starts by catching up what an earlier session left in the own journal (Journal::Rattraper).
    explicit JournalEnFond(Journal journal);
    // Waits a moment for what is queued; a thread stuck on a hung folder is left behind.
    ~JournalEnFond();

    void Ajouter(const QJsonObject& declaration);
    // Waits until everything queued has been written or has failed; false if still at it after ms.
    bool Attendre(int ms);
    QString Chemin() const { return chemin_; }
    QString CheminPropre() const { return cheminPropre_; }

private:
    struct Etat;
    QString chemin_;
    QString cheminPropre_;
    std::shared_ptr<Etat> etat_;  // shared with the thread, which may outlive this object
};

// The journal's file name for an account on a machine: each writes its own file in a shared folder.
QString NomFichier(const Identite& identite);

}  // namespace resultats
