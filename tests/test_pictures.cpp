// Picture loading as the course uses it: natural sizes, content over file names, the reasons given
// for files that cannot be shown, and a cache that never shows stale content.

#include "platform/picture.h"
#include "support/media.h"
#include "support/program.h"
#include "support/virtual_platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>
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

    // A photograph's own description (EXIF) is its text for a screen reader; a slide's text is its words.
    void photographsTellTheirDescription() {
        WriteJpeg(dir.filePath("plain.jpg"), 40, 30);
        const QByteArray plain = ReadAll(dir.filePath("plain.jpg"));
        QCOMPARE(LoadPicture(dir.filePath("plain.jpg")).Text(), QString());
        const auto bytes = [](std::initializer_list<char> l) { return QByteArray(l.begin(), qsizetype(l.size())); };
        const auto withExif = [&](bool little, const QByteArray& description) {
            // TIFF header, IFD0 with one ImageDescription entry, then the string.
            QByteArray tiff = little ? QByteArray("II\x2A\0\x08\0\0\0", 8) : QByteArray("MM\0\x2A\0\0\0\x08", 8);
            const auto u16 = [&](quint16 v) { tiff += little ? bytes({char(v), char(v >> 8)}) : bytes({char(v >> 8), char(v)}); };
            const auto u32 = [&](quint32 v) { little ? (u16(v & 0xFFFF), u16(v >> 16)) : (u16(v >> 16), u16(v & 0xFFFF)); };
            u16(1), u16(0x010E), u16(2), u32(description.size() + 1), u32(8 + 2 + 12 + 4);
            u32(0);
            tiff += description + '\0';
            QByteArray app1 = "Exif" + QByteArray(2, '\0') + tiff;
            const int length = app1.size() + 2;
            return plain.left(2) + bytes({char(0xFF), char(0xE1), char(length >> 8), char(length)}) + app1 + plain.mid(2);
        };
        Write(dir.filePath("described.jpg"), withExif(true, "Une pile et une lampe reliées par deux fils"));
        QCOMPARE(LoadPicture(dir.filePath("described.jpg")).Text(), QString("Une pile et une lampe reliées par deux fils"));
        Write(dir.filePath("motorola.jpg"), withExif(false, "Un voltm\xE8tre"));  // Latin-1, big-endian
        QCOMPARE(LoadPicture(dir.filePath("motorola.jpg")).Text(), QString("Un voltmètre"));
        // A description that claims to run past its segment is ignored, the photograph still shown.
        QByteArray lying = withExif(true, "abcdefgh");
        lying[2 + 4 + 6 + 8 + 2 + 4] = char(0x7F);
        Write(dir.filePath("lying.jpg"), lying);
        QCOMPARE(LoadPicture(dir.filePath("lying.jpg")).Text(), QString());
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
        const QByteArray whole = ReadAll(dir.filePath("whole.jpg"));
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

    // Each way a slide can be unusable, in the learner's words.
    void aDamagedSlideIsRefusedInPlainFrench() {
        WriteEmf(dir.filePath("good.emf"), 2540, 1270);
        const QByteArray good = ReadAll(dir.filePath("good.emf"));
        const qsizetype header = qFromLittleEndian<quint32>(good.constData() + 4);
        QVERIFY(good.size() > header + 8);
        const auto reason = [&](const QString& name, const QByteArray& bytes) {
            Write(dir.filePath(name), bytes);
            return Reason(dir.filePath(name));
        };
        QCOMPARE(reason("short.emf", good.left(60)), QString("ce n'est pas un fichier EMF valide"));
        QCOMPARE(reason("cut.emf", good.left(good.size() - 4)), QString("le fichier est tronqué"));
        QByteArray odd = good;
        qToLittleEndian<quint32>(10, odd.data() + header + 4);  // a record of ten bytes
        QCOMPARE(reason("odd.emf", odd), QString("le fichier est endommagé"));
        QByteArray huge = good;
        qToLittleEndian<qint32>(20000000, huge.data() + 32);  // a frame 200 m wide
        QCOMPARE(reason("huge.emf", huge), QString("l'image est trop grande"));
        QByteArray flat = good;
        qToLittleEndian<qint32>(qFromLittleEndian<qint32>(flat.constData() + 28), flat.data() + 36);
        QCOMPARE(reason("flat.emf", flat), QString("l'image n'a pas de taille"));
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

    // The lesson shows 49 different pictures; paging back through them must decode none again,
    // and the first of them must not be pushed out by the last.
    void aWholeCourseOfPicturesStaysDecoded() {
        std::vector<platform::Picture> first;
        for (int i = 0; i < 60; ++i) {
            const QString f = dir.filePath(QStringLiteral("course%1.jpg").arg(i));
            WriteJpeg(f, 40, 30);
            first.push_back(LoadPicture(f));
        }
        for (int i = 0; i < 60; ++i)
            QVERIFY2(LoadPicture(dir.filePath(QStringLiteral("course%1.jpg").arg(i))).SameAs(first[size_t(i)]),
                     qPrintable(QString::number(i)));
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
