// The image-format plugin as any Qt program meets it: through QImageReader alone, with nothing of
// the renderer linked in, the plugin found in the build's plugin folder.
#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QtTest>
#include <cmath>

namespace {

QString Subset(const QString& rel) { return QStringLiteral(SEANCE_EMF_SUBSET_DIR "/emf/") + rel; }

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Neighbours whose grey differs by more than half the range: a crisp edge has them, an edge
// blurred over several pixels has none.
int SharpSteps(const QImage& in) {
    const QImage img = in.convertToFormat(QImage::Format_Grayscale8);
    int steps = 0;
    for (int y = 0; y < img.height(); ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 1; x < img.width(); ++x) steps += std::abs(row[x] - row[x - 1]) > 128;
    }
    return steps;
}

QImage OnWhite(const QImage& img) {
    QImage flat(img.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, img);
    return flat;
}

// Mean difference per channel between two pictures of the same size.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                   std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * a.width() * a.height());
}

}  // namespace

class EmfPluginTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCoreApplication::addLibraryPath(QStringLiteral(SEANCE_BIN_DIR "/plugins"));
        QVERIFY(QImageReader::supportedImageFormats().contains("emf"));
        QVERIFY(QImageReader::supportedMimeTypes().contains("image/emf"));
        QVERIFY(QImageReader::supportedMimeTypes().contains("image/x-emf"));
    }

    // Found by content whatever the name; natural size at 96 dpi; sharp when asked larger.
    void readsAtNaturalSizeAndSharpWhenScaled() {
        QBuffer buffer;
        buffer.setData(Bytes(Subset("apache-poi/document_vector_image.emf")));  // frame 186.8 x 153.0 mm
        QImageReader reader(&buffer);
        QVERIFY(reader.canRead());
        QCOMPARE(reader.format(), QByteArray("emf"));
        QCOMPARE(reader.size(), QSize(706, 578));
        const QImage natural = reader.read();
        QCOMPARE(natural.size(), QSize(706, 578));

        QImageReader large(Subset("apache-poi/document_vector_image.emf"));
        large.setScaledSize(QSize(2118, 1734));
        const QImage vector = large.read();
        QCOMPARE(vector.size(), QSize(2118, 1734));
        const QImage enlarged = natural.scaled(vector.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // Drawn again from the vectors, edges stay a pixel wide instead of spreading with the scale...
        const int sharp = SharpSteps(OnWhite(vector)), blurred = SharpSteps(OnWhite(enlarged));
        QVERIFY2(sharp > 3 * blurred, qPrintable(QString("vector %1, enlarged %2").arg(sharp).arg(blurred)));
        // ... and it is the same drawing.
        const QImage back = vector.scaled(natural.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(MeanDifference(OnWhite(back), OnWhite(natural)) < 4);
    }

    // A clip rectangle is that part of the natural picture; a scaled clip, that part of the scaled one.
    void clipRectanglesCutThePicture() {
        const QString path = Subset("apache-poi/document_vector_image.emf");
        const QImage whole = QImageReader(path).read();
        QImageReader clipped(path);
        clipped.setClipRect(QRect(100, 50, 300, 200));
        const QImage part = clipped.read();
        QCOMPARE(part.size(), QSize(300, 200));
        QVERIFY(MeanDifference(part, whole.copy(100, 50, 300, 200)) < 0.5);

        QImageReader both(path);
        both.setScaledSize(QSize(1412, 1156));
        both.setScaledClipRect(QRect(200, 100, 600, 400));
        const QImage scaledPart = both.read();
        QCOMPARE(scaledPart.size(), QSize(600, 400));
        const QImage fromWhole = QImageReader(path).read().copy(100, 50, 300, 200);
        QVERIFY(MeanDifference(OnWhite(scaledPart).scaled(300, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                               OnWhite(fromWhole)) < 4);
    }

    // What the file leaves unpainted stays transparent, so a viewer shows its own background there.
    void untouchedBackgroundIsTransparent() {
        const QImage img = QImageReader(Subset("apache-poi/document_vector_image.emf")).read();
        QVERIFY(!img.isNull());
        QVERIFY(img.hasAlphaChannel());
        int clear = 0, opaque = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) (qAlpha(img.pixel(x, y)) == 0 ? clear : opaque) += 1;
        QVERIFY(clear > img.width() * img.height() / 2);
        QVERIFY(opaque > 1000);
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
    }

    // Refusals: a picture larger than Qt's allocation limit, a damaged file, a file that is no
    // metafile. Never a crash, and the reason is told.
    void refusesWithAReason() {
        QImageReader huge(Subset("apache-poi/document_vector_image.emf"));
        huge.setScaledSize(QSize(40000, 30000));
        QVERIFY(huge.read().isNull());
        QVERIFY2(huge.text("Error").contains("over the allocation limit"), qPrintable(huge.text("Error")));

        QByteArray damaged = Bytes(Subset("apache-poi/document_vector_image.emf"));
        damaged.truncate(60);
        QBuffer buffer(&damaged);
        QImageReader broken(&buffer, "emf");
        QVERIFY(broken.read().isNull());
        QCOMPARE(broken.text("Error"), QString("not an EMF file"));

        QByteArray text("not a metafile at all, only words, and long enough to be looked at");
        QBuffer words(&text);
        QVERIFY(!QImageReader(&words).canRead());
    }

    // Every file of the corpus (the full one when present) and every input that once troubled the
    // fuzzer, small and clipped: read or refused, never a crash.
    void everyCorpusFileReadsOrIsRefused() {
        const QString full = QStringLiteral(SEANCE_CORPUS_DIR "/emf");
        QStringList files;
        QDirIterator it(QDir(full).exists() ? full : QStringLiteral(SEANCE_EMF_SUBSET_DIR "/emf"), {"*.emf", "*.EMF"},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        QDirIterator fuzzed(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../../fuzz/regressions/picture", QDir::Files);
        while (fuzzed.hasNext()) files << fuzzed.next();
        int read = 0, refused = 0;
        for (const QString& path : files) {
            QImageReader reader(path, "emf");
            reader.setScaledSize(QSize(64, 48));
            reader.setScaledClipRect(QRect(8, 8, 40, 30));
            (reader.read().isNull() ? refused : read) += 1;
        }
        qInfo("plugin: read %d, refused %d", read, refused);
        QVERIFY(read > 30);
    }
};

QTEST_MAIN(EmfPluginTest)
#include "test_emf_plugin.moc"
