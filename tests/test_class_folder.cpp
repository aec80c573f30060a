// Preparing the class's results folder, as the account running the test. Other accounts (learners
// trying each other's files) are tried by scripts/class-folder-check.sh, which needs root.

#include "class_reports/dossier_classe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace resultats;

namespace {

struct stat StatOf(const QString& chemin) {
    struct stat e {};
    ::stat(QFile::encodeName(chemin).constData(), &e);
    return e;
}

// A group this account is not in, if the system has one.
const group* GroupeEtranger() {
    ::setgrent();
    const group* trouve = nullptr;
    std::vector<gid_t> miens(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
    ::getgroups(static_cast<int>(miens.size()), miens.data());
    while (const group* g = ::getgrent()) {
        if (g->gr_gid != ::getegid() && std::find(miens.begin(), miens.end(), g->gr_gid) == miens.end()) {
            trouve = g;
            break;
        }
    }
    ::endgrent();
    return trouve;
}

}  // namespace

class ClassFolderTest : public QObject {
    Q_OBJECT
    QTemporaryDir racine_;

private slots:
    void aMissingFolderIsMadeADropBoxOfTheTeachersGroup() {
        const QString dossier = racine_.filePath("ecole/4B/resultats");
        const Preparation p = PreparerDossierClasse(dossier);
        QVERIFY2(p.ok, qPrintable(p.message));
        QVERIFY(p.message.contains("créé"));
        const struct stat e = StatOf(dossier);
        QVERIFY(S_ISDIR(e.st_mode));
        QCOMPARE(e.st_mode & 07777, 03733u);  // setgid, sticky, owner rwx, others may only go in and create
        QCOMPARE(e.st_uid, ::geteuid());
        QCOMPARE(e.st_gid, ::getegid());

        // Run again, it changes nothing and says so.
        const Preparation encore = PreparerDossierClasse(dossier);
        QVERIFY2(encore.ok && encore.message.contains("prêt"), qPrintable(encore.message));
        QCOMPARE(StatOf(dossier).st_mode & 07777, 03733u);
    }

    void anExistingFolderGetsItsModeAndFilesAnyoneMayReadArePointedOut() {
        const QString dossier = racine_.filePath("ouvert");
        QVERIFY(QDir().mkpath(dossier));
        ::chmod(QFile::encodeName(dossier).constData(), 0777);
        QFile ancien(dossier + "/lea@poste-01.jsonl");
        QVERIFY(ancien.open(QIODevice::WriteOnly));
        ancien.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        const Preparation p = PreparerDossierClasse(dossier);
        QVERIFY2(p.ok, qPrintable(p.message));
        QCOMPARE(StatOf(dossier).st_mode & 07777, 03733u);
        QVERIFY2(p.message.contains("1 fichier(s)"), qPrintable(p.message));
    }

    void theNamedGroupIsGivenToTheFolder() {
        const group* moi = ::getgrgid(::getegid());
        QVERIFY(moi);
        const QString dossier = racine_.filePath("groupe");
        const Preparation p = PreparerDossierClasse(dossier, QString::fromLocal8Bit(moi->gr_name));
        QVERIFY2(p.ok, qPrintable(p.message));
        QCOMPARE(StatOf(dossier).st_gid, ::getegid());
    }

    void refusals() {
        const QString dossier = racine_.filePath("refus");
        Preparation p = PreparerDossierClasse(dossier, "groupe-qui-n-existe-pas");
        QVERIFY(!p.ok);
        QVERIFY2(p.message.contains("« groupe-qui-n-existe-pas » n'existe pas"), qPrintable(p.message));
        QVERIFY(!QFileInfo::exists(dossier));  // nothing made on a refusal

        QFile fichier(racine_.filePath("fichier"));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        p = PreparerDossierClasse(fichier.fileName());
        QVERIFY(!p.ok && p.message.contains("n'est pas un dossier"));

        if (::geteuid() == 0) {
            // Root may hand a folder to anyone: one given to another account is not the teacher's.
            const QString autre = racine_.filePath("autre");
            QVERIFY(QDir().mkpath(autre));
            QCOMPARE(::chown(QFile::encodeName(autre).constData(), 65534, 65534), 0);
            const unsigned avant = StatOf(autre).st_mode & 07777;
            p = PreparerDossierClasse(autre);
            QVERIFY(!p.ok);
            QVERIFY2(p.message.contains("seul son propriétaire"), qPrintable(p.message));
            QCOMPARE(StatOf(autre).st_mode & 07777, avant);
        } else {
            p = PreparerDossierClasse(QDir::rootPath());
            QVERIFY2(!p.ok && p.message.contains("seul son propriétaire"), qPrintable(p.message));
            if (const group* g = GroupeEtranger()) {
                p = PreparerDossierClasse(racine_.filePath("etranger"), QString::fromLocal8Bit(g->gr_name));
                QVERIFY2(!p.ok && p.message.contains("pas membre"), qPrintable(p.message));
            }
        }
    }
};

QTEST_GUILESS_MAIN(ClassFolderTest)
#include "test_class_folder.moc"
