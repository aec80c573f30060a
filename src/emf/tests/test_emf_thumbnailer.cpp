// The desktop thumbnailer as a file manager runs it: a size, an input, an output.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString Subset(const QString& rel) { return QStringLiteral(SEANCE_EMF_SUBSET_DIR "/emf/") + rel; }

int Run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SEANCE_BIN_DIR "/src/emf/tools/seance-emf-thumbnailer"), args);
    if (!p.waitForFinished(20000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
}

}  // namespace

class EmfThumbnailerTest : public QObject {
    Q_OBJECT

private slots:
    // The longer side is exactly the size asked, landscape or portrait, and the aspect is kept.
    void writesThumbnailOfTheAskedSize_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("side");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("landscape 128") << "apache-poi/document_vector_image.emf" << 128 << QSize(128, 105);
        QTest::newRow("landscape 256") << "apache-poi/document_vector_image.emf" << 256 << QSize(256, 210);
        QTest::newRow("portrait 256") << "apache-poi/spreadsheet_63327.emf" << 256 << QSize(210, 256);
        QTest::newRow("smaller than natural") << "libreoffice/LibreOffice_TestLinearGradient.emf" << 32 << QSize(32, 16);
    }
    void writesThumbnailOfTheAskedSize() {
        QFETCH(QString, file);
        QFETCH(int, side);
        QFETCH(QSize, expected);
        QTemporaryDir dir;
        const QString out = dir.filePath("thumb.png");
        QCOMPARE(Run({"-s", QString::number(side), Subset(file), out}), 0);
        const QImage png(out, "PNG");
        QCOMPARE(png.size(), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"thumb.png"});  // nothing else left behind
    }

    // A bad file ends with a non-zero status and leaves no output, not even a partial one.
    void badFilesLeaveNoOutput() {
        QTemporaryDir dir;
        const QString out = dir.filePath("thumb.png");
        QFile damaged(dir.filePath("damaged.emf"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QFile good(Subset("apache-poi/document_vector_image.emf"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        damaged.write(good.read(100));
        damaged.close();
        QCOMPARE(Run({"-s", "128", damaged.fileName(), out}), 1);
        QCOMPARE(Run({"-s", "128", dir.filePath("missing.emf"), out}), 1);
        QCOMPARE(Run({"-s", "0", Subset("apache-poi/document_vector_image.emf"), out}), 2);
        QCOMPARE(Run({"-s", "12x", Subset("apache-poi/document_vector_image.emf"), out}), 2);
        QCOMPARE(Run({Subset("apache-poi/document_vector_image.emf"), out}), 2);
        QCOMPARE(Run({"-s", "128", Subset("apache-poi/document_vector_image.emf"), dir.filePath("no/such/folder.png")}), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"damaged.emf"});
    }
};

QTEST_MAIN(EmfThumbnailerTest)
#include "test_emf_thumbnailer.moc"
