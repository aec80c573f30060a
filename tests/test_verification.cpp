// seance1 --check: each part against the real thing: the demo course, results folders that can be
// written or not, and an xAPI endpoint run by the test that accepts or refuses the credentials.

#include "cli/verification.h"
#include "platform/platform.h"
#include "platform/real_platform.h"
#include "recording/journal.h"
#include "support/lrs_xapi.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace cli;
using Niveau = Verification::Niveau;

namespace {

const resultats::Identite kLea{"lea", "Léa Martin", "poste-01", "https://ecole.example.fr/"};

resultats::ConfigLrs Config(const QUrl& adresse, const QString& secret = "s3cr3t-du-lrs") {
    resultats::ConfigLrs c;
    c.adresse = adresse;
    c.cle = "classe-4b";
    c.secret = secret;
    return c;
}

// The only line of a check of one part.
Verification::Ligne Seule(const Verification& v) {
    if (v.lignes.size() != 1) return {Niveau::Probleme, QStringLiteral("%1 lignes").arg(v.lignes.size())};
    return v.lignes[0];
}

}  // namespace

class VerificationTest : public QObject {
    Q_OBJECT
    QTemporaryDir racine_;

private slots:
    void lrsReachedAndCredentialsAccepted() {
        test::LrsXapi lrs;
        Verification v;
        VerifierLrs(Config(lrs.Adresse()), v, 5000);
        QVERIFY2(v.Reussie(), qPrintable(v.Texte()));
        QCOMPARE(lrs.requetes.size(), 2u);
        QCOMPARE(lrs.requetes[0].chemin, "/xapi/about");
        QCOMPARE(lrs.requetes[1].chemin, "/xapi/statements?limit=1");
        QCOMPARE(lrs.requetes[1].entetes.value("x-experience-api-version"), "1.0.3");

        // The endpoint without its final slash, the credentials in the address: the same requests.
        QUrl dansAdresse = lrs.Adresse("/xapi");
        dansAdresse.setUserInfo("classe-4b:s3cr3t-du-lrs");
        resultats::ConfigLrs seule = Config(dansAdresse);
        seule.cle.clear();
        seule.secret.clear();
        Verification w;
        VerifierLrs(seule, w, 5000);
        QVERIFY2(w.Reussie(), qPrintable(w.Texte()));
        QCOMPARE(lrs.requetes.back().chemin, "/xapi/statements?limit=1");
    }

    void lrsProblems() {
        test::LrsXapi lrs;
        Verification refus;
        VerifierLrs(Config(lrs.Adresse(), "mauvais"), refus, 5000);
        QVERIFY(Seule(refus).niveau == Niveau::Probleme);
        QVERIFY2(Seule(refus).texte.contains("refuse les identifiants (code 401)"), qPrintable(refus.Texte()));
        QVERIFY(!refus.Texte().contains("mauvais"));  // the secret is never shown

        lrs.pasXapi = true;
        Verification autre;
        VerifierLrs(Config(lrs.Adresse()), autre, 5000);
        QVERIFY2(Seule(autre).niveau == Niveau::Probleme && Seule(autre).texte.contains("pas comme un LRS"), qPrintable(autre.Texte()));

        lrs.muet = true;
        Verification muet;
        QElapsedTimer chrono;
        chrono.start();
        VerifierLrs(Config(lrs.Adresse()), muet, 300);
        QVERIFY2(Seule(muet).niveau == Niveau::Probleme && Seule(muet).texte.contains("injoignable"), qPrintable(muet.Texte()));
        QVERIFY(chrono.elapsed() < 5000);

        // A port nobody listens on.
        QUrl ferme = lrs.Adresse();
        {
            QTcpServer s;
            QVERIFY(s.listen(QHostAddress::LocalHost));
            ferme.setPort(s.serverPort());
        }
        Verification injoignable;
        VerifierLrs(Config(ferme), injoignable, 5000);
        QVERIFY2(Seule(injoignable).niveau == Niveau::Probleme, qPrintable(injoignable.Texte()));

        Verification aucun;
        VerifierLrs(resultats::ConfigLrs{}, aucun);
        QVERIFY(aucun.Reussie());
    }

    void resultsFolderWritableLeavesNothingBehind() {
        const QString dossier = racine_.filePath("ecrit");
        QVERIFY(QDir().mkpath(dossier));
        ::chmod(QFile::encodeName(dossier).constData(), 0700);
        Verification v;
        VerifierResultats(dossier, false, kLea, v);
        QVERIFY2(v.Reussie() && Seule(v).niveau == Niveau::Bon, qPrintable(v.Texte()));
        QVERIFY(QDir(dossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

        // A class folder anyone may list works, but is pointed out.
        ::chmod(QFile::encodeName(dossier).constData(), 0777);
        Verification ouvert;
        VerifierResultats(dossier, false, kLea, ouvert);
        QVERIFY(ouvert.Reussie());
        QCOMPARE(ouvert.lignes.size(), 2u);
        QVERIFY2(ouvert.lignes[0].niveau == Niveau::Avertissement && ouvert.lignes[0].texte.contains("--prepare-class-folder"),
                 qPrintable(ouvert.Texte()));
    }

    void resultsFolderMissingOrNotAFolder() {
        const QString classe = racine_.filePath("partage-non-monte/4B");
        Verification v;
        VerifierResultats(classe, false, kLea, v);
        QVERIFY2(Seule(v).niveau == Niveau::Probleme && Seule(v).texte.contains("introuvable"), qPrintable(v.Texte()));
        QVERIFY(!QFileInfo::exists(racine_.filePath("partage-non-monte")));

        // The default folder is the lesson's to make.
        Verification parDefaut;
        VerifierResultats(classe, true, kLea, parDefaut);
        QVERIFY(parDefaut.Reussie());
        QVERIFY(!QFileInfo::exists(classe));

        QFile fichier(racine_.filePath("un-fichier"));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        Verification pasDossier;
        VerifierResultats(fichier.fileName(), false, kLea, pasDossier);
        QVERIFY(!pasDossier.Reussie());

        Verification aucun;
        VerifierResultats({}, false, kLea, aucun);
        QVERIFY(!aucun.Reussie());
    }

    void resultsFolderThisAccountCannotWrite() {
        if (::geteuid() == 0) QSKIP("root writes in a read-only folder; scripts/class-folder-check.sh tries real accounts");
        const QString dossier = racine_.filePath("lecture-seule");
        QVERIFY(QDir().mkpath(dossier));
        ::chmod(QFile::encodeName(dossier).constData(), 0500);
        Verification v;
        VerifierResultats(dossier, false, kLea, v);
        ::chmod(QFile::encodeName(dossier).constData(), 0755);
        QVERIFY2(Seule(v).niveau == Niveau::Probleme && Seule(v).texte.contains("ne peut pas écrire"), qPrintable(v.Texte()));
    }

    void aJournalOfThisAccountMadeByAnotherIsAProblem() {
        if (::geteuid() != 0) QSKIP("only root can give a file to another account");
        const QString dossier = racine_.filePath("squat");
        QVERIFY(QDir().mkpath(dossier));
        const QString journal = QDir(dossier).filePath(resultats::NomFichier(kLea));
        QFile f(journal);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(::chown(QFile::encodeName(journal).constData(), 65534, 65534), 0);
        ::chmod(QFile::encodeName(dossier).constData(), 03733);
        Verification v;
        VerifierResultats(dossier, false, kLea, v);
        QVERIFY2(Seule(v).niveau == Niveau::Probleme && Seule(v).texte.contains("appartient à un autre compte"), qPrintable(v.Texte()));
    }

    void courseFolder() {
        platform::RealPlatform plateforme;
        platform::SetPlatform(&plateforme);
        Verification demo, vide;
        VerifierCours(SEANCE_DEMO_DIR, demo);
        VerifierCours(racine_.path(), vide);
        platform::SetPlatform(nullptr);
        QVERIFY2(demo.Reussie(), qPrintable(demo.Texte()));
        QVERIFY(!vide.Reussie());
        QVERIFY2(vide.Texte().contains("Diapo0.emf") || vide.Texte().contains("Seance1"), qPrintable(vide.Texte()));
    }

    void theCommandSaysWhatIsWrongAndFailsOnlyThen() {
        QTemporaryDir config;
        const QString classe = racine_.filePath("classe-commande");
        QVERIFY(QDir().mkpath(config.filePath("seance1")));
        QFile ini(config.filePath("seance1/seance1.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[resultats]\ndossier=" + classe.toUtf8() + "\n");
        ini.close();

        const auto lancer = [&](int& statut) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove("DISPLAY");
            env.remove("SEANCE1_RESULTATS");
            env.insert("QT_QPA_PLATFORM", "xcb");  // the check needs no display
            env.insert("XDG_CONFIG_HOME", config.path());
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(SEANCE_DEMO_DIR);
            p.start(SEANCE_BIN_DIR "/src/seance1", {"--check"});
            p.waitForFinished(120000);
            statut = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
            return QString::fromUtf8(p.readAllStandardOutput());
        };
        int statut = -1;
        QString sortie = lancer(statut);
        QCOMPARE(statut, 1);
        QVERIFY2(sortie.contains("[problème]  Résultats : le dossier de la classe") && sortie.contains("1 problème à régler"), qPrintable(sortie));
        QVERIFY(sortie.contains("[ok]        Cours :"));

        QVERIFY(QDir().mkpath(classe));
        sortie = lancer(statut);
        QVERIFY2(statut == 0 && sortie.endsWith("Tout est prêt pour la leçon.\n"), qPrintable(sortie));
        QVERIFY2(sortie.contains("[ok]        Règles du cours : « L'électricité », 2 séances, le menu du cours s'ouvre au "
                                 "lancement ; réussie au-dessus de 15/20 (strictement) ; séance 1 ouverte dès le début, "
                                 "séance 2 après la séance 1 (lues dans cours.toml)."),
                 qPrintable(sortie));

        // An old [progression] is only ignored; a classmate's name in compte= is refused in the class folder.
        QVERIFY(ini.open(QIODevice::Append));
        ini.write("[progression]\nseuil=21\ntout_ouvert=oui\n[apprenant]\ncompte=un-autre\n");
        ini.close();
        sortie = lancer(statut);
        QCOMPARE(statut, 1);
        QVERIFY2(sortie.contains("[attention] Réglages : la section [progression] est ignorée") &&
                     sortie.contains("[problème]  Réglages : compte=un-autre est refusé dans le dossier de la classe") &&
                     sortie.contains("1 problème à régler"),
                 qPrintable(sortie));
    }

    void theCoursesRulesAreReported() {
        const struct {
            QByteArray toml;
            QList<int> seances;
            const char* texte;
        } rows[] = {
            {"seuil = 12.5\n", {1}, "Règles du cours : une séance seule, sans menu (lues dans cours.toml)."},
            {"ouvertes = \"toutes\"\ntitre = \"Ohm\"\n", {1, 2, 3},
             "Règles du cours : « Ohm », 3 séances, le menu du cours s'ouvre au lancement ; réussie au-dessus de 15/20 "
             "(strictement) ; séance 1 ouverte dès le début, séance 2 ouverte dès le début, séance 3 ouverte dès le début "
             "(lues dans cours.toml)."},
            {"seuil = 30\n", {1, 2}, "Règles du cours : tant que cours.toml a des erreurs, chaque séance s'ouvre après la "
                                    "précédente, au-dessus de 15/20."},
        };
        for (const auto& row : rows) {
            Verification v;
            VerifierRegles(content::LireReglesCours(row.toml, row.seances), v);
            QCOMPARE(Seule(v).texte, QString(row.texte));
        }
    }
};

QTEST_MAIN(VerificationTest)
#include "test_verification.moc"
