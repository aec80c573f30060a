#pragma once
// The results journal: a file of JSON lines, one statement each, that is only ever appended to.
// A line reaches the disk whole (written, then flushed to the disk) or not at all; a line a kill or
// a power cut left cut short is closed off so that it spoils nothing after it, and every reader
// skips it with a warning. When the folder cannot be written, statements wait in memory and go
// first at the next append.

#include "resultats/reglages.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace resultats {

// Appends one line (without its newline) to the file, creating it and its folder, and flushes it to
// the disk. A file whose last line was cut short gets a newline first. Returns an empty string on
// success, else the reason in French; on failure the file holds nothing of this line that a reader
// would take for whole.
QString AjouterLigne(const QString& chemin, const QByteArray& ligne);

class Journal {
public:
    Journal(QString dossier, const Identite& identite);

    // Writes the statements waiting in memory, then this one. Never throws and never stops the lesson:
    // on failure a warning goes to the standard error and the statement waits. True when all are written.
    bool Ajouter(const QJsonObject& declaration);
    // Tries again to write what waits, with nothing new.
    bool Vider();

    QString Chemin() const { return chemin_; }
    size_t EnAttente() const { return attente_.size(); }

private:
    QString chemin_;
    std::deque<QByteArray> attente_;
};

// A journal written on its own thread, so that a slow or hung folder (a class's network share) never
// holds up the lesson: appending only queues. What is queued is written in order, normally long
// before the next question shows.
class JournalEnFond {
public:
    JournalEnFond(QString dossier, const Identite& identite);
    // Waits a moment for what is queued; a thread stuck on a hung folder is left behind.
    ~JournalEnFond();

    void Ajouter(const QJsonObject& declaration);
    // Waits until everything queued has been written or has failed; false if still at it after ms.
    bool Attendre(int ms);
    QString Chemin() const { return chemin_; }

private:
    struct Etat;
    QString chemin_;
    std::shared_ptr<Etat> etat_;  // shared with the thread, which may outlive this object
};

// The journal's file name for an account on a machine: each writes its own file in a shared folder.
QString NomFichier(const Identite& identite);

struct LigneIgnoree {
    QString fichier;
    int ligne;
    QString raison;
};

struct Lecture {
    // In file order, each id once; or, when recevoir is set, handed to it one by one instead of kept.
    std::vector<QJsonObject> declarations;
    std::function<void(const QJsonObject&)> recevoir;
    // Only the fields a session's summary needs (see projection.h), read much faster.
    bool essentiel = false;
    std::vector<LigneIgnoree> ignorees;
    QSet<QString> ids;  // a statement written again after a failed flush is read once
};

// Reads one journal file into lecture; returns false (with the reason in ignorees, line 0) if the
// file cannot be read at all.
bool LireJournal(const QString& chemin, Lecture& lecture);
// Every journal (*.jsonl) in the folder, files in name order. Also false if the folder is unreadable.
bool LireDossier(const QString& dossier, Lecture& lecture);

}  // namespace resultats
