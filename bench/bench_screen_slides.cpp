// A page change with slides at the screen's size, on a 1920 × 1080 screen: the next page of a PDF
// loaded, fitted beside the corner controls and drawn on the window, as the slide step of a séance
// that says diapositives = "écran" does it: drawn ahead while the page before is read, as the
// lesson does, and without. Slides of 16:9 and 4:3 presentations, and séance 2's of the demo when
// it is there; each page a first load (a copy of the file per run keeps the picture cache out).
// Usage: bench_screen_slides [runs]. Prints "name: value unit".

#include "bench_common.h"
#include "content/seance.h"
#include "course_window/cour1p.h"
#include "platform/picture.h"
#include "platform/real_platform.h"

#include <QApplication>
#include <QPainter>

namespace {

double MsSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// A slide as a presentation program exports one: a title, a few lines, a diagram of shapes.
void BusySlide(QPainter& p, QSizeF points, int n) {
    p.fillRect(QRectF(QPointF(0, 0), points), QColor(250, 249, 243));
    p.fillRect(QRectF(0, 0, points.width(), 70), QColor(22, 52, 128));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 28, QFont::Bold));
    p.drawText(QPointF(30, 48), QStringLiteral("Le circuit en série, diapositive %1").arg(n));
    p.setPen(Qt::black);
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 16));
    for (int i = 0; i < 8; ++i)
        p.drawText(QPointF(40, 110 + 30 * i), QStringLiteral("• Le courant a la même intensité en tout point du circuit (%1).").arg(i));
    p.setPen(QPen(Qt::black, 1.5));
    for (int i = 0; i < 30; ++i) {
        p.setBrush(QColor::fromHsv((i * 37) % 360, 160, 220));
        p.drawEllipse(QPointF(points.width() * 0.6 + (i % 6) * 40, points.height() * 0.55 + (i / 6) * 35), 15, 15);
    }
}

// The slide step of a séance at the screen's size.
void Show(Cour1p& w, const platform::Picture& slide, const QString& name) {
    const QRectF zone = w.ZoneDiapo(slide.SizeTwips());
    w.Picture1.SetZoom(zone.width() / slide.SizeTwips().width());
    w.Picture1.SetPicture(slide, name);
    w.Picture1.Move(zone.left(), zone.top());
    w.Picture1.Widget()->repaint();
}

// Median time of a page change to each page of pdf, fitted to the screen and drawn on the window.
// ahead: each page drawn ahead while the one before it is read (300 ms), as the lesson does.
double PageChanges(Cour1p& w, const QString& pdf, int pages, int runs, bool ahead, QSize* drawn) {
    std::vector<double> times;
    QTemporaryDir copies;
    for (int run = 0; run < runs; ++run) {
        const QString copy = copies.filePath(QStringLiteral("Cours-%1.pdf").arg(run));
        QFile::copy(pdf, copy);
        for (int page = 1; page <= pages; ++page) {
            QElapsedTimer t;
            platform::RunHandler([&] {
                t.start();
                Show(w, platform::LoadPicture(copy, page), QStringLiteral("Cours-%1.pdf#%2").arg(run).arg(page));
                times.push_back(MsSince(t));
                if (ahead && page < pages) {
                    const platform::Picture next = platform::LoadPicture(copy, page + 1);
                    w.Picture1.DrawAhead(next, w.ZoneDiapo(next.SizeTwips()).width() / next.SizeTwips().width());
                }
            });
            if (ahead) bench::RunFor(300);
        }
    }
    *drawn = w.Picture1.Widget()->size();
    std::fprintf(stderr, "  worst %.2f ms over %zu page changes\n", bench::Max(times), times.size());
    return bench::Median(times);
}

}  // namespace

int main(int argc, char** argv) {
    // The offscreen screen at 1920 × 1080, unless another platform is asked for.
    QTemporaryDir config;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen")) {
        QFile f(config.filePath(QStringLiteral("screen.json")));
        f.open(QIODevice::WriteOnly);
        f.write(R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        f.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + f.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    const int runs = bench::Runs(argc, argv, 5);
    platform::RealPlatform real;
    platform::SetPlatform(&real);
    const auto folder = bench::EnterCourseFolder();

    Cour1p w;
    bench::StartShown(w);
    bench::RunFor(300);
    const QSize screen = platform::P().ScreenSizePixels();
    std::fprintf(stderr, "screen: %dx%d\n", screen.width(), screen.height());

    QTemporaryDir dir;
    struct Deck {
        const char* name;
        QSizeF points;
    };
    for (const Deck& deck : {Deck{"16x9", QSizeF(793.7, 446.5)}, Deck{"4x3", QSizeF(720, 540)}}) {
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(QLatin1String(deck.name)));
        std::vector<testsupport::PdfSlide> slides;
        for (int n = 1; n <= 8; ++n)
            slides.push_back({deck.points, [points = deck.points, n](QPainter& p) { BusySlide(p, points, n); }});
        testsupport::WritePdf(pdf, slides);
        QSize drawn;
        const double cold = PageChanges(w, pdf, 8, runs, false, &drawn);
        const double ahead = PageChanges(w, pdf, 8, runs, true, &drawn);
        std::printf("screen_slide_page_change_1920x1080_%s: %.2f ms\n", deck.name, ahead);
        std::printf("screen_slide_page_change_1920x1080_%s_not_drawn_ahead: %.2f ms\n", deck.name, cold);
        std::fprintf(stderr, "  drawn at %dx%d\n", drawn.width(), drawn.height());
    }
    const QString demo = QStringLiteral(SEANCE_DEMO_DIR "/Seance2/Seance2.pdf");
    if (QFileInfo::exists(demo)) {
        int pages = 0;
        try {
            while (pages < 100) platform::LoadPicture(demo, ++pages);
        } catch (const platform::FileError&) {
            --pages;
        }
        QSize drawn;
        const double ms = PageChanges(w, demo, pages, runs, true, &drawn);
        std::printf("screen_slide_page_change_1920x1080_demo_seance2: %.2f ms\n", ms);
        std::fprintf(stderr, "  %d pages drawn at %dx%d\n", pages, drawn.width(), drawn.height());
    }
    std::fflush(stdout);
    platform::P().EndProgram(0);
}
