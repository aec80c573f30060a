#pragma once
// A class folder read for the teacher's reports at the speed of the disk: the journals parsed by
// simdjson on both cores, one file each at a time, and handed over in name order. What it gives is
// what LireDossier gives with essentiel set, statement for statement: the same fields, the same
// order, each id once, the same lines skipped for the same reasons.

#include "statements/lecture_journal.h"

#include <array>
#include <functional>
#include <limits>
#include <string_view>
#include <optional>

namespace resultats {

bool LireDossierRapide(const QString& dossier, Lecture& lecture);

// A statement as the class's reports count it: the fields they read, each as its reader takes it
// from the statement (a string field that holds no string is empty). No JSON object is built, which
// is most of the cost of a reading; the id stays with the reading, which keeps each statement once.
struct Essentiel {
    QString verbe, objet, registration;
    QString acteur, compte, pageCompte;  // actor.name, actor.account.{name,homePage}
    bool compteDonne = false;            // an account with a name or home page
    QString reponse, duree, description, banque;
    std::array<QString, 4> choix;  // the French texts of the answers reponse1 to reponse4
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

// What the journal reader's statement (essentiel set) gives, for any other source of statements.
Essentiel EssentielDe(const QJsonObject& declaration);

struct LectureEssentielle {
    std::function<void(const Essentiel&)> recevoir;  // in file order, each id once
    std::vector<LigneIgnoree> ignorees;
};

// As LireDossierRapide, the statements handed over as Essentiel.
bool LireDossierEssentiel(const QString& dossier, LectureEssentielle& lecture);

}  // namespace resultats
