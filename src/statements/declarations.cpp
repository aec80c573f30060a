#include "statements/declarations.h"

#include "content/course_identity.h"


#include <QJsonArray>
#include <QRegularExpression>
#include <QUuid>
#include <cmath>

namespace resultats {

namespace {

const QString kLangue = QStringLiteral("fr-FR");

QJsonObject Texte(const QString& fr) { return QJsonObject{{kLangue, fr}}; }

QJsonObject Verbe(const char* iri, const QString& fr, const char* en) {
    return QJsonObject{{QStringLiteral("id"), QLatin1String(iri)},
                       {QStringLiteral("display"), QJsonObject{{kLangue, fr}, {QStringLiteral("en-US"), QLatin1String(en)}}}};
}

QJsonObject Acteur(const Identite& id) {
    QJsonObject acteur{{QStringLiteral("objectType"), QStringLiteral("Agent")},
                       {QStringLiteral("account"), QJsonObject{{QStringLiteral("homePage"), id.pageAccueil},
                                                               {QStringLiteral("name"), id.compte}}}};
    if (!id.nomComplet.isEmpty()) acteur.insert(QStringLiteral("name"), id.nomComplet);
    return acteur;
}

QJsonObject Lecon(const Seance& s) {
    return QJsonObject{
        {QStringLiteral("objectType"), QStringLiteral("Activity")},
        {QStringLiteral("id"), IriLecon(s.numero)},
        {QStringLiteral("definition"),
         QJsonObject{{QStringLiteral("type"), QLatin1String(kTypeLecon)},
                     {QStringLiteral("name"), Texte(content::NomSeance(s.numero, s.titre))}}}};
}

QJsonObject Contexte(const Seance& s, bool dansLaLecon) {
    QJsonObject contexte{{QStringLiteral("registration"), s.registration},
                         {QStringLiteral("language"), kLangue},
                         {QStringLiteral("platform"), QStringLiteral("Séance 1")},
                         {QStringLiteral("extensions"), QJsonObject{{IriBanque(), s.idBanque}}}};
    if (dansLaLecon) {
        contexte.insert(QStringLiteral("contextActivities"),
                        QJsonObject{{QStringLiteral("parent"),
                                     QJsonArray{QJsonObject{{QStringLiteral("objectType"), QStringLiteral("Activity")},
                                                            {QStringLiteral("id"), IriLecon(s.numero)}}}}});
    }
    return contexte;
}

QJsonObject Declaration(const Seance& s, QJsonObject verbe, QJsonObject objet, QJsonObject resultat,
                        bool dansLaLecon, const QDateTime& quand) {
    return QJsonObject{{QStringLiteral("id"), NouvelId()},
                       {QStringLiteral("actor"), Acteur(s.identite)},
                       {QStringLiteral("verb"), std::move(verbe)},
                       {QStringLiteral("object"), std::move(objet)},
                       {QStringLiteral("result"), std::move(resultat)},
                       {QStringLiteral("context"), Contexte(s, dansLaLecon)},
                       {QStringLiteral("timestamp"), quand.toUTC().toString(Qt::ISODateWithMs)}};
}

}  // namespace

QString IriLecon(int seance) { return QLatin1String(kIriSeances) + QString::number(seance); }
QString IriQuestion(int numero, int seance) { return IriLecon(seance) + QLatin1String(kSousQuestion) + QString::number(numero); }

int SeanceDe(QStringView iri) {
    static const QString base = QLatin1String(kIriSeances);
    if (!iri.startsWith(base)) return 0;
    int n = 0;
    qsizetype i = base.size();
    // One or two digits, no leading zero (1 to 99, as IriLecon writes them), then the end or a "/".
    for (; i < iri.size() && i < base.size() + 2 && iri[i] >= u'0' && iri[i] <= u'9'; ++i) n = n * 10 + (iri[i].unicode() - '0');
    if (i == base.size() || iri[base.size()] == u'0' || (i < iri.size() && iri[i] != u'/')) return 0;
    return n;
}

QString IriBanque() { return QLatin1String(kIriBanque); }
QString IriScoreMaitrise() { return QLatin1String(kIriScoreMaitrise); }
QString IriSeuil() { return QLatin1String(kIriSeuil); }

std::optional<double> ScoreMaitrise(double seuil) {
    // Scores go by half points (+1, −0.5): "strictly above seuil" is "at least the next half point",
    // which is what a mastery score means. k/40 needs no more than three decimals.
    const double demiPoints = std::floor(seuil * 2 + 1e-9) + 1;
    if (demiPoints > 2 * kNoteMax) return std::nullopt;
    return std::round(demiPoints / (2 * kNoteMax) * 1000) / 1000;
}

QString IdChoix(int reponse) { return QLatin1String(kIdChoix) + QString::number(reponse); }

QString Seance::IdentiteIntegree() {
    static const QString id = content::BanqueQuestions::Integree().Identite();
    return id;
}

QString NouvelId() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

QString DureeIso(qint64 ms) {
    const qint64 centiemes = std::max<qint64>(ms, 0) / 10;
    const qint64 heures = centiemes / 360000, minutes = centiemes / 6000 % 60, cs = centiemes % 6000;
    QString texte = QStringLiteral("PT");
    if (heures) texte += QString::number(heures) + QLatin1Char('H');
    if (heures || minutes) texte += QString::number(minutes) + QLatin1Char('M');
    texte += QString::number(cs / 100);
    if (cs % 100) texte += QLatin1Char('.') + QStringLiteral("%1").arg(cs % 100, 2, 10, QLatin1Char('0')).remove(QRegularExpression(QStringLiteral("0$")));
    return texte + QLatin1Char('S');
}

qint64 DureeMs(const QString& iso) {
    static const QRegularExpression forme(QStringLiteral(
        R"(^P(?:(\d+)D)?(?:T(?:(\d+)H)?(?:(\d+)M)?(?:(\d+(?:\.\d+)?)S)?)?$)"));
    const QRegularExpressionMatch m = forme.match(iso);
    if (!m.hasMatch() || iso == QLatin1String("P") || iso.endsWith(QLatin1Char('T'))) return -1;
    const double secondes = m.captured(1).toDouble() * 86400 + m.captured(2).toDouble() * 3600 +
                            m.captured(3).toDouble() * 60 + m.captured(4).toDouble();
    return static_cast<qint64>(secondes * 1000 + 0.5);
}

QJsonObject Repondu(const Seance& s, int numero, int choix, bool juste, const QDateTime& quand) {
    const content::EntreeQuestion& e = s.banque.Entree(numero);
    QJsonArray choix4;
    for (int i = 0; i < 4; ++i)
        choix4.append(QJsonObject{{QStringLiteral("id"), IdChoix(i + 1)},
                                  {QStringLiteral("description"), Texte(e.reponses[static_cast<size_t>(i)])}});
    const QJsonObject question{
        {QStringLiteral("objectType"), QStringLiteral("Activity")},
        {QStringLiteral("id"), IriQuestion(numero, s.numero)},
        {QStringLiteral("definition"),
         QJsonObject{{QStringLiteral("type"), QLatin1String(kTypeQuestion)},
                     {QStringLiteral("name"), Texte(QStringLiteral("Question %1").arg(numero))},
                     {QStringLiteral("description"), Texte(e.question)},
                     {QStringLiteral("interactionType"), QStringLiteral("choice")},
                     {QStringLiteral("correctResponsesPattern"), QJsonArray{IdChoix(1)}},
                     {QStringLiteral("choices"), choix4}}}};
    return Declaration(s, Verbe(kVerbeRepondu, QStringLiteral("a répondu"), "answered"), question,
                       QJsonObject{{QStringLiteral("response"), IdChoix(choix + 1)}, {QStringLiteral("success"), juste}},
                       true, quand);
}

QJsonObject Complete(const Seance& s, double note, qint64 dureeMs, const QDateTime& quand) {
    const QJsonObject score{{QStringLiteral("raw"), note},
                            {QStringLiteral("min"), 0},
                            {QStringLiteral("max"), kNoteMax},
                            {QStringLiteral("scaled"), note / kNoteMax}};
    return Declaration(s, Verbe(kVerbeComplete, QStringLiteral("a terminé"), "completed"), Lecon(s),
                       QJsonObject{{QStringLiteral("score"), score},
                                   {QStringLiteral("completion"), true},
                                   {QStringLiteral("duration"), DureeIso(dureeMs)}},
                       false, quand);
}

QJsonObject Reussite(const Seance& s, double note, double seuil, bool reussie, qint64 dureeMs, const QDateTime& quand) {
    const QJsonObject score{{QStringLiteral("raw"), note},
                            {QStringLiteral("min"), 0},
                            {QStringLiteral("max"), kNoteMax},
                            {QStringLiteral("scaled"), note / kNoteMax}};
    QJsonObject verbe = reussie ? Verbe(kVerbeReussi, QStringLiteral("a réussi"), "passed")
                                : Verbe(kVerbeEchoue, QStringLiteral("a échoué"), "failed");
    QJsonObject d = Declaration(s, std::move(verbe), Lecon(s),
                                QJsonObject{{QStringLiteral("score"), score},
                                            {QStringLiteral("success"), reussie},
                                            {QStringLiteral("completion"), true},
                                            {QStringLiteral("duration"), DureeIso(dureeMs)}},
                                false, quand);
    QJsonObject contexte = d.value(QStringLiteral("context")).toObject();
    QJsonObject extensions = contexte.value(QStringLiteral("extensions")).toObject();
    extensions.insert(IriSeuil(), seuil);
    if (const std::optional<double> maitrise = ScoreMaitrise(seuil)) extensions.insert(IriScoreMaitrise(), *maitrise);
    contexte.insert(QStringLiteral("extensions"), extensions);
    d.insert(QStringLiteral("context"), contexte);
    return d;
}

QJsonObject Termine(const Seance& s, qint64 dureeMs, const QDateTime& quand) {
    return Declaration(s, Verbe(kVerbeTermine, QStringLiteral("a quitté"), "terminated"), Lecon(s),
                       QJsonObject{{QStringLiteral("duration"), DureeIso(dureeMs)}}, false, quand);
}

}  // namespace resultats
