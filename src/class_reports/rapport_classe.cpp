#include "class_reports/rapport_classe.h"

#include "statements/lecture_declarations.h"
#include "statements/declarations.h"

#include <QDateTime>
#include <QJsonArray>
#include <algorithm>
#include <map>
#include <numeric>

namespace resultats {

namespace {

// The question number of an activity id whose séance's questions start with prefixe, 0 when it is not one.
int Numero(const QString& objet, const QString& prefixe) {
    if (!objet.startsWith(prefixe)) return 0;
    bool ok = false;
    const int n = QStringView(objet).mid(prefixe.size()).toInt(&ok);
    return ok && n >= 1 && n <= kQuestionsMax ? n : 0;
}

int Choix(const QString& reponse) {
    // Made once: this runs for every statement of a class.
    static const std::array<QString, 4> ids{IdChoix(1), IdChoix(2), IdChoix(3), IdChoix(4)};
    for (int k = 0; k < 4; ++k)
        if (reponse == ids[static_cast<size_t>(k)]) return k;
    return -1;
}

double Moyenne(const std::vector<double>& v) {
    return v.empty() ? kIndefini : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

double Mediane(std::vector<double> v) {
    if (v.empty()) return kIndefini;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Sample covariance (divided by n − 1), as the quiz statistics use throughout.
double Covariance(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = a.size();
    if (n < 2) return kIndefini;
    const double ma = Moyenne(a), mb = Moyenne(b);
    double s = 0;
    for (size_t i = 0; i < n; ++i) s += (a[i] - ma) * (b[i] - mb);
    return s / static_cast<double>(n - 1);
}

struct Session {
    std::vector<qint8> choix;  // as far as the highest question answered
    std::vector<qint8> juste;
    double note;
    int apprenant;
    qint8 Choix(size_t i) const { return i < choix.size() ? choix[i] : -1; }
    qint8 Juste(size_t i) const { return i < juste.size() ? juste[i] : -1; }
};

GroupeBanque Statistiques(const std::vector<Session>& sessions, const content::BanqueQuestions& banque,
                          const QString& identite, bool banqueDuCours) {
    GroupeBanque g;
    g.banqueDuCours = banqueDuCours;
    g.identite = identite;
    StatsTest& t = g.test;
    const size_t n = sessions.size();
    t.seances = static_cast<int>(n);
    {
        std::vector<int> apprenants;
        for (const Session& s : sessions) apprenants.push_back(s.apprenant);
        std::sort(apprenants.begin(), apprenants.end());
        t.apprenants = static_cast<int>(std::unique(apprenants.begin(), apprenants.end()) - apprenants.begin());
    }

    // A question left unanswered in a completed session scores 0, as a wrong answer does.
    const size_t nombre = static_cast<size_t>(banque.Nombre());
    t.repartition.assign(nombre + 1, 0);
    std::vector<std::vector<double>> items(nombre, std::vector<double>(n));
    std::vector<double> totaux(n, 0), notes(n);
    for (size_t s = 0; s < n; ++s) {
        for (size_t i = 0; i < nombre; ++i) {
            items[i][s] = sessions[s].Juste(i) == 1 ? 1 : 0;
            totaux[s] += items[i][s];
        }
        notes[s] = sessions[s].note;
        t.repartition[static_cast<size_t>(totaux[s])]++;
        t.repartitionNote[static_cast<size_t>(std::clamp(std::lround(notes[s] * 2), 0L, 2L * kNoteSur))]++;
    }
    t.moyenne = Moyenne(totaux);
    t.mediane = Mediane(totaux);
    const double varianceTotal = Covariance(totaux, totaux);
    t.ecartType = std::sqrt(varianceTotal);
    t.moyenneNote = Moyenne(notes);
    t.medianeNote = Mediane(notes);
    t.ecartTypeNote = std::sqrt(Covariance(notes, notes));

    double sommeVariances = 0;
    for (size_t i = 0; i < nombre; ++i) {
        StatsQuestion q;
        q.numero = static_cast<int>(i + 1);
        q.texte = banque.entrees[i].question;
        q.textesReponses = banque.entrees[i].reponses;
        for (const Session& s : sessions) {
            if (s.Juste(i) >= 0) ++q.reponses;
            if (s.Choix(i) >= 0) ++q.choix[static_cast<size_t>(s.Choix(i))];
        }
        const std::vector<double>& x = items[i];
        std::vector<double> reste(n);
        for (size_t s = 0; s < n; ++s) reste[s] = totaux[s] - x[s];
        const double vx = Covariance(x, x), vr = Covariance(reste, reste), c = Covariance(x, reste);
        sommeVariances += vx;
        // Item scores range over 0 to 1: facility and deviation are already shares of that range.
        if (n > 0) q.facilite = 100 * Moyenne(x);
        q.ecartType = 100 * std::sqrt(vx);
        if (vx > 0 && vr > 0) q.discrimination = 100 * c / std::sqrt(vx * vr);
        // The most the covariance could be with these same scores: both sorted the same way.
        std::vector<double> xt = x, rt = reste;
        std::sort(xt.begin(), xt.end());
        std::sort(rt.begin(), rt.end());
        const double cmax = Covariance(xt, rt);
        if (cmax > 0) q.efficacite = 100 * c / cmax;

        q.manquee = q.facilite < kSeuilManquee;
        q.distracteur = std::max({q.choix[1], q.choix[2], q.choix[3]}) > q.choix[0];
        q.aRebours = q.discrimination < 0;
        q.nonDiscriminante = q.discrimination >= 0 && q.discrimination < kSeuilDiscrimination;
        g.questions.push_back(q);
    }
    // A single question is consistent with nothing: the coefficient needs two.
    if (varianceTotal > 0 && nombre > 1) {
        t.coherence = 100.0 * double(nombre) / double(nombre - 1) * (1 - sommeVariances / varianceTotal);
        // A test whose items work against one another can give a negative coefficient; the error
        // ratio is then beyond telling.
        if (t.coherence >= 0) {
            t.rapportErreur = 100 * std::sqrt(1 - t.coherence / 100);
            t.erreurType = t.rapportErreur / 100 * t.ecartType;
        }
    }
    return g;
}

}  // namespace

CalculRapport::CalculRapport(bool toutes, const content::BanqueQuestions& cours, int seance)
    : toutes_(toutes), cours_(cours), seance_(seance), prefixeQuestion_(IriQuestion(0, seance).chopped(1)) {
    texteDe_ << QString();  // 0: not given
    banqueDe_ << QString();
    // The built-in bank's texts are 1 to 20, in its order: how a session that does not name its
    // bank is recognised as having asked it.
    for (const content::EntreeQuestion& e : content::BanqueQuestions::Integree().entrees) {
        textes_.insert(e.question, static_cast<quint16>(texteDe_.size()));
        texteDe_ << e.question;
    }
}

void CalculRapport::Ajouter(const QJsonObject& d) { Ajouter(Projeter(d)); }

void CalculRapport::Ajouter(const Essentiel& e) {
    const QString& registration = e.registration;
    const QString& id = e.objet;
    // Only this séance's: "…/seance1" must not take "…/seance12"'s statements in.
    if (registration.isEmpty() || SeanceDe(id) != seance_) return;
    const bool repondu = e.verbe == QLatin1String(kVerbeRepondu);
    const bool complete_ = e.verbe == QLatin1String(kVerbeComplete);
    const int numero = repondu ? Numero(id, prefixeQuestion_) : 0;
    if (repondu && numero == 0) return;

    auto it = seances_.find(registration);
    if (it == seances_.end()) {
        QString qui = e.compte + QLatin1Char('|') + e.pageCompte;
        if (!e.compteDonne)
            qui = e.mbox + QLatin1Char('|') + e.acteur;
        auto a = apprenants_.constFind(qui);
        if (a == apprenants_.constEnd()) a = apprenants_.insert(qui, static_cast<int>(apprenants_.size()));
        it = seances_.insert(registration, static_cast<quint32>(copies_.size()));
        copies_.emplace_back();
        copies_.back().apprenant = *a;
    }
    Copie& c = copies_[*it];
    if (e.quand != Essentiel::kSansDate) c.debut = std::min(c.debut, e.quand);
    quint16 banque = 0;
    if (!e.banque.isEmpty()) {
        auto b = banques_.constFind(e.banque);
        if (b == banques_.constEnd() && banqueDe_.size() < 65535) {
            b = banques_.insert(e.banque, static_cast<quint16>(banqueDe_.size()));
            banqueDe_ << e.banque;
        }
        if (b != banques_.constEnd()) banque = *b;
        if (c.banque == 0) c.banque = banque;
    }
    if (repondu) {
        const int i = numero - 1;
        c.Jusqua(numero);
        if (c.juste[i] >= 0) return;  // the first answer counts, as on screen
        const int choix = Choix(e.reponse);
        c.choix[i] = static_cast<qint8>(choix);
        c.juste[i] = static_cast<qint8>(e.succes ? *e.succes : choix == 0);
        const QString& texte = e.description;
        if (!texte.isEmpty()) {
            auto t = textes_.constFind(texte);
            if (t == textes_.constEnd() && texteDe_.size() < 65535) {
                t = textes_.insert(texte, static_cast<quint16>(texteDe_.size()));
                texteDe_ << texte;
            }
            if (t != textes_.constEnd()) {
                c.texte[i] = *t;
                const quint32 cle = quint32(banque) << 16 | *t;
                if (!reponsesDe_.contains(cle)) {
                    reponsesDe_.insert(cle, e.choix);
                }
            }
        }
    } else if (complete_) {
        c.terminee = true;
        c.note = static_cast<float>(e.note);
    }
}

RapportClasse CalculRapport::Resultat() const {
    RapportClasse r;
    r.seance = seance_;
    r.toutes = toutes_;
    // Each learner's first completed session, unless all are wanted.
    std::vector<const Copie*> retenues;
    QHash<int, const Copie*> premiere;
    for (const Copie& c : copies_) {
        if (!c.terminee) {
            ++r.seancesNonTerminees;
            continue;
        }
        ++r.seancesTerminees;
        if (toutes_) {
            retenues.push_back(&c);
        } else {
            const Copie*& p = premiere[c.apprenant];
            if (!p || c.debut < p->debut) p = &c;
        }
    }
    if (!toutes_) {
        for (const Copie* c : std::as_const(premiere)) retenues.push_back(c);
        std::sort(retenues.begin(), retenues.end());  // the same order whatever the hash's
    }

    // Split by the bank the sessions asked: as their statements name it, else (statements written
    // before they named it) the built-in bank when they carry its texts or none, else their texts.
    using Textes = std::vector<quint16>;
    const QString idCours = cours_.Identite();
    const QString idIntegree = Seance::IdentiteIntegree();
    struct Groupe {
        std::vector<Session> sessions;
        Textes textes;  // the first text given for each question, as far as the highest answered
        quint16 banque = 0;
    };
    std::map<QString, Groupe> groupes;
    for (const Copie* c : retenues) {
        QString cle;
        if (c->banque) {
            cle = banqueDe_[c->banque];
        } else {
            const size_t integrees = static_cast<size_t>(content::BanqueQuestions::kNombreIntegree);
            bool integree = c->texte.size() <= integrees;
            for (size_t i = 0; i < c->texte.size(); ++i) integree = integree && (c->texte[i] == 0 || c->texte[i] == i + 1);
            if (integree) {
                cle = idIntegree;
            } else {
                // No identity can be told: a bank of its own for each set of texts, marked apart.
                cle = QStringLiteral("?");
                for (quint16 t : c->texte) cle += QLatin1Char(' ') + QString::number(t);
            }
        }
        Groupe& g = groupes[cle];
        g.sessions.push_back({c->choix, c->juste, c->note, c->apprenant});
        g.banque = c->banque;
        if (g.textes.size() < c->texte.size()) g.textes.resize(c->texte.size(), 0);
        for (size_t i = 0; i < c->texte.size(); ++i)
            if (g.textes[i] == 0) g.textes[i] = c->texte[i];
    }
    const auto banqueDe = [&](const QString& cle, const Groupe& g) {
        if (cle == idCours) return cours_;
        if (cle == idIntegree) return content::BanqueQuestions::Integree();
        // As many questions as its sessions went to: the statements tell no other count.
        content::BanqueQuestions b;
        for (quint16 t : g.textes) b.entrees.push_back({texteDe_[t], reponsesDe_.value(quint32(g.banque) << 16 | t)});
        return b;
    };
    const auto identite = [](const QString& cle) { return cle.startsWith(QLatin1Char('?')) ? QString() : cle; };
    {
        const Groupe& g = groupes[idCours];
        r.cours = Statistiques(g.sessions, cours_, idCours, true);
    }
    for (const auto& [cle, g] : groupes)
        if (cle != idCours) r.autres.push_back(Statistiques(g.sessions, banqueDe(cle, g), identite(cle), false));
    return r;
}

RapportClasse Calculer(const std::vector<QJsonObject>& declarations, bool toutes,
                       const content::BanqueQuestions& cours) {
    CalculRapport calcul(toutes, cours);
    for (const QJsonObject& d : declarations) calcul.Ajouter(d);
    return calcul.Resultat();
}

}  // namespace resultats
