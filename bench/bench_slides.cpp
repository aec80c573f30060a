// The slide step as a page does it (load the slide, show it in Picture1) until the slide is on the
// window: first load of each slide, then the same step repeated within its tick. Then, in a child
// run with QT_SCALE_FACTOR=2, the same first load at device pixel ratio 2 and whether the slide is
// drawn from its vectors at twice the resolution rather than enlarged from a picture. Then séance 2's
// slides, the pages of one PDF: the same step, a page change on a 1920 × 1080 screen, and memory.
// Usage: bench_slides [runs]. Prints "name: value unit".

#include "bench_common.h"
#include "course_window/cour1p.h"
#include "platform/picture.h"
#include "platform/real_platform.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

namespace {

double MsSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// The slide step as the page loop does it.
void SlideStep(Cour1p& w, const QString& name) {
    w.Picture1.SetPicture(platform::LoadPicture(w.Repertoire + name), name);
}

// Share of pixels whose channels differ by more than a few levels.
double DifferingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 1;
    qint64 differ = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                    std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
            if (d > 8) ++differ;
        }
    }
    return static_cast<double>(differ) / (static_cast<qint64>(a.width()) * a.height());
}

QImage Render(const platform::Picture& picture, QSizeF logical, qreal dpr, QColor back) {
    QImage img(std::ceil(logical.width() * dpr), std::ceil(logical.height() * dpr), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(back);
    QPainter p(&img);
    picture.Draw(p, QRectF(QPointF(0, 0), logical));
    return img;
}

// Current resident set, in megabytes.
double RssMb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

// The same slide step with séance 2's slides, the pages of one PDF: on the window, and drawn whole
// centred on a 1920 × 1080 screen as the picture box draws it there; then the memory the pages take.
void PdfSlides(Cour1p& w, int runs) {
    QString pdf = QStringLiteral(SEANCE_DEMO_DIR "/Seance2/Seance2.pdf");
    if (!QFileInfo::exists(pdf)) {
        std::fprintf(stderr, "séance 2 of the demo not found: PDF slides not measured\n");
        return;
    }
    int pages = 0;
    while (true) {
        try {
            platform::LoadPicture(pdf, pages + 1);
            ++pages;
        } catch (const platform::FileError&) {
            break;
        }
    }
    // A copy of the file under another name for each run keeps the picture cache out.
    std::vector<double> first, screen;
    const double before = RssMb();
    QTemporaryDir copies;
    for (int run = 0; run < runs; ++run) {
        const QString copy = copies.filePath(QStringLiteral("Seance2-%1.pdf").arg(run));
        QFile::copy(pdf, copy);
        platform::RunHandler([&] {
            for (int page = 1; page <= pages; ++page) {
                QElapsedTimer t;
                t.start();
                const QString name = QStringLiteral("Seance2-%1.pdf#%2").arg(run).arg(page);
                w.Picture1.SetPicture(platform::LoadPicture(copy, page), name);
                w.Picture1.Widget()->repaint();
                first.push_back(MsSince(t));
            }
        });
        const QString other = copies.filePath(QStringLiteral("Ecran-%1.pdf").arg(run));
        QFile::copy(pdf, other);
        QImage display(1920, 1080, QImage::Format_ARGB32_Premultiplied);
        for (int page = 1; page <= pages; ++page) {
            QElapsedTimer t;
            t.start();
            const platform::Picture slide = platform::LoadPicture(other, page);
            const QSizeF size(slide.SizeTwips().width() / 15, slide.SizeTwips().height() / 15);
            QPainter p(&display);
            p.fillRect(display.rect(), QColor(128, 128, 255));
            slide.Draw(p, QRectF(QPointF((1920 - size.width()) / 2, (1080 - size.height()) / 2), size));
            screen.push_back(MsSince(t));
        }
    }
    std::printf("slide_step_pdf_first_load: %.2f ms\n", bench::Median(first));
    std::printf("slide_pdf_page_change_1920x1080: %.2f ms\n", bench::Median(screen));
    std::fprintf(stderr, "slide_pdf: %d pages, worst first load %.2f ms, worst page change on 1920 x 1080 %.2f ms\n",
                 pages, bench::Max(first), bench::Max(screen));
    std::printf("slide_pdf_memory: %.1f MB (%d loads of %d pages; copies of one file share its document)\n",
                RssMb() - before, 2 * runs, pages);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool dpr2 = qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2");
    QApplication app(argc, argv);
    const int runs = bench::Runs(argc, argv, 5);
    platform::RealPlatform real;
    platform::SetPlatform(&real);
    const auto folder = bench::EnterCourseFolder();

    Cour1p w;
    bench::StartShown(w);  // the title slide: fonts and caches are warm
    bench::RunFor(300);

    const QString prefix = dpr2 ? QStringLiteral("slide_dpr2_") : QStringLiteral("slide_step_");
    std::vector<double> first, again;
    QSize slidePx;
    platform::RunHandler([&] {
        // Each slide's first load happens once per process: the 18 other slides give the sample.
        for (int n = 1; n <= 18; ++n) {
            const QString name = QStringLiteral("Diapo%1.emf").arg(n);
            QElapsedTimer t;
            t.start();
            SlideStep(w, name);
            w.Picture1.Widget()->repaint();  // the new slide is drawn on the window
            first.push_back(MsSince(t));
            // Within its tick the page repeats the step on every pass: same file, unchanged. The
            // pass's yield then paints whatever the step made dirty (nothing, if it costs nothing).
            for (int i = 0; i < 20 * runs; ++i) {
                t.start();
                SlideStep(w, name);
                QCoreApplication::sendPostedEvents();
                again.push_back(MsSince(t));
            }
        }
        slidePx = w.Picture1.Widget()->size();
    });
    const qreal dpr = w.Picture1.Widget()->devicePixelRatioF();
    std::printf("%sfirst_load: %.2f ms\n", qPrintable(prefix), bench::Median(first));
    if (!dpr2) PdfSlides(w, runs);
    if (!dpr2) std::printf("%srepeated: %.3f ms\n", qPrintable(prefix), bench::Median(again));
    std::fprintf(stderr, "%sslide: %dx%d logical px at dpr %.1f, worst first load %.2f ms\n", qPrintable(prefix),
                 slidePx.width(), slidePx.height(), dpr, bench::Max(first));

    if (dpr2) {
        // What the window shows, against the slide drawn from its vectors at twice the resolution and
        // against the slide drawn at the normal resolution then enlarged.
        // Only the part of the slide inside the window is drawn (the offscreen screen, halved by the
        // scale factor, is smaller than the slide): that part is compared.
        QWidget* box = w.Picture1.Widget();
        const QRect visible = box->rect().intersected(QRect(box->mapFrom(box->window(), QPoint(0, 0)), box->window()->size()));
        const QRect device(visible.topLeft() * 2, visible.size() * 2);
        const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied).copy(device);
        const platform::Picture& picture = w.Picture1.GetPicture();
        const QSizeF logical(slidePx);
        const QColor back(227, 228, 234);
        const QImage vectors = Render(picture, logical, 2, back).copy(device);
        const QImage enlarged = Render(picture, logical, 1, back)
                                    .scaled(Render(picture, logical, 2, back).size(), Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                    .copy(device);
        const double vsVectors = DifferingShare(shown, vectors);
        const double vsEnlarged = DifferingShare(shown, enlarged);
        std::printf("slide_dpr2_device_pixels: %dx%d px (the part inside the window)\n", shown.width(), shown.height());
        std::printf("slide_dpr2_differs_from_vector_drawing: %.2f %%\n", 100 * vsVectors);
        std::printf("slide_dpr2_differs_from_enlarged_drawing: %.2f %%\n", 100 * vsEnlarged);
        std::printf("slide_dpr2_drawn_from_vectors: %s\n",
                    shown.width() >= 2 * visible.width() && vsVectors < 0.01 && vsEnlarged > 5 * vsVectors ? "yes" : "no");
    } else {
        std::fflush(stdout);
        // The same at device pixel ratio 2, in a process of its own: the ratio is fixed at start-up.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::number(runs)});
        child.waitForFinished(-1);
    }
    std::fflush(stdout);
    platform::P().EndProgram(0);
}
