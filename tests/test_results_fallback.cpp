// Nothing is lost whatever state the class folder is in: missing (a share not mounted), closed to
// the account, full, or holding a file of this account's name that another account made. The
// account's own journal keeps what the class folder cannot take, and the class folder gets it later,
// each statement once. Only when the own folder fails too is the learner told, once.

#include "class_reports/bilan.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_journal.h"
#include "support/warnings.h"
#include "support/virtual_platform.h"

#include <memory>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace resultats;

namespace {

bool Root() { return ::geteuid() == 0; }

bool RunCommand(const QString& programme, const QStringList& arguments) {
    QProcess p;
    p.start(programme, arguments);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The ids of a journal file, in file order, with repeats.
QStringList Ids(const QString& chemin) {
    QStringList ids;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return ids;
    while (!f.atEnd()) {
        const QByteArray ligne = f.readLine().trimmed();
        if (!ligne.isEmpty()) ids << QJsonDocument::fromJson(ligne).object().value("id").toString();
    }
    return ids;
}

// A folder the lesson cannot write to. Modes do not stop the administrator (tests run as root in
// CI): there, a read-only bind mount of the folder on itself does.
class ClosedToWriting {
public:
    explicit ClosedToWriting(const QString& dossier) : dossier_(dossier) {
        if (!Root()) {
            ok_ = QFile::setPermissions(dossier, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                     QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
            return;
        }
        monte_ = RunCommand("mount", {"--bind", dossier, dossier});
        ok_ = monte_ && RunCommand("mount", {"-o", "remount,ro,bind", dossier});
    }
    ~ClosedToWriting() { Open(); }
    bool Ok() const { return ok_; }
    void Open() {
        if (monte_) RunCommand("umount", {dossier_});
        monte_ = false;
        if (!Root()) QFile::setPermissions(dossier_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

private:
    QString dossier_;
    bool monte_ = false;
    bool ok_ = false;
};

}  // namespace

class ResultsFallbackTest : public QObject {
    Q_OBJECT
    QStringList avertissements_;
    std::unique_ptr<testsupport::WarningsCollector> collecteur_;
    QStringList avis_;
    testsupport::VirtualPlatform vp_;
    std::unique_ptr<QTemporaryDir> racine_;
    Reglages r_;

    QString ClassFile() const { return QDir(r_.dossier).filePath(NomFichier(r_.identite)); }
    QString OwnFile() const { return QDir(r_.dossierPropre).filePath(NomFichier(r_.identite)); }

    // One session: a few answers and the end, the learner's notices collected.
    void RunSession(int reponses, bool fin = true) {
        Suivi suivi(r_);
        suivi.SurResultatsPerdus([this](const QString& texte) { avis_ << texte; });
        for (int q = 1; q <= reponses; ++q) suivi.ReponseValidee(q, q % 4, q % 4 == 0, q);
        if (fin) suivi.LeconFermee();
        suivi.JournalDeLaSeance().Attendre(5000);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        platform::SetPlatform(&vp_);
        ::umask(022);
    }
    void cleanupTestCase() { platform::SetPlatform(nullptr); }
    void init() {
        avertissements_.clear();
        avis_.clear();
        collecteur_ = std::make_unique<testsupport::WarningsCollector>(avertissements_);
        racine_ = std::make_unique<QTemporaryDir>();
        r_ = Reglages{};
        r_.dossier = racine_->filePath("classe");
        r_.dossierPropre = racine_->filePath("propre/seance1");
        r_.identite = {"eleve", "Élève", "poste-03", "https://ecole.example.fr/"};
    }
    void cleanup() { collecteur_.reset(); }

    void aClassFolderClosedToTheAccountLosesNothingAndGetsItAllAtTheNextStart() {
        QVERIFY(QDir().mkpath(r_.dossier));
        {
            ClosedToWriting ferme(r_.dossier);
            const bool bouchon = !ferme.Ok();
            if (bouchon) {
                // No mount allowed here: a regular file where the folder should be stops everyone.
                QVERIFY(QDir().rmdir(r_.dossier));
                QFile f(r_.dossier);
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
            RunSession(3);
            QVERIFY(!QFile::exists(ClassFile()));
            QCOMPARE(Ids(OwnFile()).size(), 4);  // three answers and the end
            QVERIFY(avis_.isEmpty());                  // kept on this computer: nothing to tell the learner
            QVERIFY2(avertissements_.size() == 1 && avertissements_[0].contains(OwnFile()), qPrintable(avertissements_.join('\n')));
            if (bouchon) QVERIFY(QFile::remove(r_.dossier) && QDir().mkpath(r_.dossier));
        }
        const QStringList gardes = Ids(OwnFile());
        // The next start copies them, once; later starts copy nothing again.
        RunSession(0, false);
        QCOMPARE(Ids(ClassFile()), gardes);
        QVERIFY(avertissements_.last().contains("ont rejoint"));
        RunSession(2);
        RunSession(0, false);
        QCOMPARE(Ids(ClassFile()).size(), 4 + 3);
        QCOMPARE(Ids(ClassFile()).mid(0, 4), gardes);
        QCOMPARE(Ids(ClassFile()).removeDuplicates(), 0);
        QCOMPARE(Ids(OwnFile()), gardes);  // what the class folder took never went there
        struct stat etat {};
        QCOMPARE(::stat(QFile::encodeName(ClassFile()).constData(), &etat), 0);
        QCOMPARE(etat.st_mode & 07777, mode_t(0640));  // the folder's group (the teacher's) reads it

        // Whoever reads both folders at once counts each statement once.
        Lecture lecture;
        QVERIFY(LireDossier(r_.dossier, lecture));
        QVERIFY(LireDossier(r_.dossierPropre, lecture));
        QCOMPARE(int(lecture.declarations.size()), 7);
        const std::vector<BilanSeance> bilans = Bilans(lecture.declarations);
        QCOMPARE(int(bilans.size()), 2);
        QCOMPARE(bilans[0].questions, 3);
    }

    void aMissingClassFolderIsNeverMadeAndIsCaughtUpOnceItIsThere() {
        Suivi suivi(r_);
        suivi.SurResultatsPerdus([this](const QString& texte) { avis_ << texte; });
        suivi.ReponseValidee(1, 0, true, 1);
        suivi.ReponseValidee(2, 1, false, 0.5);
        QVERIFY(suivi.JournalDeLaSeance().Attendre(5000));
        QVERIFY(!QFileInfo::exists(r_.dossier));
        QCOMPARE(Ids(OwnFile()).size(), 2);
        QVERIFY2(avertissements_.size() == 1 && avertissements_[0].contains("n'existe pas"), qPrintable(avertissements_.join('\n')));

        // The share is mounted: the next answer brings the first two along, in order.
        QVERIFY(QDir().mkpath(r_.dossier));
        suivi.ReponseValidee(3, 0, true, 1.5);
        suivi.LeconFermee();
        QStringList attendus = Ids(OwnFile());
        QCOMPARE(attendus.size(), 2);
        QCOMPARE(Ids(ClassFile()).mid(0, 2), attendus);
        QCOMPARE(Ids(ClassFile()).size(), 4);
        QCOMPARE(Ids(ClassFile()).removeDuplicates(), 0);
        QCoreApplication::processEvents();
        QVERIFY(avis_.isEmpty());
    }

    void aFileOfThisNameThatAnotherAccountOwnsIsNeverWrittenTo() {
        QVERIFY(QDir().mkpath(r_.dossier));
        // A link of this name, made by anyone, is not followed to where it points.
        QFile cible(racine_->filePath("recueil.jsonl"));
        QVERIFY(cible.open(QIODevice::WriteOnly));
        cible.close();
        QVERIFY(QFile::link(cible.fileName(), ClassFile()));
        RunSession(1);
        QCOMPARE(cible.size(), qint64(0));
        QCOMPARE(Ids(OwnFile()).size(), 2);
        QVERIFY2(avertissements_.join('\n').contains("lien symbolique"), qPrintable(avertissements_.join('\n')));
        QVERIFY(QFile::remove(ClassFile()));

        if (!Root()) QSKIP("only the administrator can give a file to another account here");
        const QByteArray piege = "{\"id\":\"piege\",\"verb\":{}}\n";
        QFile squat(ClassFile());
        QVERIFY(squat.open(QIODevice::WriteOnly));
        squat.write(piege);
        squat.close();
        QVERIFY(::chown(QFile::encodeName(ClassFile()).constData(), 65534, 65534) == 0);
        avertissements_.clear();
        RunSession(2);
        QFile relu(ClassFile());
        QVERIFY(relu.open(QIODevice::ReadOnly));
        QCOMPARE(relu.readAll(), piege);
        QCOMPARE(Ids(OwnFile()).size(), 2 + 3);
        QVERIFY2(avertissements_.join('\n').contains("appartient à un autre compte"), qPrintable(avertissements_.join('\n')));
        QVERIFY(avis_.isEmpty());
    }

    void aFullClassFolderLeavesNoHalfLineAndIsCaughtUpOnceThereIsRoom() {
        QVERIFY(QDir().mkpath(r_.dossier));
        if (!Root() || !RunCommand("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", r_.dossier}))
            QSKIP("no small file system can be mounted here (only the administrator can, where allowed)");
        struct Demonter {
            QString d;
            ~Demonter() { RunCommand("umount", {d}); }
        } demonter{r_.dossier};
        // Filled to the last block.
        QFile plein(QDir(r_.dossier).filePath("plein"));
        QVERIFY(plein.open(QIODevice::WriteOnly));
        const QByteArray bloc(4096, 'x');
        while (plein.write(bloc) == bloc.size() && plein.flush()) {
        }
        plein.close();
        Suivi suivi(r_);
        suivi.SurResultatsPerdus([this](const QString& texte) { avis_ << texte; });
        for (int q = 1; q <= 3; ++q) suivi.ReponseValidee(q, 0, true, q);
        QVERIFY(suivi.JournalDeLaSeance().Attendre(5000));
        QVERIFY(Ids(ClassFile()).isEmpty());
        QCOMPARE(Ids(OwnFile()).size(), 3);
        QVERIFY2(avertissements_.join('\n').contains(QString::fromLocal8Bit(strerror(ENOSPC))), qPrintable(avertissements_.join('\n')));

        QVERIFY(plein.remove());
        suivi.LeconFermee();
        const QStringList classe = Ids(ClassFile());
        QCOMPARE(classe.size(), 4);
        QCOMPARE(classe.mid(0, 3), Ids(OwnFile()));
        Lecture lecture;
        QVERIFY(LireJournal(ClassFile(), lecture));
        QVERIFY(lecture.ignorees.empty());
        QCoreApplication::processEvents();
        QVERIFY(avis_.isEmpty());
    }

    void whenTheOwnFolderFailsTooTheLearnerIsToldOnceAndTheLessonGoesOn() {
        // No class folder, and a file where the own folder should be: nothing can be written.
        QVERIFY(QDir().mkpath(racine_->filePath("propre")));
        QFile bouchon(r_.dossierPropre);
        QVERIFY(bouchon.open(QIODevice::WriteOnly));
        bouchon.close();
        Suivi suivi(r_);
        for (int q = 1; q <= 3; ++q) suivi.ReponseValidee(q, 0, true, q);
        QVERIFY(suivi.JournalDeLaSeance().Attendre(5000));
        // Told even when the hook is set after the loss.
        QCoreApplication::processEvents();
        QCOMPARE(avis_.size(), 0);
        suivi.SurResultatsPerdus([this](const QString& texte) { avis_ << texte; });
        QTRY_COMPARE(avis_.size(), 1);
        QCOMPARE(avis_[0], Suivi::TexteResultatsPerdus());
        QVERIFY(avis_[0].startsWith("Les résultats de cette séance ne peuvent pas être enregistrés sur cet ordinateur."));
        suivi.LeconFermee();
        QTest::qWait(50);
        QCOMPARE(avis_.size(), 1);
        QVERIFY(avertissements_.last().contains("4 en attente"));
    }
};

QTEST_GUILESS_MAIN(ResultsFallbackTest)
#include "test_results_fallback.moc"
