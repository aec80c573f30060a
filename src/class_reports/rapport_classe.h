#pragma once
// What the class missed: item statistics of the evaluation over the learners' sessions, in the
// quiz-statistics way (items scored 1 right / 0 wrong, the test total being the number right).
// Statements come one by one from any source (a results folder, an LRS); only a few bytes per
// session are kept, never the statements, so that ten thousand learners fit in a few megabytes.

#include "content/banque.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace resultats {

struct Essentiel;

// A question's number in the statements read: from 1 to this. A bank holds far fewer; a statement that
// names more is not one of the lesson's and is left out.
inline constexpr int kQuestionsMax = 1000;
// The score shown, out of 20 whatever the number of questions.
inline constexpr int kNoteSur = 20;
inline constexpr double kIndefini = std::numeric_limits<double>::quiet_NaN();

struct StatsQuestion {
    int numero = 0;  // in the bank, from 1
    QString texte;   // the question as the statements carry it
    std::array<QString, 4> textesReponses;  // the bank's answers 1 (the right one) to 4, as asked
    int reponses = 0;  // sessions that answered it
    // In %, undefined (NaN) when the class gives too little to tell (fewer than two sessions, all alike).
    double facilite = kIndefini;        // share right
    double ecartType = kIndefini;       // of the item score
    double discrimination = kIndefini;  // 100 × correlation of the item with the rest of the test
    double efficacite = kIndefini;      // the discrimination as a share of the most it could be
    std::array<int, 4> choix{};         // learners who chose the bank's answer 1 (the right one) to 4
    // Where a teacher should look.
    bool manquee = false;           // most of the class got it wrong
    bool distracteur = false;       // a wrong answer chosen more often than the right one
    bool nonDiscriminante = false;  // index under 20 %
    bool aRebours = false;          // negative index: the weaker learners do better on it
    bool Signalee() const { return manquee || distracteur || nonDiscriminante || aRebours; }
};

struct StatsTest {
    int seances = 0;
    int apprenants = 0;
    // The number right, 0 to the number of questions.
    double moyenne = kIndefini, mediane = kIndefini, ecartType = kIndefini;
    // The score shown on screen (+1 / −0.5, never below 0), which depends on the order of the answers.
    double moyenneNote = kIndefini, medianeNote = kIndefini, ecartTypeNote = kIndefini;
    double coherence = kIndefini;      // coefficient of internal consistency (Cronbach's alpha), %
    double rapportErreur = kIndefini;  // %
    double erreurType = kIndefini;     // in questions right
    std::vector<int> repartition;                         // sessions per number right, 0 to the number of questions
    std::array<int, 2 * kNoteSur + 1> repartitionNote{};  // sessions per half point of score shown
};

// Sessions that all asked the same questions.
struct GroupeBanque {
    bool banqueDuCours = true;
    // The bank's identity as the statements give it; for sessions that do not give it, that of
    // the built-in bank when their texts are its own, else empty.
    QString identite;
    StatsTest test;
    std::vector<StatsQuestion> questions;  // one per question of the bank, by its number
};

struct RapportClasse {
    int seance = 1;       // the séance of the course reported
    QString titre;        // its title, as its title slide gives it
    bool toutes = false;  // every completed session, not only each learner's first
    GroupeBanque cours;   // sessions on the course's bank (its questions.gift, else the built-in one)
    // Sessions that asked another bank: each bank on its own, never mixed in.
    std::vector<GroupeBanque> autres;
    int seancesTerminees = 0;     // completed sessions found, counted or not
    int seancesNonTerminees = 0;  // left before the last question: not counted
};

// Gathers statements in any order; the same statement given twice must be given once (the journal
// reader and an LRS both see to it).
class CalculRapport {
public:
    // cours: the bank of the séance the report is for; its sessions make RapportClasse::cours.
    // seance: the séance of the course whose sessions are counted; the others are left out.
    explicit CalculRapport(bool toutes = false,
                           const content::BanqueQuestions& cours = content::BanqueQuestions::Integree(), int seance = 1);
    void Ajouter(const QJsonObject& declaration);  // projected first (Projeter)
    void Ajouter(const Essentiel& declaration);
    RapportClasse Resultat() const;

private:

    struct Copie {
        qint64 debut = std::numeric_limits<qint64>::max();  // first statement, ms since the epoch
        int apprenant = -1;
        float note = 0;
        bool terminee = false;
        // By question, as far as the highest answered: grown on the way.
        std::vector<qint8> choix;     // 0 to 3, -1 unknown or unanswered
        std::vector<qint8> juste;     // 1, 0, -1 unanswered
        std::vector<quint16> texte;   // interned question text, 0 when not given
        quint16 banque = 0;  // interned bank identity, 0 when not given
        void Jusqua(int numero) {
            const auto n = static_cast<size_t>(numero);
            if (choix.size() >= n) return;
            choix.resize(n, -1);
            juste.resize(n, -1);
            texte.resize(n, 0);
        }
    };
    bool toutes_;
    content::BanqueQuestions cours_;
    int seance_;
    QString prefixeQuestion_;  // the séance's question activities, without their number
    std::vector<Copie> copies_;
    QHash<QString, quint32> seances_;
    QHash<QString, int> apprenants_;
    QHash<QString, quint16> textes_;
    QStringList texteDe_;  // by interned number
    QHash<QString, quint16> banques_;
    QStringList banqueDe_;  // by interned number
    // The answers of each question text as one bank's statements carry them, the first seen:
    // by interned bank (0 for none) and text.
    QHash<quint32, std::array<QString, 4>> reponsesDe_;
};

RapportClasse Calculer(const std::vector<QJsonObject>& declarations, bool toutes = false,
                       const content::BanqueQuestions& cours = content::BanqueQuestions::Integree());

// The thresholds of the flags, for those who explain them.
inline constexpr double kSeuilManquee = 50;         // facility under it
inline constexpr double kSeuilDiscrimination = 20;  // discrimination index under it

}  // namespace resultats
