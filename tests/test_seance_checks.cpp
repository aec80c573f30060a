// Séances of a course checked before they are played: the content check goes through every
// séance's script and every file it names, and the storyboard follows a script as the lesson does;
// a broken script is refused by both with its file and line, and no PDF is written.

#include "content/lesson_content.h"
#include "storyboard/storyboard.h"
#include "support/media.h"
#include "support/virtual_platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace {

const QString kScriptSeance1 = QStringLiteral(SEANCE_SOURCE_DIR "/src/content/seance1.toml");

void Write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(text);
}

QByteArray ScriptSeance1() {
    QFile f(kScriptSeance1);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Each sheet's first line, as a PDF reader extracts it.
QStringList Captions(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-enc", "UTF-8", pdf, "-"});
    if (!p.waitForFinished(60000)) return {};
    QStringList out;
    for (const QString& sheet : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f')))
        if (!sheet.trimmed().isEmpty()) out << sheet.section(QLatin1Char('\n'), 0, 0).trimmed();
    return out;
}

// A second séance of three pages: its title, one slide with a photograph, the evaluation, the end.
const QByteArray kSeance2 = R"([[page]]
type = "titre"
diapositive = "Titre.emf"

[[page]]
diapositive = "Pile.emf"
fin = 20
  [[page.photo]]
  instant = 5
  cadre = 1
  fichier = "pile.jpg"
  place = "à droite de la diapositive, en haut, marge 20 px"

[[page]]
type = "evaluation"

[[page]]
type = "cloture"
texte = "Fin de la séance 2."
)";

}  // namespace

class SeanceChecksTest : public QObject {
    Q_OBJECT

    // A course of two séances: séance 1 built in, séance 2 scripted, with its own questions.
    void WriteTwoSeances(const QString& folder) {
        WriteCourse(folder);
        QDir().mkpath(folder + "/Seance2");
        WriteEmf(folder + "/Seance2/Titre.emf", kSlideFrameW, kSlideFrameH);
        WriteEmf(folder + "/Seance2/Pile.emf", kSlideFrameW, kSlideFrameH);
        WriteJpeg(folder + "/Seance2/pile.jpg", 200, 150);
        Write(folder + "/Seance2/seance.toml", kSeance2);
        QByteArray gift;
        for (int q = 1; q <= 20; ++q)
            gift += QStringLiteral("::Q%1:: Question %1 ? {=juste ~faux un ~faux deux ~faux trois}\n\n").arg(q).toUtf8();
        Write(folder + "/Seance2/questions.gift", gift);
    }

private slots:
    void everySeanceOfTheFolderIsChecked() {
        VirtualPlatform vp;  // pictures are loaded as the lesson loads them
        QTemporaryDir dir;
        WriteTwoSeances(dir.path());
        const content::Report ok = content::CheckFolder(dir.path());
        QVERIFY2(ok.CourseWillRun(), qPrintable(ok.problems.join('\n')));
        // Séance 1's 19 slides and 18 photographs, séance 2's 2 slides, 1 photograph and its questions, 2 sounds.
        QCOMPARE(ok.checked, 37 + 4 + 2);

        // A photograph the script names is missing, and séance 3 has no script at all.
        QFile::remove(dir.filePath("Seance2/pile.jpg"));
        QDir().mkpath(dir.filePath("Seance3"));
        const content::Report broken = content::CheckFolder(dir.path());
        QCOMPARE(broken.problems.size(), 2);
        QVERIFY2(broken.problems[0].startsWith(QDir::toNativeSeparators("Seance2/seance.toml, ligne 11, colonne 13 : le fichier « " +
                                                                        dir.filePath("Seance2/pile.jpg") + " » est introuvable")),
                 qPrintable(broken.problems[0]));
        QVERIFY2(broken.problems[1].contains("n'a pas de script « seance.toml »"), qPrintable(broken.problems[1]));
    }

    void aSeanceWithoutItsQuestionsIsRefused() {
        VirtualPlatform vp;
        QTemporaryDir dir;
        WriteTwoSeances(dir.path());
        QFile::remove(dir.filePath("Seance2/questions.gift"));
        const content::Report r = content::CheckFolder(dir.path());
        QCOMPARE(r.problems.size(), 1);
        QVERIFY2(r.problems[0].contains("Seance2/questions.gift, ligne 1 : le fichier est introuvable"), qPrintable(r.problems[0]));
    }

    void theStoryboardFollowsTheScript() {
        QTemporaryDir out;
        // Séance 2 of a course: its own pages, its evaluation on its page 2, its closing page 3.
        QTemporaryDir two;
        WriteTwoSeances(two.path());
        const storyboard::Outcome c = storyboard::Write(two.path(), out.filePath("c.pdf"), 2);
        QVERIFY2(c.ok, qPrintable(c.message));
        const QStringList cc = Captions(out.filePath("c.pdf"));
        QVERIFY2(cc.contains("page 1 — 0,5 s"), qPrintable(cc.join('\n')));
        QVERIFY(cc.contains("page 2 — question 20 sur 20"));
        QVERIFY(cc.contains("page 3"));
    }

    void aBrokenScriptWritesNoStoryboard() {
        QTemporaryDir dir, out;
        WriteCourse(dir.path());
        QByteArray script = ScriptSeance1();
        script.replace("instant = 20\n  cadre = 2\n  fichier = \"Img2.jpg\"", "instant = 5\n  cadre = 2\n  fichier = \"Img2.jpg\"");
        Write(dir.filePath("Seance1/seance.toml"), script);
        const storyboard::Outcome o = storyboard::Write(dir.path(), out.filePath("s.pdf"));
        QVERIFY(!o.ok);
        QVERIFY2(o.message.contains("seance.toml, ligne 27, colonne 13 : l'instant 5 vient avant celui de l'étape précédente (10)"),
                 qPrintable(o.message));
        QVERIFY(!QFile::exists(out.filePath("s.pdf")));
    }
};

QTEST_MAIN(SeanceChecksTest)
#include "test_seance_checks.moc"
