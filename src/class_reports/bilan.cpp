#include "class_reports/bilan.h"

#include "class_reports/lecture_lrs.h"
#include "statements/lecture_declarations.h"
#include "settings/reglages.h"
#include "statements/declarations.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QLocale>
#include <QSet>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace resultats {

namespace {

// The score as the quiz counts it: a right answer adds one, a wrong one takes half off, never below zero.
double Compter(double note, bool juste) { return juste ? note + 1 : std::max(0.0, note - 0.5); }

QString Nombre(double valeur) {
    static const QLocale francais(QLocale::French, QLocale::France);
    return francais.toString(valeur, 'g', 6);
}

QString Duree(qint64 ms) {
    if (ms < 0) return QStringLiteral("—");
    const qint64 s = (ms + 500) / 1000;
    if (s >= 3600) return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0'));
    if (s >= 60) return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 s").arg(s);
}

// The local time of t, as toLocalTime gives it. The system's local time is asked once an hour of
// the class's sessions rather than once a session: each asking reads the system's time zone again,
// which was a good part of listing ten thousand sessions.
class Dates {
public:
    QString operator()(const QDateTime& t) {
        if (!t.isValid()) return t.toLocalTime().toString(kFormat);
        const qint64 ms = t.toMSecsSinceEpoch();
        const qint64 heure = ms - ((ms % kHeure) + kHeure) % kHeure;
        if (heure != heure_) {
            heure_ = heure;
            const int debut = QDateTime::fromMSecsSinceEpoch(heure, Qt::UTC).toLocalTime().offsetFromUtc();
            const int fin = QDateTime::fromMSecsSinceEpoch(heure + kHeure - 1, Qt::UTC).toLocalTime().offsetFromUtc();
            // An hour across a change of the local time is asked each time.
            decalage_ = debut == fin ? std::optional<int>(debut) : std::nullopt;
        }
        if (!decalage_) return t.toLocalTime().toString(kFormat);
        return QDateTime::fromMSecsSinceEpoch(ms + qint64(*decalage_) * 1000, Qt::UTC).toString(kFormat);
    }

private:
    static constexpr qint64 kHeure = 3600 * 1000;
    inline static const QString kFormat = QStringLiteral("yyyy-MM-dd HH:mm");
    qint64 heure_ = std::numeric_limits<qint64>::min();
    std::optional<int> decalage_;
};

QString Etat(const BilanSeance& b) { return b.terminee ? QStringLiteral("terminée") : QStringLiteral("non terminée"); }

QString CaseCsv(QString texte) {
    if (texte.contains(QLatin1Char(';')) || texte.contains(QLatin1Char('"')) || texte.contains(QLatin1Char('\n')))
        texte = QLatin1Char('"') + texte.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return texte;
}

}  // namespace

Comptage::Comptage(int seance, bool reponses) : seance_(seance), reponses_(reponses) {}

void Comptage::Ajouter(const QJsonObject& d) { Ajouter(Projeter(d)); }

void Comptage::Ajouter(const Essentiel& e) {
    const QString& registration = e.registration;
    const QString& objet = e.objet;
    const int seance = SeanceDe(objet);
    if (registration.isEmpty() || seance == 0 || (seance_ != 0 && seance != seance_)) return;

    // A session's statements mostly follow one another, their registration one shared text: the
    // same one as the last is known without looking it up.
    if (registration.constData() != derniere_.constData() || registration.size() != derniere_.size()) {
        auto it = index_.constFind(registration);
        if (it == index_.constEnd()) it = Nouvelle(e, seance);
        derniere_ = registration;
        derniereSeance_ = *it;
    }
    EnCours& s = seances_[derniereSeance_];

    // The earliest statement, whichever order they come in (an LRS gives them in the order it stored them).
    if (e.quand != Essentiel::kSansDate) s.debut = std::min(s.debut, e.quand);
    static const QString repondu = QLatin1String(kVerbeRepondu), complete = QLatin1String(kVerbeComplete);
    if (e.verbe == repondu) {
        if (!reponses_) return;
        if (!s.repondues.contains(objet)) {
            s.repondues.insert(objet);
            s.compte = Compter(s.compte, e.succes.value_or(false));
        }
        s.bilan.questions = static_cast<int>(s.repondues.size());
        if (!s.bilan.terminee) s.bilan.note = s.compte;
    } else if (e.verbe == complete) {
        s.bilan.terminee = true;
        s.bilan.note = e.note;
    }
    if (e.dureeDonnee) s.bilan.dureeMs = std::max(s.bilan.dureeMs, DureeMs(e.duree));
}

QHash<QString, size_t>::const_iterator Comptage::Nouvelle(const Essentiel& e, int seance) {
    BilanSeance b;
    b.registration = e.registration;
    b.seance = seance;
    b.compte = e.compte;
    const QString hote = QUrl(e.pageCompte).host();
    if (!hote.isEmpty()) b.compte += QLatin1Char('@') + hote;
    b.apprenant = e.acteur.isEmpty() ? e.compte : e.acteur;
    seances_.push_back({b, {}, 0});
    return index_.insert(e.registration, seances_.size() - 1);
}

std::vector<BilanSeance> Comptage::Bilans() const {
    std::vector<BilanSeance> bilans;
    bilans.reserve(seances_.size());
    for (const EnCours& s : seances_) {
        bilans.push_back(s.bilan);
        if (s.debut != std::numeric_limits<qint64>::max()) bilans.back().debut = QDateTime::fromMSecsSinceEpoch(s.debut, Qt::UTC);
    }
    std::stable_sort(bilans.begin(), bilans.end(), [](const BilanSeance& a, const BilanSeance& b) { return a.debut < b.debut; });
    return bilans;
}

std::vector<BilanSeance> Bilans(const std::vector<QJsonObject>& declarations, int seance) {
    Comptage c(seance);
    for (const QJsonObject& d : declarations) c.Ajouter(d);
    return c.Bilans();
}

QString TexteBilans(const std::vector<BilanSeance>& bilans) {
    QString texte;
    Dates Date;
    for (const BilanSeance& b : bilans) {
        // One pass over every field, so that a name holding "%1" stays as it is.
        texte += QStringLiteral("%1  séance %2  %3 (%4)  %5/20  %6  %7 question%8  %9\n")
                     .arg(Date(b.debut), QString::number(b.seance), b.apprenant, b.compte, Nombre(b.note), Duree(b.dureeMs),
                          QString::number(b.questions), b.questions > 1 ? QStringLiteral("s") : QString(), Etat(b));
    }
    return texte;
}

QByteArray CsvBilans(const std::vector<BilanSeance>& bilans) {
    QString csv = QStringLiteral("Date;Séance;Apprenant;Compte;Note sur 20;Temps passé (min);Questions répondues;Terminée\r\n");
    Dates Date;
    for (const BilanSeance& b : bilans) {
        const QStringList cases{Date(b.debut),
                                QString::number(b.seance),
                                b.apprenant,
                                b.compte,
                                Nombre(b.note),
                                b.dureeMs < 0 ? QString() : Nombre(std::round(b.dureeMs / 600.0) / 100),
                                QString::number(b.questions),
                                b.terminee ? QStringLiteral("oui") : QStringLiteral("non")};
        QStringList echappees;
        for (const QString& c : cases) echappees << CaseCsv(c);
        csv += echappees.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + csv.toUtf8();
}

bool LireBilansLrs(const ConfigLrs& config, std::vector<BilanSeance>& bilans, QString& erreur, int parPage, int seance) {
    Comptage comptage(seance);
    const LectureLrs lecture = LireLrs(config, [&](const QJsonObject& d) { comptage.Ajouter(d); }, parPage, seance);
    erreur = lecture.erreur;
    if (!erreur.isEmpty()) return false;
    bilans = comptage.Bilans();
    return true;
}

}  // namespace resultats
