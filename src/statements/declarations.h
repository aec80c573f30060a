#pragma once
// The lesson's results as xAPI 1.0.3 statements: "answered" for each validated answer, "completed"
// with the score when the last question is validated, then "passed" or "failed" against the
// course's threshold, "terminated" when the program ends.

#include "content/banque.h"
#include "settings/reglages.h"
#include "statements/vocabulaire.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace resultats {

// Activity IRIs: stable, so that an LRS gathers every session of every machine under the same ones.
// Each séance is an activity of its own (…/seance2 and its questions); séance 1's are as they
// always were, so that earlier journals still count.
QString IriLecon(int seance = 1);
QString IriQuestion(int numero, int seance = 1);
// The séance whose activity iri is, or lies under (its questions): N for …/seanceN and
// …/seanceN/…, 0 for any other.
int SeanceDe(QStringView iri);
// The key, in each statement's context extensions, of the identity of the bank the session asked
// (content::BanqueQuestions::Identite). A statement without it was written before the lesson
// could ask any other bank than the built-in one.
QString IriBanque();
// The keys, in a passed or failed statement's context extensions, of the threshold: cmi5's mastery
// score (the least scaled score that passes, any LMS reads it) and the teacher's own threshold out
// of 20 as the settings give it, which a score must be strictly above.
QString IriScoreMaitrise();
QString IriSeuil();
// The least scaled score strictly above seuil (out of 20), to three decimals as cmi5 states it;
// none when no score can be (seuil 20).
std::optional<double> ScoreMaitrise(double seuil);
// The choice id of the bank's answer 1 to 4 (answer 1 is the right one).
QString IdChoix(int reponse);

inline constexpr int kNoteMax = 20;

// One run of the program: the statements it writes share its registration.
struct Seance {
    QString registration;  // a UUID
    Identite identite;
    // The bank asked and its identity; give both or neither.
    content::BanqueQuestions banque = content::BanqueQuestions::Integree();
    QString idBanque = IdentiteIntegree();
    int numero = 1;  // the séance of the course played
    QString titre;   // its title, which names its activity; none: "Séance N"
    static QString IdentiteIntegree();
};

QString NouvelId();  // a random (version 4) UUID, without braces
// ISO 8601 duration to the hundredth of a second, e.g. "PT1H2M3.5S".
QString DureeIso(qint64 ms);
// Milliseconds of an ISO 8601 duration as written by DureeIso (and the usual PnDTnHnMnS forms); -1 if not one.
qint64 DureeMs(const QString& iso);

// choix: 0 to 3, the bank's answer the learner validated.
QJsonObject Repondu(const Seance& s, int numero, int choix, bool juste, const QDateTime& quand);
QJsonObject Complete(const Seance& s, double note, qint64 dureeMs, const QDateTime& quand);
// reussie: the course's rule applied to note and seuil by the caller, so that the statement says
// what the menu and the reports say.
QJsonObject Reussite(const Seance& s, double note, double seuil, bool reussie, qint64 dureeMs, const QDateTime& quand);
QJsonObject Termine(const Seance& s, qint64 dureeMs, const QDateTime& quand);


}  // namespace resultats
