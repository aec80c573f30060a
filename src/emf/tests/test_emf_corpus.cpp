// Real-world metafiles against reference renderings, and hostile files against the parser.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <sys/resource.h>
#include <vector>

#include "emf/emf.h"

namespace {

// The shared corpus when it is beside the project; otherwise the small subset that travels with
// the sources (tests/corpus), measured against floors of its own. SEANCE_EMF_CORPUS names
// another folder of the same layout.
QString CorpusDir() {
    if (qEnvironmentVariableIsSet("SEANCE_EMF_CORPUS")) return qEnvironmentVariable("SEANCE_EMF_CORPUS");
    if (QDir(QStringLiteral(SEANCE_CORPUS_DIR "/emf-ref")).exists()) return QStringLiteral(SEANCE_CORPUS_DIR);
    return QStringLiteral(SEANCE_EMF_SUBSET_DIR);
}
bool FullCorpus() { return QDir(CorpusDir()) != QDir(QStringLiteral(SEANCE_EMF_SUBSET_DIR)); }

// The corpus measure: flattened on white, 160 x 120, Gaussian blur sigma 0.7, grey, 8 bits.
std::vector<double> Signature(const QImage& in) {
    QImage flat(in.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, in);
    }
    const int w = 160, h = 120;
    const QImage small = flat.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<double> r(w * h), g(w * h), b(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = small.pixel(x, y);
            r[y * w + x] = qRed(c), g[y * w + x] = qGreen(c), b[y * w + x] = qBlue(c);
        }
    // Separable Gaussian, edges clamped.
    const double sigma = 0.7;
    const int radius = 2;
    double k[2 * radius + 1], sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += k[i + radius] = std::exp(-i * i / (2 * sigma * sigma));
    for (double& v : k) v /= sum;
    auto blur = [&](std::vector<double>& ch) {
        std::vector<double> tmp(ch.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double s = 0;
                for (int i = -radius; i <= radius; ++i) s += k[i + radius] * ch[y * w + std::clamp(x + i, 0, w - 1)];
                tmp[y * w + x] = s;
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double s = 0;
                for (int i = -radius; i <= radius; ++i) s += k[i + radius] * tmp[std::clamp(y + i, 0, h - 1) * w + x];
                ch[y * w + x] = s;
            }
    };
    blur(r), blur(g), blur(b);
    std::vector<double> grey(w * h);
    for (int i = 0; i < w * h; ++i) grey[i] = std::round(0.2126 * r[i] + 0.7152 * g[i] + 0.0722 * b[i]);
    return grey;
}

double Variance(const std::vector<double>& a) {
    double m = 0, v = 0;
    for (double x : a) m += x;
    m /= a.size();
    for (double x : a) v += (x - m) * (x - m);
    return v;
}

double Pearson(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = a.size();
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) ma += a[i], mb += b[i];
    ma /= n, mb /= n;
    double va = 0, vb = 0, cov = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        va += (a[i] - ma) * (a[i] - ma);
        vb += (b[i] - mb) * (b[i] - mb);
        cov += (a[i] - ma) * (b[i] - mb);
    }
    return cov / std::sqrt(va * vb);
}

emf::Picture Load(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return emf::Picture::FromData(f.readAll());
}

// The reference renderer's size for a picture: 96 dpi, larger side capped at 1000 pixels.
QSize ReferenceLikeSize(const emf::Picture& picture) {
    const QSize natural = picture.PixelSize(96);
    return natural.width() > 1000 || natural.height() > 1000 ? picture.FittedSize(QSize(1000, 1000)) : natural;
}

// Files whose reference picture we show to be wrong: each is in docs/emf-references with both
// pictures and what the file asks for. They are drawn, measured and counted like every other
// file; the 90 % goal is also checked on the files whose reference can be trusted.
const QSet<QString> kWrongReferences = {
    "apache-poi/spreadsheet_SimpleEMF_windows.emf",
    "libemf2svg-tests/test-038.emf", "libemf2svg-tests/test-039.emf", "libemf2svg-tests/test-040.emf",
    "libemf2svg-tests/test-150.emf", "libemf2svg-tests/test-153.emf", "libemf2svg-tests/test-154.emf",
    "libemf2svg-tests/test-164.emf", "libemf2svg-tests/test-173.emf", "libemf2svg-tests/test-177.emf",
    "libemf2svg-tests/test-178.emf", "libemf2svg-tests/test-182.emf",
    "libreoffice/LibreOffice_TestDrawLine.emf", "libreoffice/LibreOffice_TestDrawString.emf",
    "libreoffice/LibreOffice_TestDrawStringTransparent.emf", "libreoffice/LibreOffice_TestLinearGradient.emf",
    "libreoffice/LibreOffice_TileImage.emf", "libreoffice/LibreOffice_bug3d.emf", "libreoffice/LibreOffice_emf.emf",
    "libreoffice/LibreOffice_image15.emf", "libreoffice/LibreOffice_image21.emf", "libreoffice/LibreOffice_image3.emf",
    "libreoffice/LibreOffice_landscape.emf", "libreoffice/LibreOffice_line_styles.emf",
    "libreoffice/LibreOffice_rotimage2.emf", "libreoffice/LibreOffice_test_libuemf_ref30.emf",
    "libuemf/test_libuemf_p_ref.emf", "libuemf/test_libuemf_ref.emf", "libuemf/test_libuemf_ref30.emf",
    "misc/chromium_test4.emf", "misc/libyal_libyal_Memo.emf",
};

QStringList EmfFiles(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, {"*.emf", "*.EMF"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

}  // namespace

class EmfCorpusTest : public QObject {
    Q_OBJECT

private slots:
    void fidelity() {
        const QString emfDir = CorpusDir() + "/emf", refDir = CorpusDir() + "/emf-ref";
        QVERIFY2(QDir(emfDir).exists() && QDir(refDir).exists(), qPrintable("no metafiles in " + CorpusDir()));
        // SEANCE_EMF_DUMP=folder keeps each rendering beside its name, for contact sheets;
        // SEANCE_EMF_ALL=1 prints every file's r, to compare two builds file by file.
        const QString dump = qEnvironmentVariable("SEANCE_EMF_DUMP");
        const bool printAll = qEnvironmentVariableIsSet("SEANCE_EMF_ALL");
        std::vector<double> scores;
        int blanks = 0, trusted = 0, trustedGood = 0;
        for (const QString& path : EmfFiles(emfDir)) {
            const QString rel = QDir(emfDir).relativeFilePath(path);
            const QString refPath = refDir + "/" + rel.left(rel.lastIndexOf('.')) + ".png";
            QImage ref(refPath);
            if (ref.isNull()) continue;
            const std::vector<double> refSig = Signature(ref);
            if (Variance(refSig) < 1e-9) continue;  // nothing to compare with
            double r = 0;
            QString note;
            const emf::Picture picture = Load(path);
            if (!picture.IsNull()) {
                const QImage img = emf::RenderToImage(picture, ref.size(), Qt::white);
                if (!dump.isEmpty()) img.save(dump + "/" + QString(rel).replace('/', "__") + ".png");
                const std::vector<double> sig = Signature(img);
                if (Variance(sig) < 1e-9) note = "blank", ++blanks;
                else r = Pearson(sig, refSig);
            } else {
                note = picture.Error().ToString();
                ++blanks;
            }
            scores.push_back(r);
            if (!kWrongReferences.contains(rel)) ++trusted, trustedGood += r >= 0.9;
            if (r < 0.9 || printAll) qInfo("%-55s r %.3f %s", qPrintable(rel), r, qPrintable(note));
        }
        QVERIFY(!scores.empty());
        std::vector<double> sorted = scores;
        std::sort(sorted.begin(), sorted.end());
        double mean = 0;
        for (double r : scores) mean += r;
        mean /= scores.size();
        const double good = double(std::count_if(scores.begin(), scores.end(), [](double r) { return r >= 0.9; })) / scores.size();
        const double trustedShare = trusted ? double(trustedGood) / trusted : 0;
        qInfo("emf corpus: files %zu  median r %.3f  mean r %.3f  r>=0.9: %.0f%%  blank: %d", scores.size(),
              sorted[sorted.size() / 2], mean, 100 * good, blanks);
        qInfo("emf corpus, files whose reference is not shown wrong: %d  r>=0.9: %d (%.1f%%)", trusted, trustedGood,
              100 * trustedShare);
        // Over all files, floors just under what the renderer reaches today (224 of 256, 88 %; mean
        // 0.951; no blank); over the files whose reference can be trusted, the 90 % goal itself.
        const bool full = FullCorpus();
        QVERIFY2(good >= (full ? kMinShareGood : kSubsetMinShareGood), "too few files close to their reference");
        QVERIFY2(trustedShare >= (full ? kGoalShareGood : kSubsetGoalShareGood),
                 "too few files close to a trustworthy reference");
        QVERIFY2(mean >= (full ? kMinMean : kSubsetMinMean), "mean correlation below its floor");
        QVERIFY2(blanks <= kMaxBlanks, "blank renderings where the reference is not");
    }

    // Every file, the damaged ones included, draws or is refused with a reason; never a crash.
    void robustness() {
        const QString emfDir = CorpusDir() + "/emf";
        QVERIFY(QDir(emfDir).exists());
        int drawn = 0, refused = 0, slow = 0;
        for (const QString& path : EmfFiles(emfDir)) {
            QVERIFY(QFileInfo(path).isReadable());
            QElapsedTimer timer;
            timer.start();
            const emf::Picture picture = Load(path);
            if (!picture.IsNull()) {
                emf::RenderToImage(picture, ReferenceLikeSize(picture), Qt::white);
                ++drawn;
            } else {
                QVERIFY(picture.Error().IsError() && !picture.Error().ToString().isEmpty());
                ++refused;
            }
            if (timer.elapsed() > 2000) {
                ++slow;
                qWarning("%s took %lld ms", qPrintable(path), timer.elapsed());
            }
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        qInfo("emf robustness: drawn %d  refused %d  over 2 s %d  peak memory %ld MB", drawn, refused, slow,
              usage.ru_maxrss / 1024);
        QCOMPARE(slow, 0);
    }

private:
    static constexpr double kMinShareGood = 0.87;
    static constexpr double kGoalShareGood = 0.90;
    static constexpr double kMinMean = 0.94;
    static constexpr int kMaxBlanks = 0;
    // The subset alone holds many of the files whose reference is wrong (21 of 35 files, 60 %;
    // mean 0.825): floors just under that, and the same 90 % goal on the trusted ones (21 of 22).
    static constexpr double kSubsetMinShareGood = 0.57;
    static constexpr double kSubsetGoalShareGood = 0.90;
    static constexpr double kSubsetMinMean = 0.80;
};

QTEST_MAIN(EmfCorpusTest)
#include "test_emf_corpus.moc"
