// The course's rule as the menu, the closing page and the teacher's reports share it: a séance passes
// strictly above the threshold, only completed sessions count, each learner has their own standing,
// and the teacher's [progression] settings are read as a teacher writes them.

#include "class_reports/bilan.h"
#include "class_reports/lecture_classe.h"
#include "class_reports/progression.h"
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

Reglages ReadSettings(const QByteArray& progression) {
    QTemporaryDir config;
    const QString chemin = config.filePath("seance1.ini");
    QFile f(chemin);
    if (f.open(QIODevice::WriteOnly)) f.write("[progression]\n" + progression);
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

    void aSeanceOpensWhenTheOneBeforeItInTheCoursePassed() {
        EtatProgression passee, ratee, vide;
        passee.reussie = true;
        const std::vector<EtatProgression> cours{passee, ratee, vide};
        QVERIFY(Ouverte(cours, 0, false));
        QVERIFY(Ouverte(cours, 1, false));
        QVERIFY(!Ouverte(cours, 2, false));
        QVERIFY(Ouverte(cours, 2, true));
        QVERIFY(!Ouverte(cours, 3, true));
        // The first séance is open even when nothing was ever played.
        QVERIFY(Ouverte({vide}, 0, false));
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
            const cours::ProgressionLue lue = cours::LireProgression(r, {1, 2});
            toujours = toujours && lue.etats[0].reussie && *lue.etats[0].meilleure == 16.0;
            ++lectures;
        }
        fin = true;
        ecrivain.join();
        QVERIFY(toujours);
        QVERIFY(lectures > 1);
    }

    void theSettingsAreReadAsATeacherWritesThem() {
        const Reglages defaut = ReadSettings("");
        QCOMPARE(defaut.SeuilProgression(), 15.0);
        QVERIFY(!defaut.ToutOuvert());
        QVERIFY(defaut.progression.erreur.isEmpty());

        // A French decimal comma, unquoted, as the teacher types it.
        QCOMPARE(ReadSettings("seuil=15,5\n").SeuilProgression(), 15.5);
        QCOMPARE(ReadSettings("seuil = 12.5\ntout_ouvert = Oui\n").SeuilProgression(), 12.5);
        QVERIFY(ReadSettings("tout_ouvert=oui\n").ToutOuvert());
        QVERIFY(!ReadSettings("tout_ouvert=non\n").ToutOuvert());

        // What is refused keeps the default and says why.
        for (const QByteArray& faux : {QByteArray("seuil=21\n"), QByteArray("seuil=-1\n"), QByteArray("seuil=quinze\n"),
                                       QByteArray("seuil=15,5,2\n")}) {
            const Reglages r = ReadSettings(faux);
            QCOMPARE(r.SeuilProgression(), 15.0);
            QVERIFY2(r.progression.erreur.contains("seuil="), faux.constData());
        }
        const Reglages r = ReadSettings("tout_ouvert=peut-être\n");
        QVERIFY(!r.ToutOuvert());
        QVERIFY(r.progression.erreur.contains("tout_ouvert=peut-être"));
    }
};

QTEST_MAIN(ProgressionTest)
#include "test_progression.moc"
