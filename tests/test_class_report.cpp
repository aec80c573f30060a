// The class report checked against the definitions, worked out here again plainly on a generated
// class: 40 learners of the lesson (some with a second session, one whose second session is older
// than the one written first, one who left a session unfinished) and 3 whose program asked one
// question in other words. Then the command as a teacher runs it: the CSV and the PDF.

#include "class_reports/rapport.h"
#include "class_reports/rapport_classe.h"
#include "class_reports/rapport_pages.h"
#include "statements/declarations.h"
#include "support/program.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <map>
#include <numeric>

using namespace resultats;
using testsupport::ProgramRun;
using testsupport::RunProgram;

namespace {

constexpr int kApprenants = 40, kAutreBanque = 3;
// The command runs where the demo course's slides are.
const QString kDemo = QStringLiteral(SEANCE_DEMO_DIR);

// One session as generated: the bank's answer chosen for each question (0 is the right one).
struct GeneratedSession {
    int apprenant;
    std::array<int, 20> choix;
    double note = 0;  // as shown on screen, counted in the order asked
    QDateTime debut;
    bool terminee = true;
    bool autreBanque = false;
};

struct GeneratedClass {
    std::vector<GeneratedSession> copies;
    std::vector<QJsonObject> declarations;
    std::map<int, std::vector<QJsonObject>> parApprenant;
};

Seance SessionOf(int apprenant) {
    return {NouvelId(), {QStringLiteral("eleve%1").arg(apprenant), QStringLiteral("Élève %1").arg(apprenant),
                         QStringLiteral("poste-%1").arg(apprenant % 7), QStringLiteral("https://ecole.example.fr/")}};
}

// As a version that named no bank in its statements wrote them.
QJsonObject WithoutBank(QJsonObject d) {
    QJsonObject contexte = d["context"].toObject();
    contexte.remove(QStringLiteral("extensions"));
    d["context"] = contexte;
    return d;
}

void WriteSession(GeneratedClass& c, GeneratedSession copie, QRandomGenerator& hasard, int questions = 20) {
    const Seance s = SessionOf(copie.apprenant);
    std::array<int, 20> ordre;
    std::iota(ordre.begin(), ordre.end(), 1);
    std::shuffle(ordre.begin(), ordre.end(), hasard);
    double note = 0;
    for (int k = 0; k < questions; ++k) {
        const int q = ordre[k];
        const bool juste = copie.choix[q - 1] == 0;
        note = juste ? note + 1 : std::max(0.0, note - 0.5);
        QJsonObject d = Repondu(s, q, copie.choix[q - 1], juste, copie.debut.addSecs(20 * (k + 1)));
        if (copie.autreBanque) d = WithoutBank(d);
        if (copie.autreBanque && q == 5) {
            // An older version's wording of question 5.
            QJsonObject objet = d["object"].toObject(), def = objet["definition"].toObject();
            def["description"] = QJsonObject{{"fr-FR", "Le déplacement des électrons libres produit..."}};
            objet["definition"] = def;
            d["object"] = objet;
        }
        c.declarations.push_back(d);
        c.parApprenant[copie.apprenant].push_back(d);
    }
    copie.note = note;
    copie.terminee = questions == 20;
    if (copie.terminee) {
        QJsonObject fin = Complete(s, note, 500000, copie.debut.addSecs(500));
        if (copie.autreBanque) fin = WithoutBank(fin);
        c.declarations.push_back(fin);
        c.parApprenant[copie.apprenant].push_back(fin);
    }
    c.copies.push_back(copie);
}

GeneratedClass Generate() {
    GeneratedClass c;
    QRandomGenerator hasard(20261208);
    const QDateTime matin(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    const auto tirer = [&](double p) { return hasard.generateDouble() < p; };
    const auto faux = [&]() { return 1 + static_cast<int>(hasard.bounded(3)); };
    for (int a = 0; a < kApprenants + kAutreBanque; ++a) {
        const double niveau = hasard.generateDouble();
        GeneratedSession copie{a, {}, 0, matin.addSecs(60 * a), true, a >= kApprenants};
        for (int i = 0; i < 20; ++i) {
            if (i == 2)  // most miss it, and most of those choose the same wrong answer
                copie.choix[i] = tirer(0.15 + 0.2 * niveau) ? 0 : (tirer(0.8) ? 1 : faux());
            else if (i == 6)  // the weaker learners do better on it
                copie.choix[i] = tirer(0.95 - 0.8 * niveau) ? 0 : faux();
            else if (i == 11)  // right by chance, whatever one knows
                copie.choix[i] = tirer(0.6) ? 0 : faux();
            else
                copie.choix[i] = tirer(0.2 + 0.75 * niveau - 0.01 * i) ? 0 : faux();
        }
        WriteSession(c, copie, hasard);
    }
    // Second sessions: all right for learners 0 to 9, an hour later; for learner 11 an earlier one,
    // written after, which is then the first; learner 12 left one unfinished before finishing one.
    for (int a = 0; a < 10; ++a) {
        GeneratedSession copie{a, {}, 0, matin.addSecs(3600 + 60 * a), true, false};
        copie.choix.fill(0);
        WriteSession(c, copie, hasard);
    }
    GeneratedSession plusTot{11, {}, 0, matin.addSecs(-7200), true, false};
    plusTot.choix.fill(2);
    WriteSession(c, plusTot, hasard);
    GeneratedSession laissee{12, {}, 0, matin.addSecs(-3600), true, false};
    laissee.choix.fill(0);
    WriteSession(c, laissee, hasard, 7);
    return c;
}

// The sessions a report counts: completed, on the lesson's bank, each learner's earliest unless all.
std::vector<GeneratedSession> Kept(const GeneratedClass& c, bool toutes, bool autreBanque = false) {
    std::map<int, GeneratedSession> premieres;
    std::vector<GeneratedSession> v;
    for (const GeneratedSession& k : c.copies) {
        if (!k.terminee || k.autreBanque != autreBanque) continue;
        if (toutes) {
            v.push_back(k);
        } else if (!premieres.count(k.apprenant) || k.debut < premieres.at(k.apprenant).debut) {
            premieres[k.apprenant] = k;
        }
    }
    for (const auto& [a, k] : premieres) v.push_back(k);
    return v;
}

double Mean(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s / v.size();
}
double Cov(const std::vector<double>& a, const std::vector<double>& b) {
    const double ma = Mean(a), mb = Mean(b);
    double s = 0;
    for (size_t i = 0; i < a.size(); ++i) s += (a[i] - ma) * (b[i] - mb);
    return s / (a.size() - 1);
}
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Expected {
    double facilite[20], ecart[20], discrimination[20], efficacite[20];
    int choix[20][4] = {};
    bool manquee[20], distracteur[20], nonDiscriminante[20], aRebours[20];
    double moyenne, mediane, ecartType, moyenneNote, medianeNote, ecartTypeNote, alpha, rapportErreur, erreurType;
};

Expected Compute(const std::vector<GeneratedSession>& copies) {
    Expected a;
    const size_t n = copies.size();
    std::vector<double> total(n, 0), note(n);
    std::vector<std::vector<double>> x(20, std::vector<double>(n));
    for (size_t s = 0; s < n; ++s) {
        for (int i = 0; i < 20; ++i) {
            x[i][s] = copies[s].choix[i] == 0;
            total[s] += x[i][s];
            a.choix[i][copies[s].choix[i]]++;
        }
        note[s] = copies[s].note;
    }
    double sommeVar = 0;
    for (int i = 0; i < 20; ++i) {
        std::vector<double> reste(n);
        for (size_t s = 0; s < n; ++s) reste[s] = total[s] - x[i][s];
        a.facilite[i] = 100 * Mean(x[i]);
        a.ecart[i] = 100 * std::sqrt(Cov(x[i], x[i]));
        a.discrimination[i] = 100 * Cov(x[i], reste) / std::sqrt(Cov(x[i], x[i]) * Cov(reste, reste));
        std::vector<double> xs = x[i], rs = reste;
        std::sort(xs.begin(), xs.end());
        std::sort(rs.begin(), rs.end());
        a.efficacite[i] = 100 * Cov(x[i], reste) / Cov(xs, rs);
        sommeVar += Cov(x[i], x[i]);
        a.manquee[i] = a.facilite[i] < 50;
        a.distracteur[i] = std::max({a.choix[i][1], a.choix[i][2], a.choix[i][3]}) > a.choix[i][0];
        a.nonDiscriminante[i] = a.discrimination[i] >= 0 && a.discrimination[i] < 20;
        a.aRebours[i] = a.discrimination[i] < 0;
    }
    a.moyenne = Mean(total);
    a.mediane = Median(total);
    a.ecartType = std::sqrt(Cov(total, total));
    a.moyenneNote = Mean(note);
    a.medianeNote = Median(note);
    a.ecartTypeNote = std::sqrt(Cov(note, note));
    a.alpha = 100 * 20.0 / 19 * (1 - sommeVar / Cov(total, total));
    a.rapportErreur = 100 * std::sqrt(1 - a.alpha / 100);
    a.erreurType = a.rapportErreur / 100 * a.ecartType;
    return a;
}

// Undefined on both sides (a question all got right, say) agrees too.
bool Near(double a, double b, double tolerance = 1e-9) {
    return (std::isnan(a) && std::isnan(b)) || std::abs(a - b) <= tolerance;
}

void CompareGroup(const GroupeBanque& g, const std::vector<GeneratedSession>& copies) {
    const Expected a = Compute(copies);
    QCOMPARE(g.test.seances, static_cast<int>(copies.size()));
    QVERIFY2(Near(g.test.moyenne, a.moyenne), qPrintable(QString::number(g.test.moyenne)));
    QVERIFY(Near(g.test.mediane, a.mediane));
    QVERIFY(Near(g.test.ecartType, a.ecartType));
    QVERIFY(Near(g.test.moyenneNote, a.moyenneNote));
    QVERIFY(Near(g.test.medianeNote, a.medianeNote));
    QVERIFY(Near(g.test.ecartTypeNote, a.ecartTypeNote));
    QVERIFY2(Near(g.test.coherence, a.alpha), qPrintable(QString::number(g.test.coherence)));
    QVERIFY(Near(g.test.rapportErreur, a.rapportErreur));
    QVERIFY(Near(g.test.erreurType, a.erreurType));
    QCOMPARE(g.questions.size(), size_t(20));
    for (int i = 0; i < 20; ++i) {
        const StatsQuestion& q = g.questions[i];
        const QByteArray ou = QByteArray("question ") + QByteArray::number(i + 1);
        QCOMPARE(q.numero, i + 1);
        QVERIFY2(Near(q.facilite, a.facilite[i]), ou);
        QVERIFY2(Near(q.ecartType, a.ecart[i]), ou);
        QVERIFY2(Near(q.discrimination, a.discrimination[i]), ou);
        QVERIFY2(Near(q.efficacite, a.efficacite[i]), ou);
        for (int k = 0; k < 4; ++k) QVERIFY2(q.choix[k] == a.choix[i][k], ou);
        QVERIFY2(q.manquee == a.manquee[i] && q.distracteur == a.distracteur[i] &&
                     q.nonDiscriminante == a.nonDiscriminante[i] && q.aRebours == a.aRebours[i],
                 ou);
    }
}

void WriteFolder(const GeneratedClass& c, const QString& dossier) {
    for (const auto& [a, declarations] : c.parApprenant) {
        QFile f(QDir(dossier).filePath(QStringLiteral("eleve%1@poste.jsonl").arg(a)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (const QJsonObject& d : declarations) f.write(QJsonDocument(d).toJson(QJsonDocument::Compact) + '\n');
    }
}

double Number(QString texte) { return texte.replace(QChar(0x2212), '-').replace(',', '.').toDouble(); }

}  // namespace

class ClassReportTest : public QObject {
    Q_OBJECT

private slots:
    void theFiguresFollowTheDefinitionsOnFirstAndOnAllSessions() {
        const GeneratedClass c = Generate();
        const RapportClasse premieres = resultats::Calculer(c.declarations, false);
        CompareGroup(premieres.cours, Kept(c, false));
        QCOMPARE(premieres.cours.test.apprenants, kApprenants);
        QCOMPARE(premieres.seancesNonTerminees, 1);
        QCOMPARE(premieres.seancesTerminees, kApprenants + kAutreBanque + 11);

        const RapportClasse toutes = resultats::Calculer(c.declarations, true);
        QVERIFY(toutes.toutes);
        CompareGroup(toutes.cours, Kept(c, true));
        QCOMPARE(toutes.cours.test.seances, kApprenants + 11);

        // The generated class holds every kind of flag, so that each is checked above.
        bool manquee = false, distracteur = false, plat = false, rebours = false;
        for (const StatsQuestion& q : premieres.cours.questions) {
            manquee |= q.manquee;
            distracteur |= q.distracteur;
            plat |= q.nonDiscriminante;
            rebours |= q.aRebours;
        }
        QVERIFY(manquee && distracteur && plat && rebours);
        QVERIFY(premieres.cours.questions[2].distracteur && premieres.cours.questions[6].aRebours);
    }

    void anotherBankIsReportedApartNeverMixed() {
        const GeneratedClass c = Generate();
        const RapportClasse r = resultats::Calculer(c.declarations);
        QCOMPARE(r.autres.size(), size_t(1));
        QVERIFY(!r.autres[0].banqueDuCours);
        CompareGroup(r.autres[0], Kept(c, false, true));
        QCOMPARE(r.autres[0].questions[4].texte, QStringLiteral("Le déplacement des électrons libres produit..."));
        QCOMPARE(r.autres[0].questions[5].texte, content::BanqueQuestions::Integree().Entree(6).question);

        // A statement without the question's text is taken for the lesson's; statements in any order
        // give the same report (an LRS may send the newest first).
        std::vector<QJsonObject> sansTexte;
        for (QJsonObject d : c.declarations) {
            QJsonObject o = d["object"].toObject(), def = o["definition"].toObject();
            if (!d["actor"].toObject()["account"].toObject()["name"].toString().startsWith("eleve4")) {
                def.remove("description");
                o["definition"] = def;
                d["object"] = o;
            }
            sansTexte.push_back(d);
        }
        std::reverse(sansTexte.begin(), sansTexte.end());
        const RapportClasse inverse = resultats::Calculer(sansTexte);
        QCOMPARE(inverse.autres.size(), size_t(1));
        QCOMPARE(inverse.cours.test.seances, kApprenants);
    }

    void aClassTooSmallToTellGivesNoFigureRatherThanAWrongOne() {
        const GeneratedClass c = Generate();
        std::vector<QJsonObject> une;
        for (const QJsonObject& d : c.parApprenant.at(0)) une.push_back(d);
        const RapportClasse r = resultats::Calculer(une);
        QCOMPARE(r.cours.test.seances, 1);
        QVERIFY(std::isnan(r.cours.test.ecartType) && std::isnan(r.cours.test.coherence));
        QVERIFY(std::isnan(r.cours.questions[0].discrimination));
        QVERIFY(!r.cours.questions[0].nonDiscriminante && !r.cours.questions[0].aRebours);
        const RapportClasse vide = resultats::Calculer({});
        QCOMPARE(vide.cours.test.seances, 0);
        QCOMPARE(vide.cours.questions.size(), size_t(20));
    }

    void eachRightAnswerIsFoundOnTheSlideThatTeachesIt() {
        QCOMPARE(MotsReplies(QStringLiteral("L’Électron, CHARGÉ : « négatifs » !")),
                 (QStringList{"l", "electron", "charge", "negatif"}));
        const QStringList textes = TextesDiapos(QStringLiteral(SEANCE_DEMO_DIR));
        // Pages 0 to 20: the evaluation's and the closing page's have no slide, and no text.
        QCOMPARE(textes.size(), 21);
        QVERIFY(textes[19].isEmpty() && textes[20].isEmpty());
        const PagesQuestions pages = PagesDesReponses(textes, content::BanqueQuestions::Integree());
        // The demo course teaches every question; these are the pages its slides say it on ("tension",
        // on many slides, is taught for the letter U on page 17; the long answers of 16 to 19 are found
        // by most of their words).
        const std::map<int, QList<int>> attendues{
            {1, {1}},   {2, {1}},   {3, {2}},   {4, {2}},   {5, {3}},   {6, {4}},   {7, {5}},
            {8, {13}},  {9, {11}},  {10, {11}}, {11, {8}},  {12, {12}}, {13, {16}}, {14, {17}},
            {15, {17}}, {16, {9}},  {17, {13}}, {18, {15}}, {19, {11}}, {20, {12}}};
        for (int n = 1; n <= 20; ++n) {
            QVERIFY2(!pages[n - 1].isEmpty(), qPrintable(QStringLiteral("question %1").arg(n)));
            if (attendues.count(n))
                QVERIFY2(pages[n - 1] == attendues.at(n),
                         qPrintable(QStringLiteral("question %1 : pages %2").arg(n).arg(pages[n - 1].size())));
        }
    }

    void theCsvIsFrenchAndHoldsTheQuestionTable() {
        const GeneratedClass c = Generate();
        QTemporaryDir dossier;
        WriteFolder(c, dossier.path());
        const ProgramRun s = RunProgram({"--class-report", dossier.path(), "--csv"}, {}, kDemo);
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY(s.out.startsWith("\xEF\xBB\xBF"));
        const QStringList lignes = QString::fromUtf8(s.out.mid(3)).split(QStringLiteral("\r\n"));
        qsizetype entete = -1;
        for (qsizetype i = 0; i < lignes.size() && entete < 0; ++i)
            if (lignes[i].startsWith(QStringLiteral("question;"))) entete = i;
        QVERIFY(entete > 0);
        const QStringList champs = lignes[entete].split(';');
        const qsizetype facilite = champs.indexOf("facilité"), discrimination = champs.indexOf("discrimination"),
                        a = champs.indexOf("A");
        QVERIFY(facilite > 0 && discrimination > 0 && a > 0 && champs.mid(a, 4) == (QStringList{"A", "B", "C", "D"}));
        const Expected attendu = Compute(Kept(c, false));
        for (int i = 0; i < 20; ++i) {
            const QStringList l = lignes[entete + 1 + i].split(';');
            QCOMPARE(l.size(), champs.size());
            QCOMPARE(l[0], QString::number(i + 1));
            QVERIFY(l[facilite].contains(',') || l[facilite].toInt() == std::round(attendu.facilite[i]));
            QVERIFY2(Near(Number(l[facilite]), attendu.facilite[i], 0.051), qPrintable(l[facilite]));
            QVERIFY2(Near(Number(l[discrimination]), attendu.discrimination[i], 0.051), qPrintable(l[discrimination]));
            for (int k = 0; k < 4; ++k) QCOMPARE(l[a + k].toInt(), attendu.choix[i][k]);
        }
        // The other bank follows, on its own.
        QVERIFY(s.out.contains("Autre banque de questions 1"));

        // --all counts every completed session.
        const ProgramRun toutes = RunProgram({"--class-report", dossier.path(), "--csv", "--all"}, {}, kDemo);
        QVERIFY(toutes.out.contains(QStringLiteral("Passages comptés;%1").arg(kApprenants + 11).toUtf8()));
    }

    void thePdfHasItsSheets() {
        const GeneratedClass c = Generate();
        QTemporaryDir dossier, sortie;
        WriteFolder(c, dossier.path());
        const QString pdf = sortie.filePath("classe.pdf");
        const ProgramRun s = RunProgram({"--class-report", dossier.path(), pdf}, {}, kDemo);
        QVERIFY2(s.status == 0, qPrintable(s.err + QString::fromUtf8(s.out)));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray octets = f.readAll();
        QVERIFY(octets.startsWith("%PDF") && octets.size() > 20000);
        // Two sheets of the class, seven of three questions each, one for the other bank.
        QCOMPARE(QString::fromLatin1(octets).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))), 10);

        QCOMPARE(RunProgram({"--class-report", dossier.path()}, {}, kDemo).status, 2);
        QCOMPARE(RunProgram({"--class-report", dossier.path() + "/absent", pdf}, {}, kDemo).status, 1);
    }
};

QTEST_MAIN(ClassReportTest)
#include "test_class_report.moc"
