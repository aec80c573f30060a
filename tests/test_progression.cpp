// The course's rule as the menu, the closing page and the teacher's reports share it: a séance passes
// strictly above the threshold, only completed sessions count, each learner has their own standing,
// the course's own file says what opens each séance, every mistake with its line, and a learner's
// settings decide neither the rules nor whose results they record in a class folder.

#include "class_reports/bilan.h"
#include "class_reports/lecture_classe.h"
#include "class_reports/progression.h"
#include "content/regles_cours.h"
#include "course/progression_apprenant.h"
#include "recording/journal.h"
#include "statements/declarations.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace resultats;

namespace {

BilanSeance Session(const QString& compte, double note, bool terminee) {
    BilanSeance b;
    b.compte = compte;
    b.note = note;
    b.terminee = terminee;
    return b;
}

// Writes a session of séance `seance` ending on `note` (20 answers, then "completed" when terminee).
void Play(Journal& j, const Identite& qui, int seance, double note, bool terminee, const QDateTime& quand) {
    Seance s{NouvelId(), qui};
    s.numero = seance;
    const int justes = terminee ? 20 : 3;
    for (int q = 1; q <= justes; ++q) QVERIFY(j.Ajouter(Repondu(s, q, 0, true, quand.addSecs(q))));
    if (terminee) QVERIFY(j.Ajouter(Complete(s, note, 600000, quand.addSecs(600))));
}

Reglages ReadSettings(const QByteArray& ini) {
    QTemporaryDir config;
    const QString chemin = config.filePath("seance1.ini");
    QFile f(chemin);
    if (f.open(QIODevice::WriteOnly)) f.write(ini);
    f.close();
    return Reglages::Lire(chemin);
}

}  // namespace

class ProgressionTest : public QObject {
    Q_OBJECT

private slots:
    void aSeancePassesStrictlyAboveTheThreshold() {
        QVERIFY(!Reussie(15, 15));
        QVERIFY(Reussie(15.5, 15));
        QVERIFY(!Reussie(14.5, 15));
        QVERIFY(!Reussie(20, 20));  // a threshold of 20 closes the next séance for good
        QVERIFY(Reussie(0.5, 0));
        QVERIFY(!Reussie(0, 0));
    }

    void onlyCompletedSessionsCountAndTheBestOneDecides() {
        // Nothing yet: no best, not passed.
        EtatProgression rien = EtatSeance(2, {}, 15);
        QCOMPARE(rien.seance, 2);
        QCOMPARE(rien.tentatives, 0);
        QVERIFY(!rien.meilleure && !rien.reussie);

        // An unfinished session's running score is not a result, however high.
        EtatProgression e = EtatSeance(1, {Session("a", 18, false), Session("a", 15, true), Session("a", 12, true)}, 15);
        QCOMPARE(e.tentatives, 2);
        QCOMPARE(*e.meilleure, 15.0);
        QVERIFY(!e.reussie);

        // A later worse session does not take back a pass.
        e = EtatSeance(1, {Session("a", 16, true), Session("a", 3, true)}, 15);
        QCOMPARE(*e.meilleure, 16.0);
        QVERIFY(e.reussie);

        // A completed 0 is a best score of its own, not the absence of one.
        e = EtatSeance(1, {Session("a", 0, true)}, 15);
        QVERIFY(e.meilleure && *e.meilleure == 0.0);
    }

    void eachLearnerHasTheirOwnStanding() {
        const std::vector<BilanSeance> classe{Session("lea@ecole", 17, true), Session("noe@ecole", 15, true),
                                              Session("lea@autre", 9, true), Session("noe@ecole", 12, true)};
        const auto etats = EtatsParApprenant(1, classe, 15);
        QCOMPARE(etats.size(), 3);
        QVERIFY(etats["lea@ecole"].reussie);
        QVERIFY(!etats["lea@autre"].reussie);  // same account name, another school: someone else
        QCOMPARE(etats["noe@ecole"].tentatives, 2);
        QVERIFY(!etats["noe@ecole"].reussie);
        QCOMPARE(int(SessionsDe("noe@ecole", classe).size()), 2);
        QVERIFY(SessionsDe("personne", classe).empty());
    }

    void eachSeanceOpensAsTheCoursesFileSays() {
        // What must be passed before each séance of a course of séances 1, 2, 3 and 5 ("-": open).
        const struct {
            const char* toml;
            const char* avant;
        } rows[] = {
            {"", "- 1 2 3"},
            {"seuil = 12\n", "- 1 2 3"},
            {"ouvertes = \"toutes\"\n", "- - - -"},
            {"ouvertes = [3]\n", "- 1 - 3"},
            {"ouvertes = [1, 2]\n[apres]\n5 = 2\n", "- - 2 2"},
            {"[apres]\n3 = 1\n\"5\" = 1\n", "- 1 1 1"},
        };
        const QList<int> seances{1, 2, 3, 5};
        for (const auto& row : rows) {
            const content::ReglesCours r = content::LireReglesCours(QByteArray(row.toml), seances);
            QVERIFY2(r.erreurs.Vide(), qPrintable(r.erreurs.Texte()));
            QStringList avant;
            for (const int n : seances) avant << (r.Prealable(n) ? QString::number(*r.Prealable(n)) : "-");
            QCOMPARE(avant.join(' '), QString(row.avant));
        }
        const content::ReglesCours r = content::LireReglesCours(QByteArray("titre = \"Électricité\"\nseuil = 12.5\n"), seances);
        QCOMPARE(r.titre, QString("Électricité"));
        QCOMPARE(r.seuil, 12.5);

        // Open when what it needs passed; the first séance always.
        const content::ReglesCours apres = content::LireReglesCours(QByteArray("[apres]\n3 = 1\n"), {1, 2, 3});
        EtatProgression une, deux;
        une.seance = 1, une.reussie = true;
        deux.seance = 2;
        QVERIFY(Ouverte(apres, 1, {}));
        QVERIFY(!Ouverte(apres, 2, {deux}));
        QVERIFY(Ouverte(apres, 2, {une, deux}));
        QVERIFY(Ouverte(apres, 3, {une, deux}));  // séance 2 not passed: séance 3 needs only séance 1
        QVERIFY(!Ouverte(apres, 4, {une, deux}));
    }

    void theCoursesFileSaysEveryMistakeWithItsLine() {
        const struct {
            const char* toml;
            QStringList attendues;  // each mistake's place and a part of its sentence
        } rows[] = {
            {"seuil = 21\ntitre = 3\n", {"ligne 1, colonne 9 : « seuil » attend une note de 0 à 20", "ligne 2, colonne 9 : « titre » attend"}},
            {"seuil = \"15\"\n", {"ligne 1, colonne 9 : « seuil » attend une note"}},
            {"sueil = 15\n", {"ligne 1, colonne 1 : la clé « sueil » est inconnue"}},
            {"ouvertes = [1, 4]\n", {"ligne 1, colonne 16 : « ouvertes » nomme la séance 4, qui n'est pas dans le cours (séances : 1, 2, 3)"}},
            {"ouvertes = \"tous\"\n", {"ligne 1, colonne 12 : « ouvertes » attend une liste de séances ou « toutes »"}},
            {"[apres]\n2 = 2\nsept = 1\n3 = \"2\"\n",
             {"ligne 2, colonne 5 : dans [apres], la séance 2 ne peut pas venir après elle-même",
              "ligne 3, colonne 1 : dans [apres], « sept » n'est pas une séance du cours",
              "ligne 4, colonne 5 : dans [apres], la séance 3 attend un numéro de séance"}},
            {"ouvertes = [2]\n[apres]\n2 = 1\n", {"ligne 3, colonne 1 : la séance 2 est à la fois ouverte dès le début et après la séance 1"}},
            {"[apres]\n2 = 3\n3 = 2\n", {"ligne 2, colonne 1 : la séance 2 ne s'ouvrirait jamais", "ligne 3, colonne 1 : la séance 3 ne s'ouvrirait jamais"}},
            {"titre = \"L'électricité\nseuil = 15\n", {"ligne 1, colonne "}},
        };
        for (const auto& row : rows) {
            const content::ReglesCours r = content::LireReglesCours(QByteArray(row.toml), {1, 2, 3});
            const QStringList textes = r.erreurs.Textes();
            QVERIFY2(textes.size() == row.attendues.size(), qPrintable(textes.join('\n')));
            for (qsizetype i = 0; i < textes.size(); ++i)
                QVERIFY2(textes[i].startsWith("cours.toml, ") && textes[i].contains(row.attendues[i]), qPrintable(textes[i]));
            // A file with a mistake opens nothing beyond a course's usual rules.
            QCOMPARE(r.seuil, 15.0);
            QVERIFY(!r.toutesOuvertes && r.apres.isEmpty() && r.ouvertes.isEmpty());
        }
    }

    void theStandingComesFromTheJournalsTheSessionsLeft() {
        QTemporaryDir classe;
        const Identite lea{"lea", "Léa", "poste-01", "https://ecole.example.fr/"};
        const Identite noe{"noe", "Noé", "poste-02", "https://ecole.example.fr/"};
        Journal jl(classe.path(), lea), jn(classe.path(), noe);
        const QDateTime t(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
        Play(jl, lea, 1, 15, true, t);
        Play(jl, lea, 1, 15.5, true, t.addSecs(3600));
        Play(jl, lea, 2, 0, false, t.addSecs(7200));
        Play(jn, noe, 1, 15, true, t);

        const auto lire = [&](int seance) {
            Comptage c(seance);
            const LectureClasse l = LireClasse(classe.path(), false, Vers(c), seance);
            [&] { QVERIFY2(l.erreur.isEmpty(), qPrintable(l.erreur)); }();
            return c.Bilans();
        };
        const std::vector<BilanSeance> seance1 = lire(1), seance2 = lire(2);
        QCOMPARE(CompteBilan(lea), QString("lea@ecole.example.fr"));
        const EtatProgression l1 = EtatSeance(1, SessionsDe(CompteBilan(lea), seance1), 15);
        QCOMPARE(l1.tentatives, 2);
        QCOMPARE(*l1.meilleure, 15.5);
        QVERIFY(l1.reussie);
        QVERIFY(!EtatSeance(1, SessionsDe(CompteBilan(noe), seance1), 15).reussie);
        // Séance 2's unfinished session is Léa's only there: started, no score yet.
        const EtatProgression l2 = EtatSeance(2, SessionsDe(CompteBilan(lea), seance2), 15);
        QCOMPARE(l2.tentatives, 0);
        QVERIFY(!l2.meilleure);
        QCOMPARE(int(seance2.size()), 1);
    }

    void theStandingIsReadWhileASessionIsStillWritingItsJournal() {
        // The closing page reads the learner's journal while the session's own writer appends to it:
        // a file that grows during its reading once wrote past the reader's buffer.
        QTemporaryDir classe;
        const Identite lea{"lea", "Léa", "poste-01", "https://ecole.example.fr/"};
        const QDateTime t(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
        {
            Journal j(classe.path(), lea);
            Play(j, lea, 1, 16, true, t);
        }
        Reglages r;
        r.identite = lea;
        r.dossier = classe.path();
        std::atomic<bool> fin = false;
        std::thread ecrivain([&] {
            Journal j(classe.path(), lea);
            Seance s{NouvelId(), lea};
            for (int i = 0; !fin; ++i) j.Ajouter(Repondu(s, 1 + i % 20, 1, false, t.addSecs(3600 + i)));
        });
        QElapsedTimer duree;
        duree.start();
        int lectures = 0;
        bool toujours = true;
        while (duree.elapsed() < 1500) {
            const cours::ProgressionLue lue = cours::LireProgression(r, {1, 2}, 15);
            toujours = toujours && lue.etats[0].reussie && *lue.etats[0].meilleure == 16.0;
            ++lectures;
        }
        fin = true;
        ecrivain.join();
        QVERIFY(toujours);
        QVERIFY(lectures > 1);
    }

    void aLearnersSettingsNoLongerDecideTheRulesNorWhoAnswers() {
        qunsetenv("SEANCE1_RESULTATS");
        const QString moi = IdentiteDuSysteme().compte;
        const Reglages vieux = ReadSettings("[progression]\nseuil=0\ntout_ouvert=oui\n");
        QVERIFY(vieux.progressionIgnoree);
        QVERIFY(!ReadSettings("").progressionIgnoree);

        // In their own folder compte= names the learner; in a class folder, only their account does.
        QCOMPARE(ReadSettings("[apprenant]\ncompte=noe\n").identite.compte, QString("noe"));
        QTemporaryDir classe;
        const Reglages r = ReadSettings("[resultats]\ndossier=" + classe.path().toUtf8() + "\n[apprenant]\ncompte=noe\n");
        QCOMPARE(r.identite.compte, moi);
        QCOMPARE(r.compteRefuse, QString("noe"));
        const Reglages meme = ReadSettings("[resultats]\ndossier=" + classe.path().toUtf8() + "\n[apprenant]\ncompte=" + moi.toUtf8() + "\n");
        QVERIFY(meme.compteRefuse.isEmpty());
    }
};

QTEST_MAIN(ProgressionTest)
#include "test_progression.moc"
