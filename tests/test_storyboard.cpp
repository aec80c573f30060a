// seance1 --storyboard, checked from outside as a teacher's PDF reader would see it: every page of
// the lesson as it builds up, searchable text, photographs at their own size, the answer key, the
// same bytes for the same course; and a broken course folder leaves no PDF behind.

#include "content/lesson_content.h"
#include "content/seance.h"
#include "course_window/cour1p.h"
#include "storyboard/dated_output.h"
#include "storyboard/director.h"
#include "storyboard/offline_platform.h"
#include "storyboard/sheets.h"
#include "support/program.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::ReadAll;

namespace {

const QString kDemo = QStringLiteral(SEANCE_DEMO_DIR);
const QString kProgram = QStringLiteral(SEANCE_BIN_DIR "/src/seance1");

struct Run {
    int status = -1;
    QString out, err;
};

Run Exec(const QString& program, const QStringList& args, const QString& folder = {}, const QString& timeZone = {}) {
    QProcess p;
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    if (!timeZone.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TZ"), timeZone);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run Storyboard(const QString& folder, const QString& pdf, const QString& timeZone = {}) {
    return Exec(kProgram, {"--storyboard", pdf}, folder, timeZone);
}

// The text of each sheet, as a PDF reader extracts it.
QStringList SheetTexts(const QString& pdf) {
    const Run r = Exec(QStringLiteral("pdftotext"), {"-enc", "UTF-8", pdf, "-"});
    if (r.status != 0) return {};
    QStringList sheets = r.out.split(QLatin1Char('\f'));
    if (!sheets.isEmpty() && sheets.last().trimmed().isEmpty()) sheets.removeLast();
    return sheets;
}

// Each sheet's caption: its first line.
QStringList Captions(const QStringList& sheets) {
    QStringList out;
    for (const QString& s : sheets) out << s.section(QLatin1Char('\n'), 0, 0).trimmed();
    return out;
}

// A course folder made of the demo's files, to break at will.
void CopyDemo(const QString& to) {
    QDirIterator it(kDemo, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString target = QDir(to).filePath(QDir(kDemo).relativeFilePath(from));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(from, target);
    }
}

}  // namespace

class TestStoryboard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils, installed by scripts/setup.sh) is needed to read the PDF");
        QVERIFY2(QFileInfo::exists(kDemo + QStringLiteral("/Seance1/Diapo0.emf")), "the demo course is built");
    }

    // The whole lesson, sheet by sheet: each picture with the time it arrives, the strips, the
    // twenty questions with their answer, page 20 and the About window.
    void wholeLessonAsItBuildsUp() {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("deroule.pdf"));
        const Run r = Storyboard(kDemo, pdf);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("Déroulé écrit")));

        const QStringList sheets = SheetTexts(pdf);
        QStringList expected = {QStringLiteral("Électricité - Séance 1"), QStringLiteral("page 0")};
        // Pages 1 to 18 in the demo course: the slide a tick after entry, then each photograph.
        const QList<QStringList> pages = {
            {"0,1", "1", "2", "3"}, {"0,1", "1", "2", "3"}, {"0,1", "1", "2"}, {"0,1"}, {"0,1"}, {"0,1"},
            {"0,1"}, {"0,1"}, {"0,1", "1", "2"}, {"0,1"}, {"0,1", "1", "2", "3"}, {"0,1", "1", "2", "3"},
            {"0,1", "1", "13,5", "strip"}, {"0,1", "1,1", "13,98", "strip"}, {"0,1"}, {"0,1", "0,7"}, {"0,1"}, {"0,1"},
        };
        for (int page = 1; page <= 18; ++page) {
            for (const QString& t : pages[page - 1])
                expected << (t == QLatin1String("strip") ? QStringLiteral("page %1 — animation, image par image").arg(page)
                                                         : QStringLiteral("page %1 — %2 s").arg(page).arg(t));
        }
        for (int q = 1; q <= 20; ++q) expected << QStringLiteral("page 19 — question %1 sur 20").arg(q);
        expected << QStringLiteral("page 20") << QStringLiteral("La fenêtre « À propos », ouverte d'un clic sur le logo");
        QCOMPARE(Captions(sheets), expected);

        // The slides are text, not pictures of text; the title page says what and which version.
        const QString all = sheets.join(QLatin1Char('\n'));
        QVERIFY(all.contains(QStringLiteral("coulomb")));
        QVERIFY(sheets[3].contains(QStringLiteral("La matière")));
        QVERIFY(sheets[0].contains(QStringLiteral("Version 0.1.5")));
        // The answer key, in the bank's order, says so and names the right answer.
        const int q9 = static_cast<int>(expected.indexOf(QStringLiteral("page 19 — question 9 sur 20")));
        QVERIFY(sheets[q9].contains(QStringLiteral("ordre de la banque")));
        QVERIFY(sheets[q9].contains(QStringLiteral("la bonne réponse est cochée : « L'ampère »")));
        const QString answers = sheets[q9].section(QStringLiteral("unité employée"), 1);
        QVERIFY(answers.indexOf(QStringLiteral("L'ampère")) < answers.indexOf(QStringLiteral("Le watt")));
        QVERIFY(answers.indexOf(QStringLiteral("Le coulomb")) < answers.indexOf(QStringLiteral("Le volt")));
        QVERIFY(sheets[expected.size() - 2].contains(QStringLiteral("Et voilà, vous venez de terminer")));
        QVERIFY(sheets.last().contains(QStringLiteral("« À propos de KORVANE »")));
        QVERIFY(sheets.last().contains(QStringLiteral("Version 0.1.5")));

        // The photographs go in at their own pixel size (the demo's are 240 × 180 and such), not
        // resampled to the sheet.
        const Run images = Exec(QStringLiteral("pdfimages"), {"-list", pdf});
        QCOMPARE(images.status, 0);
        QVERIFY2(images.out.contains(QRegularExpression(QStringLiteral("\\s240\\s+180\\s"))), qPrintable(images.out));
    }

    // Same course, same bytes: no date of printing, no random identifier.

    // A teacher's séance: its PDF slides and their steps as they come, its own animation's frames
    // on one strip (drawn again and again, they are never "something new" that would hold the page),
    // its evaluation's page and closing page by their own numbers.
    void aScriptedSeanceWithItsOwnAnimation() {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("seance2.pdf"));
        const Run r = Exec(kProgram, {"--storyboard", pdf, "--seance", "2"}, kDemo);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList captions = Captions(SheetTexts(pdf));
        QCOMPARE(captions.first(), QStringLiteral("Séance 2 : tension, intensité, résistance"));
        for (const char* caption : {"page 8 — 2 s", "page 8 — 4 s", "page 10 — animation, image par image",
                                    "page 12 — question 20 sur 20", "page 13"})
            QVERIFY2(captions.contains(QString::fromUtf8(caption)), caption);
        QCOMPARE(captions.filter(QStringLiteral("page 10 —")).size(), 3);  // the slide, the animation's first frame, the strip
    }
    void sameCourseSamePdf() {
        // Several runs, in other time zones: what varies from run to run (hash order, addresses)
        // does not vary every time.
        QTemporaryDir out;
        QByteArray first;
        const QStringList zones = {"UTC", "Europe/Paris", "America/Montreal"};
        for (int run = 0; run < zones.size(); ++run) {
            const QString pdf = out.filePath(QStringLiteral("%1.pdf").arg(run));
            QCOMPARE(Storyboard(kDemo, pdf, zones[run]).status, 0);
            if (run == 0) first = ReadAll(pdf);
            QVERIFY2(ReadAll(pdf) == first, "two runs on the same course gave different PDFs");
        }
        QVERIFY(first.size() > 100000);
    }

    // Newer PDF writers stamp a date of change beside the date of writing; both take the course's
    // date, wherever the writes that carry them are cut.
    void bothDatesOfTheDocumentTakeTheCoursesDate() {
        const QByteArray head = "%PDF-1.4\n1 0 obj\n<<\n/Title (x)\n/CreationDate (D:20261208105526Z)\n"
                                "/ModDate (D:20261208110528Z)\n>>\nendobj\n2 0 obj\n";
        const QByteArray body(200000, 'b');
        for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(64), qsizetype(1 << 20)}) {
            QBuffer file;
            file.open(QIODevice::WriteOnly);
            storyboard::DatedOutput out(&file, "20250102030405");
            QVERIFY(out.open(QIODevice::WriteOnly));
            const QByteArray all = head + body;
            for (qsizetype at = 0; at < all.size(); at += piece) out.write(all.mid(at, piece));
            out.close();
            QByteArray expected = all;
            expected.replace("20261208105526", "20250102030405").replace("20261208110528", "20250102030405");
            QVERIFY2(file.data() == expected, qPrintable(QStringLiteral("pieces of %1 bytes").arg(piece)));
        }
    }

    // A missing or broken file is named in French, the run fails, and no PDF is left, nor is an
    // earlier storyboard of that name damaged.
    void brokenCourseLeavesNoPdf_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("remove");
        QTest::newRow("missing photograph") << QStringLiteral("Seance1/Img7.jpg") << true;
        QTest::newRow("slide that is not a picture") << QStringLiteral("Seance1/Diapo13.emf") << false;
    }
    void brokenCourseLeavesNoPdf() {
        QFETCH(QString, file);
        QFETCH(bool, remove);
        QTemporaryDir course;
        CopyDemo(course.path());
        const QString target = course.filePath(file);
        if (remove) {
            QVERIFY(QFile::remove(target));
        } else {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("ceci n'est pas une diapositive");
        }
        const QString name = QFileInfo(file).fileName();

        const Run fresh = Storyboard(course.path(), QStringLiteral("deroule.pdf"));
        QVERIFY(fresh.status != 0 && fresh.status != -1);
        QVERIFY2(fresh.err.contains(name), qPrintable(fresh.err));
        QVERIFY2(fresh.err.contains(QStringLiteral("n'a pas été écrit")), qPrintable(fresh.err));
        QVERIFY(!QFileInfo::exists(course.filePath(QStringLiteral("deroule.pdf"))));

        QFile old(course.filePath(QStringLiteral("ancien.pdf")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("%PDF-1.4 ancien déroulé");
        old.close();
        QVERIFY(Storyboard(course.path(), QStringLiteral("ancien.pdf")).status != 0);
        QCOMPARE(ReadAll(old.fileName()), QByteArray("%PDF-1.4 ancien déroulé"));
        // Nothing half-written beside it either.
        const QStringList left = QDir(course.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left, QStringList({"Bravo.wav", "SonMCM.wav", "ancien.pdf", "cours.toml"}));
    }

    // The content checker checks exactly the pictures that the lesson's page scripts show.
    void checkerListsWhatTheLessonShows() {
        storyboard::OfflinePlatform platform;
        platform.currentDirectory = kDemo;
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        storyboard::Sheets sheets(&pdf, QStringLiteral("essai"), QStringLiteral("essai"), {});
        Cour1p course;
        storyboard::Director director(course, platform, sheets, course.Script());
        director.Run();
        QVERIFY(sheets.Finish());

        std::set<QString> listed;
        for (const QString& path : content::FilesOfSeance(content::Seance::Integree())) listed.insert(QFileInfo(path).fileName());
        const QStringList shown(director.FilesShown().begin(), director.FilesShown().end());
        QCOMPARE(shown, QStringList(listed.begin(), listed.end()));
    }

    void outputThatCannotBeWrittenOrNoFileGiven() {
        QTemporaryDir out;
        const Run r = Storyboard(kDemo, out.filePath(QStringLiteral("pas/de/dossier/deroule.pdf")));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("deroule.pdf")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("n'existe pas")), qPrintable(r.err));
        QCOMPARE(Exec(kProgram, {"--storyboard"}, kDemo).status, 2);
    }
};

QTEST_MAIN(TestStoryboard)
#include "test_storyboard.moc"
