// Broken course content as teachers' folders and USB sticks hold it: the real program on a copy of
// the demo course with its title slide damaged, photographs damaged on the way to page 1, and the
// feedback sounds damaged during the evaluation. A picture the lesson cannot use stops it with a
// plain sentence naming the file and the reason; a sound it cannot play is skipped in silence.

#include "course_window/m_orvalis2.h"
#include "course_window/sl_mm.h"
#include "platform/picture.h"
#include "platform/wave_device.h"
#include "support/lesson.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/program.h"
#include "support/sanitized.h"

using namespace testsupport;

namespace {


constexpr long kMaxPeakKb = 300 * 1024;

void WriteAll(const QString& path, const QByteArray& data) {
    QFile::remove(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        if (it.fileInfo().isDir()) QDir().mkpath(dst);
        else QFile::copy(src, dst);
    }
}

QByteArray RandomBytes(int n, quint32 seed) {
    QRandomGenerator g(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (char& c : b) c = static_cast<char>(g.bounded(256));
    return b;
}

// A JPEG whose frame header declares w × h pixels while its data stays that of the original.
QByteArray JpegDeclaring(QByteArray jpeg, int w, int h) {
    for (qsizetype i = 2; i + 9 < jpeg.size();) {
        if (uchar(jpeg[i]) != 0xFF) return {};
        const uchar marker = uchar(jpeg[i + 1]);
        const int length = (uchar(jpeg[i + 2]) << 8) | uchar(jpeg[i + 3]);
        if (marker >= 0xC0 && marker <= 0xC3) {
            qToBigEndian<quint16>(quint16(h), jpeg.data() + i + 5);
            qToBigEndian<quint16>(quint16(w), jpeg.data() + i + 7);
            return jpeg;
        }
        i += 2 + length;
    }
    return {};
}

// An EMF with its header frame claiming about 21 km on a side.
QByteArray EmfWithHugeFrame(QByteArray emf) {
    qToLittleEndian<qint32>(0, emf.data() + 24);
    qToLittleEndian<qint32>(0, emf.data() + 28);
    qToLittleEndian<qint32>(INT32_MAX, emf.data() + 32);
    qToLittleEndian<qint32>(INT32_MAX, emf.data() + 36);
    return emf;
}

// An EMF whose header claims four thousand million records and 65535 handles.
QByteArray EmfWithHugeCounts(QByteArray emf) {
    qToLittleEndian<quint32>(0xFFFFFFFFu, emf.data() + 52);
    qToLittleEndian<quint16>(0xFFFF, emf.data() + 56);
    return emf;
}

// An EMF whose second record claims to be nearly 4 GB long.
QByteArray EmfWithHugeRecord(QByteArray emf) {
    const quint32 headerSize = qFromLittleEndian<quint32>(emf.constData() + 4);
    qToLittleEndian<quint32>(0xFFFFFFF0u, emf.data() + headerSize + 4);
    return emf;
}

// How a bad file is made in place of a good one. Empty data with remove set deletes it.
enum class Make { Remove, RemoveFolder, Write, Directory, Unreadable };
struct Damage {
    const char* name;
    Make make;
    QByteArray data;
    const char* reason;  // in the message; null when the picture is shown after all
};

void Apply(const Damage& d, const QString& file) {
    switch (d.make) {
        case Make::Remove: QFile::remove(file); break;
        case Make::RemoveFolder: QDir(QFileInfo(file).absolutePath()).removeRecursively(); break;
        case Make::Write: WriteAll(file, d.data); break;
        case Make::Directory:
            QFile::remove(file);
            QDir().mkpath(file);
            break;
        case Make::Unreadable: QFile::setPermissions(file, {}); break;
    }
}

// The damage a picture file can suffer; own is the good file, other a good file of the other kind.
QList<Damage> Damages(const QByteArray& own, const QByteArray& other, const QByteArray& emf, const QByteArray& jpeg) {
    return {
        {"missing", Make::Remove, {}, "introuvable"},
        {"folder missing", Make::RemoveFolder, {}, "dossier"},
        {"empty", Make::Write, {}, "vide"},
        {"truncated", Make::Write, own.left(own.size() / 2 + 1), "tronqu"},
        {"random bytes", Make::Write, RandomBytes(40000, 7), "image"},
        // Pictures are recognised by their content, as the lesson always did: the other kind is shown.
        {"other kind under this name", Make::Write, other, nullptr},
        {"EMF with a huge frame", Make::Write, EmfWithHugeFrame(emf), "trop grande"},
        {"EMF with huge record and handle counts", Make::Write, EmfWithHugeCounts(emf), nullptr},
        {"EMF with a huge record", Make::Write, EmfWithHugeRecord(emf), "tronqu"},
        {"JPEG of 30000 x 30000", Make::Write, JpegDeclaring(jpeg, 30000, 30000), "trop grande"},
        {"directory", Make::Directory, {}, "dossier"},
        {"unreadable", Make::Unreadable, {}, "lecture"},
    };
}

struct Outcome {
    bool ended = false;
    int status = -1;
    int signal = 0;
    QString err;
    double seconds = 0;
    long peakKb = 0;
};

// Runs the real program in dir for at most limitMs; a program still running then is killed.
Outcome RunProgram(const QString& dir, int limitMs) {
    const QByteArray bin = QByteArrayLiteral(SEANCE_BIN_DIR "/src/seance1");
    const QByteArray errPath = (dir + "/stderr.txt").toLocal8Bit();
    const QByteArray wd = dir.toLocal8Bit();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, 2) < 0 || chdir(wd.constData()) != 0) _exit(127);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(bin.constData(), bin.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Outcome o;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t r = wait4(pid, &status, WNOHANG, &usage);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (r == pid) {
            o.ended = true;
            o.seconds = elapsed;
            break;
        }
        if (elapsed * 1000 > limitMs) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            o.seconds = elapsed;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (o.ended && WIFEXITED(status)) o.status = WEXITSTATUS(status);
    if (o.ended && WIFSIGNALED(status)) o.signal = WTERMSIG(status);
    o.peakKb = usage.ru_maxrss;
    o.err = QString::fromLocal8Bit(ReadAll(dir + "/stderr.txt"));
    return o;
}

// The part of a box inside its window: what the screen shows of it, and all that is ever painted.
QRect OnScreen(QWidget* box) {
    const QPoint offset = box->mapTo(box->window(), QPoint(0, 0));
    return box->rect().intersected(QRect(-offset, box->window()->size()));
}

// The platform of the tests with the real sound device in place of the recording one.
class RealSoundPlatform : public VirtualPlatform {
public:
    std::unique_ptr<platform::SoundDevice> OpenSoundDevice() override { return platform::MakeWaveDevice(); }
};

}  // namespace

class BadMediaTest : public QObject {
    Q_OBJECT

    QByteArray demoEmf_, demoJpeg_, photoJpeg_;

    QList<Damage> SlideDamages() const { return Damages(demoEmf_, demoJpeg_, demoEmf_, demoJpeg_); }
    QList<Damage> PhotoDamages() const { return Damages(photoJpeg_, demoEmf_, demoEmf_, photoJpeg_); }

private slots:
    void initTestCase() {
        demoEmf_ = ReadAll(SEANCE_DEMO_DIR "/Seance1/Diapo0.emf");
        demoJpeg_ = ReadAll(SEANCE_DEMO_DIR "/Seance1/Img1.jpg");
        QVERIFY(!demoEmf_.isEmpty() && !demoJpeg_.isEmpty());
        QVERIFY(!JpegDeclaring(demoJpeg_, 30000, 30000).isEmpty());
        QTemporaryDir tmp;
        WriteJpeg(tmp.path() + "/a.jpg", PhotoWidth(1), PhotoHeight(1));
        photoJpeg_ = ReadAll(tmp.path() + "/a.jpg");
    }

    // The title slide, read by the real program as it starts.
    void theProgramStopsPlainlyOnABrokenTitleSlide_data() {
        QTest::addColumn<int>("index");
        const auto damages = SlideDamages();
        for (int i = 0; i < damages.size(); ++i) QTest::newRow(damages[i].name) << i;
    }
    void theProgramStopsPlainlyOnABrokenTitleSlide() {
        QFETCH(int, index);
        const Damage damage = SlideDamages().at(index);
        if (damage.make == Make::Unreadable && geteuid() == 0)
            QSKIP("running as root: every file is readable, so the permission case cannot be made");
        QTemporaryDir tmp;
        CopyTree(SEANCE_DEMO_DIR, tmp.path());
        // Séance 1 alone: a course of several would show it on its menu as unavailable, and wait.
        QVERIFY(QDir(tmp.path() + "/Seance2").removeRecursively());
        const QString file = tmp.path() + "/Seance1/Diapo0.emf";
        Apply(damage, file);
        // A refused picture ends the program well within 2 s; a shown one keeps it running.
        const Outcome o = RunProgram(tmp.path(), damage.reason ? 20000 : 1500);
        qInfo("%-40s %s in %.2f s, peak %ld MB", damage.name, o.ended ? "ended" : "running", o.seconds,
              o.peakKb / 1024);
        QCOMPARE(o.signal, 0);
        if (!kSanitized) QVERIFY2(o.peakKb < kMaxPeakKb, qPrintable(QString::number(o.peakKb)));
        if (!damage.reason) {
            QVERIFY2(!o.ended, qPrintable(o.err));
            return;
        }
        QVERIFY(o.ended);
        QCOMPARE(o.status, 1);
        QVERIFY2(o.err.contains("« " + file + " »") && o.err.contains(damage.reason), qPrintable(o.err));
    }

    // A photograph, reached on page 1 in the lesson with the real picture loader.
    void theLessonStopsPlainlyOnABrokenPhotograph_data() {
        QTest::addColumn<int>("index");
        const auto damages = PhotoDamages();
        for (int i = 0; i < damages.size(); ++i) QTest::newRow(damages[i].name) << i;
    }
    void theLessonStopsPlainlyOnABrokenPhotograph() {
        QFETCH(int, index);
        const Damage damage = PhotoDamages().at(index);
        if (damage.make == Make::Unreadable && geteuid() == 0)
            QSKIP("running as root: every file is readable, so the permission case cannot be made");
        Lesson l;
        const QString file = l.w->Repertoire + "Img1.jpg";
        if (damage.make == Make::RemoveFolder) {
            // The folder goes after the slide of page 1 is shown, before its first photograph.
            l.vp.At(500, [&] { Apply(damage, file); });
        } else {
            Apply(damage, file);
        }
        try {
            l.Click(l.w->B_Pag_S);
            QVERIFY2(!damage.reason, "the page went on");
            QCOMPARE(l.w->NumPage, int16_t(1));
            QVERIFY(l.w->Picture2.Visible());
            QVERIFY(!l.w->Picture2.GetPicture().IsNull());
        } catch (const ProgramEnded& e) {
            QVERIFY2(damage.reason, qPrintable(e.message));
            QCOMPARE(e.status, 1);
            QCOMPARE(l.vp.Elapsed(), 1000);
            QVERIFY2(e.message.contains("« " + file + " »") && e.message.contains(damage.reason),
                     qPrintable(e.message));
        }
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        if (!kSanitized) QVERIFY2(self.ru_maxrss < kMaxPeakKb, qPrintable(QString::number(self.ru_maxrss)));
    }

    // Every real-world picture, as page 1's slide and as its first photograph: shown and drawn,
    // or refused with the sentence naming it.
    void everyCorpusPictureAsSlideAndAsPhotograph_data() {
        QTest::addColumn<QString>("folder");
        // One row per collection, so that each has its own time limit.
        for (const char* sub : {"/emf", "/jpeg"}) {
            QDirIterator it(QStringLiteral(SEANCE_CORPUS_DIR) + sub, QDir::Dirs | QDir::NoDotAndDotDot);
            while (it.hasNext()) {
                const QString dir = it.next();
                QTest::newRow(qPrintable(dir.mid(dir.lastIndexOf('/', dir.lastIndexOf('/') - 1) + 1))) << dir;
            }
        }
        if (!QDir(QStringLiteral(SEANCE_CORPUS_DIR)).exists()) QTest::newRow("no corpus") << QString();
    }
    void everyCorpusPictureAsSlideAndAsPhotograph() {
        QFETCH(QString, folder);
        QStringList files;
        QDirIterator it(folder, {"*.emf", "*.jpg", "*.jpeg"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        if (files.isEmpty()) QSKIP("corpus not present");
        files.sort();
        Lesson l;
        Cour1p& w = *l.w;
        const QString course = w.Repertoire;
        int shown = 0, refused = 0;
        QElapsedTimer slowest;
        qint64 slowestMs = 0;
        QString slowestFile;
        for (int i = 0; i < files.size(); ++i) {
            for (const char* as : {"Diapo1.emf", "Img1.jpg"}) {
                const QString folder = l.folder->path() + QStringLiteral("/corpus%1-%2/").arg(i).arg(as[0]);
                QDir().mkpath(folder);
                for (const char* own : {"Diapo1.emf", "Img1.jpg", "Img2.jpg", "Img3.jpg"}) {
                    QFile::copy(QString(own) == as ? files[i] : course + own, folder + own);
                }
                w.Repertoire = folder;
                w.NumPage = 0;
                slowest.start();
                try {
                    l.Click(w.B_Pag_S);
                    QCOMPARE(w.NumPage, int16_t(1));
                    // Painting is checked by the plain build; under the sanitizers it would take too long.
                    for (QWidget* box : {w.Picture1.Widget(), w.Picture2.Widget()}) {
                        if (kSanitized) break;
                        if (!OnScreen(box).isEmpty()) (void)box->grab(OnScreen(box));
                    }
                    ++shown;
                } catch (const ProgramEnded& e) {
                    QCOMPARE(e.status, 1);
                    QVERIFY2(e.message.contains("« " + folder + as + " »"), qPrintable(e.message));
                    ++refused;
                }
                if (slowest.elapsed() > 2000) qWarning("%s as %s: %lld ms", qPrintable(files[i]), as, slowest.elapsed());
                if (slowest.elapsed() > slowestMs) slowestMs = slowest.elapsed(), slowestFile = files[i];
                QDir(folder).removeRecursively();
            }
        }
        qInfo("corpus pictures in the lesson: %d shown, %d refused; slowest %lld ms (%s)", shown, refused, slowestMs,
              qPrintable(slowestFile));
        QVERIFY(shown > 0 || folder.endsWith("corrupted"));
    }

    // The feedback sounds, through the real wave device, during three answers of the evaluation.
    void aBadSoundIsSkippedAndTheScoreStays_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("data");
        const QByteArray good = ReadAll(SEANCE_DEMO_DIR "/Bravo.wav");
        QByteArray unusual;
        QDirIterator it(QStringLiteral(SEANCE_CORPUS_DIR "/wav"), {"*.wav"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext() && unusual.isEmpty()) {
            const QString f = it.next();
            if (f.endsWith("test-8000Hz-le-3ch-5S-24bit-rf64.wav")) unusual = ReadAll(f);
        }
        QVERIFY(!good.isEmpty());
        QTest::newRow("missing") << "missing" << QByteArray();
        QTest::newRow("empty") << "write" << QByteArray();
        QTest::newRow("truncated") << "write" << good.left(good.size() / 3);
        QTest::newRow("header only") << "write" << good.left(44);
        QTest::newRow("not a wave file") << "write" << RandomBytes(20000, 11);
        QTest::newRow("a picture") << "write" << demoJpeg_;
        if (!unusual.isEmpty()) QTest::newRow("unusual format") << "write" << unusual;
        QTest::newRow("directory") << "directory" << QByteArray();
        QTest::newRow("good, maybe no output") << "write" << good;
    }
    void aBadSoundIsSkippedAndTheScoreStays() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, data);
        SL_MM::Forget();
        QTemporaryDir folder;
        WriteCourse(folder.path());
        RealSoundPlatform vp;
        vp.currentDirectory = folder.path();
        auto w = std::make_unique<Cour1p>();
        platform::RunHandler([&] { w->Form_Load(); });
        platform::RunHandler([&] { w->Form_Activate(); });
        for (const char* name : {"Bravo.wav", "SonMCM.wav"}) {
            const QString path = folder.path() + "/" + name;
            if (kind == "write") WriteAll(path, data);
            if (kind == "directory") QDir().mkpath(path);
        }
        w->NumPage = 18;
        w->NumQuestion = 1;
        if (w->B_Pag_S.Reachable()) w->B_Pag_S.Click();
        QCOMPARE(w->NumPage, int16_t(19));
        // Option 0 holds the right answer whatever its place: right, wrong, right.
        for (const int choice : {0, 1, 0}) {
            w->Option1(choice).Click();
            if (w->B_Valider.Reachable()) w->B_Valider.Click();
        }
        QCOMPARE(w->Note, 1.5);
        QCOMPARE(w->NumQuestion, int16_t(4));
        QCOMPARE(w->Label9.Caption(), QString("Performance : 1,5/20").replace(",", QLocale().decimalPoint()));
        SL_MM::Forget();
    }
};

int main(int argc, char** argv) {
    // A few real-world slides take tens of seconds to paint on a busy machine; the default limit of
    // five minutes per test function is meant for hangs, which the rows would then be mistaken for.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT")) qputenv("QTEST_FUNCTION_TIMEOUT", "1200000");
    QApplication app(argc, argv);
    BadMediaTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_bad_media.moc"
