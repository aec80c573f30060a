#pragma once
// The one reading of statements for the teacher's side: a class folder's journals, a learner's own
// journal, an LRS's statements, each statement projected into the few fields the reports count
// (Essentiel), the same way whatever its source.
//
// A journal line is a statement when it is one JSON object by the JSON grammar (stricter than
// Qt's parser, which lets "1." or "\x" through) with a string "id" and an object "verb"; any other
// line is skipped with its reason. A field is found by its keys joined with dots, as a journal's
// earliest readers found it: {"actor.name": …} names actor.name, a key spelt with escapes is the
// key they spell, and of a field given twice the last counts. Each id is kept once.
//
// The journals are parsed by simdjson on both cores, a file each at a time, and handed over in name
// order; a line simdjson refuses (invalid UTF-8, a lone surrogate, a number out of range, deep
// nesting) is read by a parser of our own, which decides.

#include "statements/lecture_journal.h"

#include <QJsonObject>
#include <QSet>
#include <QString>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace resultats {

// A statement as the class's reports count it: each string field empty when it holds no string.
struct Essentiel {
    QString verbe, objet, registration;
    QString acteur, compte, pageCompte, mbox;  // actor.name, actor.account.{name,homePage}, actor.mbox
    bool compteDonne = false;                  // an account with a name or home page
    // result.response, result.duration, the question asked (object.definition.description), the bank
    // asked (the bank's extension).
    QString reponse, duree, description, banque;
    // The texts of the answers reponse1 to reponse4 (object.definition.choices). A text is a
    // language map's French one, else the one of its first language in key order.
    std::array<QString, 4> choix;
    bool dureeDonnee = false;  // result.duration present, whatever it holds
    std::optional<bool> succes;
    double note = 0;  // result.score.raw, 0 when not a number
    // The timestamp as Qt reads it (ISO 8601 with milliseconds), in ms since the epoch; kSansDate
    // when there is none or it is not a valid one.
    qint64 quand = kSansDate;
    static constexpr qint64 kSansDate = std::numeric_limits<qint64>::min();
    bool operator==(const Essentiel&) const = default;
};

// Essentiel::quand of a timestamp: as QDateTime::fromString(texte, Qt::ISODateWithMs) reads it,
// without building one for the usual UTC form.
qint64 Horodatage(std::string_view texte);

// A statement given whole (an LRS's), projected as a journal's line is.
Essentiel Projeter(const QJsonObject& declaration);

struct LectureEssentielle {
    std::function<void(const Essentiel&)> recevoir;  // in file order, each id once
    std::vector<LigneIgnoree> ignorees;
    QSet<QString>* ids = nullptr;  // when set, the ids handed over are added to it
};

// Every journal (*.jsonl) of the folder, in name order; false, with the reason in ignorees (line 0),
// when the folder or a journal cannot be read.
bool LireDossierEssentiel(const QString& dossier, LectureEssentielle& lecture);
// One journal.
bool LireJournalEssentiel(const QString& chemin, LectureEssentielle& lecture);

}  // namespace resultats
