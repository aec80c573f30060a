// Picture loading as the course uses it: natural sizes, content over file names, the reasons given
// for files that cannot be shown, and a cache that never shows stale content.

#include "platform/picture.h"
#include "support/media.h"
#include "support/virtual_platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;
using platform::FileError;
using platform::LoadPicture;

namespace {
QString Reason(const QString& path) {
    try {
        LoadPicture(path);
    } catch (const FileError& e) {
        return e.reason;
    }
    return {};
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kCorpus = QStringLiteral(SEANCE_CORPUS_DIR);
}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT
    VirtualPlatform vp;
    QTemporaryDir dir;

private slots:
    void naturalSizesComeFromPixelsAndFromTheMetafileFrame() {
        WriteJpeg(dir.filePath("a.jpg"), 120, 80);
        const auto jpeg = LoadPicture(dir.filePath("a.jpg"));
        QCOMPARE(jpeg.SizeTwips(), QSizeF(1800, 1200));
        QVERIFY(!jpeg.IsVector());
        WriteEmf(dir.filePath("s.emf"), 2540, 1270);
        const auto emf = LoadPicture(dir.filePath("s.emf"));
        QVERIFY(emf.IsVector());
        QCOMPARE(emf.SizeTwips(), QSizeF(1440, 720));
        const auto frame = platform::LoadResourcePicture(111);
        QCOMPARE(frame.SizeTwips(), QSizeF(300 * 15, 374 * 15));
    }

    void contentDecidesNotTheName() {
        WriteJpeg(dir.filePath("photo.emf"), 10, 20);
        QCOMPARE(LoadPicture(dir.filePath("photo.emf")).SizeTwips(), QSizeF(150, 300));
        WriteEmf(dir.filePath("slide.jpg"), 2540, 2540);
        QVERIFY(LoadPicture(dir.filePath("slide.jpg")).IsVector());
    }

    void exifOrientationIsApplied() {
        const QString f = kCorpus + "/jpeg/exif-orientation-examples/Portrait_6.jpg";
        if (!QFile::exists(f)) QSKIP("corpus not present");
        const QSize stored = QImageReader(f).size();
        const auto p = LoadPicture(f);
        // Orientation 6 turns the stored picture a quarter: width and height swap.
        QCOMPARE(p.SizeTwips(), QSizeF(stored.height() * 15, stored.width() * 15));
    }

    void unusableFilesAreRefusedWithAPlainReason() {
        QCOMPARE(Reason(dir.filePath("none.jpg")), QString("le fichier est introuvable"));
        QVERIFY(Reason(dir.filePath("nofolder/Img1.jpg")).contains("dossier"));
        QDir(dir.path()).mkdir("folder.jpg");
        QVERIFY(Reason(dir.filePath("folder.jpg")).contains("dossier"));
        Write(dir.filePath("empty.emf"), {});
        QCOMPARE(Reason(dir.filePath("empty.emf")), QString("le fichier est vide"));
        Write(dir.filePath("noise.jpg"), QByteArray(3000, '\x5a'));
        QVERIFY(Reason(dir.filePath("noise.jpg")).contains("image"));

        // A JPEG cut short decodes in Qt as a grey-filled picture: refused as incomplete.
        WriteJpeg(dir.filePath("whole.jpg"), 200, 150, Qt::red);
        const QByteArray whole = Read(dir.filePath("whole.jpg"));
        Write(dir.filePath("cut.jpg"), whole.left(whole.size() * 2 / 3));
        QVERIFY(Reason(dir.filePath("cut.jpg")).contains("tronqué"));
        // Bytes after the end of the picture are harmless.
        Write(dir.filePath("tail.jpg"), whole + QByteArray(100, '\0'));
        QCOMPARE(Reason(dir.filePath("tail.jpg")), QString());

        // A header that declares 30 000 × 30 000 pixels is refused before anything is allocated.
        QByteArray huge = whole;
        const auto sof = huge.indexOf("\xFF\xC0");
        QVERIFY(sof > 0);
        huge[sof + 5] = char(30000 >> 8);
        huge[sof + 6] = char(30000 & 0xFF);
        huge[sof + 7] = char(30000 >> 8);
        huge[sof + 8] = char(30000 & 0xFF);
        Write(dir.filePath("huge.jpg"), huge);
        QVERIFY(Reason(dir.filePath("huge.jpg")).contains("trop grande"));
    }

    void theMessageNamesTheFileAndTheReason() {
        try {
            LoadPicture(dir.filePath("Diapo7.emf"));
            QFAIL("no error");
        } catch (const FileError& e) {
            QCOMPARE(e.message(), QString("Le fichier « %1 » ne peut pas être utilisé : le fichier est introuvable.")
                                      .arg(dir.filePath("Diapo7.emf")));
        }
    }

    void aChangedFileIsReadAgainAndAnUnchangedOneIsNot() {
        const QString f = dir.filePath("c.jpg");
        WriteJpeg(f, 50, 50);
        const auto first = LoadPicture(f);
        QVERIFY(LoadPicture(f).SameAs(first));
        WriteJpeg(f, 60, 40);
        const auto second = LoadPicture(f);
        QVERIFY(!second.SameAs(first));
        QCOMPARE(second.SizeTwips(), QSizeF(900, 600));
    }

    void everyCorpusJpegIsShownOrRefused() {
        if (!QDir(kCorpus + "/jpeg").exists()) QSKIP("corpus not present");
        int shown = 0, refused = 0;
        QDirIterator it(kCorpus + "/jpeg", {"*.jpg"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            Reason(f).isEmpty() ? ++shown : ++refused;
        }
        qInfo("corpus JPEG: %d shown, %d refused", shown, refused);
        QVERIFY(shown >= 35);
        QCOMPARE(Reason(kCorpus + "/jpeg/pillow/truncated_jpeg.jpg"), QString("l'image est incomplète (le fichier est tronqué)"));
    }

    void numbersUseTheRegionalDecimalSeparator() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QCOMPARE(platform::NumberText(2.5), QString("2,5"));
        QCOMPARE(platform::NumberText(12), QString("12"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(platform::NumberText(2.5), QString("2.5"));
        QCOMPARE(platform::NumberText(0), QString("0"));
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_MAIN(PicturesTest)
#include "test_pictures.moc"
