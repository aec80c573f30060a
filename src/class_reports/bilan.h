#pragma once
// The teacher's view of a results folder: one line per learner session, as text or as CSV for a
// spreadsheet, and the command "seance1 --results [FOLDER | --lrs] [--csv]".

#include "settings/reglages.h"
#include "statements/lecture_journal.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <limits>
#include <vector>

namespace resultats {

struct Essentiel;

struct BilanSeance {
    QString registration;
    int seance = 1;     // the séance of the course played
    QString apprenant;  // full name, else the account
    QString compte;     // account@home page host
    QDateTime debut;    // first statement
    double note = 0;    // as shown on screen: from "completed", else counted from the answers so far
    qint64 dureeMs = -1;  // time spent, -1 when unknown
    int questions = 0;    // distinct questions answered
    bool terminee = false;  // all twenty answered ("completed")
};

// Gathers statements, in journal order, into sessions of séance number seance (0: of every séance).
class Comptage {
public:
    // reponses false: only who, when and the completed score are kept (a session's answers are not
    // counted, its unfinished score stays 0): what a class's progress needs, at a fraction of the cost.
    explicit Comptage(int seance = 1, bool reponses = true);
    void Ajouter(const QJsonObject& declaration);  // projected first (Projeter)
    void Ajouter(const Essentiel& declaration);
    // The sessions, oldest first.
    std::vector<BilanSeance> Bilans() const;

private:
    struct EnCours {
        BilanSeance bilan;
        QSet<QString> repondues;
        double compte = 0;
        qint64 debut = std::numeric_limits<qint64>::max();  // ms since the epoch, max when unknown
    };
    QHash<QString, size_t>::const_iterator Nouvelle(const Essentiel& e, int seance);
    int seance_;  // its statements are about the séance's activity or under it
    bool reponses_;
    std::vector<EnCours> seances_;
    QHash<QString, size_t> index_;
    QString derniere_;  // the registration of the last statement counted, and its session
    size_t derniereSeance_ = 0;
};

std::vector<BilanSeance> Bilans(const std::vector<QJsonObject>& declarations, int seance = 1);

QString TexteBilans(const std::vector<BilanSeance>& bilans);
// UTF-8 with its byte-order mark, ";" between fields, decimal comma.
QByteArray CsvBilans(const std::vector<BilanSeance>& bilans);

// Every session the LRS of the settings holds for this lesson; false with the reason in French when
// it could not be read to the end. parPage: see LireLrs.
bool LireBilansLrs(const ConfigLrs& config, std::vector<BilanSeance>& bilans, QString& erreur, int parPage = 0,
                   int seance = 1);

}  // namespace resultats
