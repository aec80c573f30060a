// The two PDF libraries of Debian 12 side by side, on slides made here with QPdfWriter as a
// presentation program exports them (text, vector shapes, a gradient, a photograph): Poppler
// (its Splash renderer, and its QPainter renderer) and Qt PDF. For each, at 1920 × 1080: how far
// the page differs from pdftoppm's rendering, the time to open the document and to draw a page,
// and the memory it takes (each library in a process of its own).
// Usage: bench_pdf_libraries [runs]. Prints "name: value unit".

#include "bench_common.h"
#include "support/media.h"

#include <poppler-qt6.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRandomGenerator>
#include <cmath>
#include <functional>

#ifdef SEANCE_HAVE_QT_PDF
#include <QPdfDocument>
#endif

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kDpi = 144;  // 960 × 540 points at 144 dpi

double MsSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// Current resident set, in megabytes.
double RssMb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

// Three slides of 960 × 540 points: a diagram with text, a photograph with its caption, dense text.
void WriteSlides(const QString& path) {
    const auto title = [](QPainter& p, const QString& text) {
        QLinearGradient g(0, 0, 960, 0);
        g.setColorAt(0, QColor(20, 60, 140));
        g.setColorAt(1, QColor(90, 150, 220));
        p.fillRect(QRectF(0, 0, 960, 90), g);
        p.setPen(Qt::white);
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 34, QFont::Bold));
        p.drawText(QRectF(40, 0, 880, 90), Qt::AlignVCenter, text);
    };
    const QSizeF page(960, 540);
    testsupport::WritePdf(path, {{page, [&](QPainter& p) {
        title(p, QStringLiteral("La loi d'Ohm : U = R × I"));
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(QRectF(120, 180, 400, 260));
        p.setBrush(QColor(250, 210, 60));
        p.drawEllipse(QPointF(120, 310), 36, 36);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(280, 160, 80, 40));
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 22));
        p.drawText(QPointF(110, 318), QStringLiteral("V"));
        p.drawText(QPointF(300, 150), QStringLiteral("R"));
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 20));
        p.drawText(QRectF(580, 170, 360, 300), Qt::TextWordWrap,
                   QStringLiteral("• U : la tension, en volts (V)\n• I : l'intensité, en ampères (A)\n"
                                  "• R : la résistance, en ohms (Ω)"));
    }}, {page, [&](QPainter& p) {
        title(p, QStringLiteral("Le multimètre"));
        QImage photo(800, 600, QImage::Format_RGB32);
        auto* rng = QRandomGenerator::global();
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb((x * 255) / 800, (y * 255) / 600, 128 + int(rng->bounded(60))));
        p.drawImage(QRectF(60, 120, 480, 360), photo);
        p.setPen(Qt::black);
        p.setFont(QFont(QStringLiteral("Liberation Serif"), 20, -1, true));
        p.drawText(QRectF(580, 140, 340, 300), Qt::TextWordWrap,
                   QStringLiteral("En voltmètre, il se branche en dérivation ; en ampèremètre, en série."));
    }}, {page, [&](QPainter& p) {
        title(p, QStringLiteral("Résumé"));
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        for (int line = 0; line < 24; ++line) {
            p.drawText(QPointF(40, 120 + line * 17),
                       QStringLiteral("%1. Une tension de %2 V aux bornes d'une résistance de %3 Ω donne %4 A.")
                           .arg(line + 1)
                           .arg(line + 1)
                           .arg(10 * (line + 1))
                           .arg(0.1, 0, 'f', 1));
        }
        p.setPen(QPen(QColor(200, 30, 30), 0.5));
        for (int i = 0; i < 40; ++i) p.drawLine(QPointF(700, 120 + i * 10), QPointF(920, 130 + i * 10));
    }}});
}

QImage Reference(const QString& pdf, int page) {
    const QString out = pdf + QStringLiteral(".ref");
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-f"),
                                                   QString::number(page), QStringLiteral("-l"), QString::number(page),
                                                   QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, out});
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Share of pixels whose channels differ by more than 8 levels, and the mean difference per channel.
std::pair<double, double> Difference(const QImage& a0, const QImage& b0) {
    const QImage a = a0.convertToFormat(QImage::Format_RGB32), b = b0.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size()) return {1, 255};
    qint64 differ = 0;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int dr = std::abs(qRed(pa[x]) - qRed(pb[x])), dg = std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                      db = std::abs(qBlue(pa[x]) - qBlue(pb[x]));
            sum += dr + dg + db;
            if (std::max({dr, dg, db}) > 8) ++differ;
        }
    }
    const double n = static_cast<double>(a.width()) * a.height();
    return {differ / n, sum / (3 * n)};
}

struct Library {
    const char* name;
    std::function<void(const QString&)> open;
    std::function<QImage(int page)> render;  // page from 0
    std::function<void()> close;
};

std::unique_ptr<Poppler::Document> popplerDocument;
#ifdef SEANCE_HAVE_QT_PDF
std::unique_ptr<QPdfDocument> qtDocument;
#endif

std::vector<Library> Libraries() {
    std::vector<Library> libs;
    auto popplerOpen = [](Poppler::Document::RenderBackend backend) {
        return [backend](const QString& path) {
            popplerDocument = Poppler::Document::load(path);
            popplerDocument->setRenderBackend(backend);
            popplerDocument->setRenderHint(Poppler::Document::Antialiasing);
            popplerDocument->setRenderHint(Poppler::Document::TextAntialiasing);
        };
    };
    auto popplerRender = [](int page) { return popplerDocument->page(page)->renderToImage(kDpi, kDpi); };
    libs.push_back({"poppler_splash", popplerOpen(Poppler::Document::SplashBackend), popplerRender,
                    [] { popplerDocument.reset(); }});
    libs.push_back({"poppler_qpainter", popplerOpen(Poppler::Document::QPainterBackend), popplerRender,
                    [] { popplerDocument.reset(); }});
#ifdef SEANCE_HAVE_QT_PDF
    libs.push_back({"qt_pdf",
                    [](const QString& path) {
                        qtDocument = std::make_unique<QPdfDocument>();
                        qtDocument->load(path);
                    },
                    [](int page) {
                        QImage image = qtDocument->render(page, QSize(kWidth, kHeight));
                        // Qt PDF leaves the page transparent where the document paints nothing.
                        QImage onWhite(image.size(), QImage::Format_RGB32);
                        onWhite.fill(Qt::white);
                        QPainter(&onWhite).drawImage(0, 0, image);
                        return onWhite;
                    },
                    [] { qtDocument.reset(); }});
#endif
    return libs;
}

// In a process of its own: the memory one library takes to open the slides and draw each page ten times.
int MeasureMemory(const QString& name, const QString& pdf) {
    for (const Library& lib : Libraries()) {
        if (name != QLatin1String(lib.name)) continue;
        const double before = RssMb();
        lib.open(pdf);
        double peak = 0;
        for (int i = 0; i < 10; ++i)
            for (int page = 0; page < 3; ++page) {
                const QImage image = lib.render(page);
                peak = std::max(peak, RssMb() - before - image.sizeInBytes() / (1024.0 * 1024.0));
            }
        std::printf("pdf_%s_memory: %.1f MB\n", lib.name, peak);
        lib.close();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("diapositives.pdf"));
    if (argc > 3 && QByteArray(argv[1]) == "--memory") return MeasureMemory(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    const int runs = bench::Runs(argc, argv, 5);
    WriteSlides(pdf);
    std::vector<QImage> references;
    for (int page = 1; page <= 3; ++page) references.push_back(Reference(pdf, page));

    for (const Library& lib : Libraries()) {
        std::vector<double> opens, draws, differs, means;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer t;
            t.start();
            lib.open(pdf);
            opens.push_back(MsSince(t));
            for (int page = 0; page < 3; ++page) {
                t.start();
                const QImage image = lib.render(page);
                draws.push_back(MsSince(t));
                if (run == 0) {
                    const auto [share, mean] = Difference(image, references[page]);
                    differs.push_back(share);
                    means.push_back(mean);
                    if (!qEnvironmentVariableIsEmpty("SEANCE_PDF_BENCH_IMAGES"))
                        image.save(QStringLiteral("%1/%2-%3.png").arg(qEnvironmentVariable("SEANCE_PDF_BENCH_IMAGES"),
                                                                      QLatin1String(lib.name)).arg(page + 1));
                }
            }
            lib.close();
        }
        std::printf("pdf_%s_open: %.2f ms\n", lib.name, bench::Median(opens));
        std::printf("pdf_%s_page_1920x1080: %.2f ms\n", lib.name, bench::Median(draws));
        std::printf("pdf_%s_differs_from_pdftoppm: %.2f %% (worst page; mean difference %.2f levels)\n", lib.name,
                    100 * bench::Max(differs), bench::Max(means));
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), QLatin1String(lib.name), pdf});
        child.waitForFinished(-1);
    }
#ifndef SEANCE_HAVE_QT_PDF
    std::fprintf(stderr, "Qt PDF not found (qt6-pdf-dev): only Poppler measured\n");
#endif
    return 0;
}
