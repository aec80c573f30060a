// gen_demo OUTPUT [--preview FOLDER]
//
// Writes the demo course into OUTPUT: Seance1/Diapo0.emf to Diapo18.emf, the photographs
// Seance1/Img<k>.jpg, and Bravo.wav and SonMCM.wav beside Seance1/; Seance2/ as a teacher makes it
// (slides as one PDF, photographs, animation frames, questions and script). The same bytes on every run.
// With --preview, also writes one PNG per page showing the slide centred on a 1920 x 1080 screen
// with its photographs where the page puts them (drawn by this program, not by the lesson).

#include "canvas.h"
#include "emf_canvas.h"
#include "layout.h"
#include "photos.h"
#include "seance2.h"
#include "slides.h"
#include "sounds.h"

#include <QDir>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QPainter>
#include <QTextStream>

#include <cstdio>
#include <stdexcept>

namespace {

using namespace demo;

[[noreturn]] void Fail(const QString& message) { throw std::runtime_error(message.toStdString()); }

QString Describe(const QRectF& r) {
    return QStringLiteral("%1,%2 - %3,%4").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom());
}

// Nothing the slide draws may lie under a photograph, a frame or a strip, and every photograph
// must stay on the slide without covering another.
void CheckPage(int page) {
    BoundsCanvas bounds;
    DrawSlide(page, bounds);
    const QList<Landing> landings = Landings(page);
    const QRectF slide(0, 0, kSlideWidth, kSlideHeight);
    for (const Landing& l : landings) {
        if (l.photograph && !slide.contains(l.rect))
            Fail(QStringLiteral("page %1: %2 leaves the slide (%3)").arg(page).arg(l.what, Describe(l.rect)));
        for (const Landing& other : landings)
            if (&other != &l && other.photograph && l.photograph && other.rect.intersects(l.rect))
                Fail(QStringLiteral("page %1: %2 covers %3").arg(page).arg(l.what, other.what));
        for (const BoundsCanvas::Item& item : bounds.items)
            if (item.rect.intersects(l.rect))
                Fail(QStringLiteral("page %1: %2 at %3 lies under %4 (%5)")
                         .arg(page)
                         .arg(item.text ? QStringLiteral("text") : QStringLiteral("a drawing"), Describe(item.rect),
                              l.what, Describe(l.rect)));
    }
    for (const BoundsCanvas::Item& item : bounds.items)
        if (!slide.contains(item.rect))
            Fail(QStringLiteral("page %1: %2 at %3 is cut off by the slide's edge")
                     .arg(page)
                     .arg(item.text ? QStringLiteral("text") : QStringLiteral("a drawing"), Describe(item.rect)));
}

void WritePreview(int page, const QString& path) {
    QImage screen(1920, 1080, QImage::Format_RGB32);
    screen.fill(QColor(128, 128, 255));
    QPainter p(&screen);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(448, 156);
    PainterCanvas canvas(p);
    DrawSlide(page, canvas);
    for (const Landing& l : Landings(page)) {
        if (l.what.endsWith(QStringLiteral(".jpg"))) {
            p.drawImage(l.rect.topLeft(), DrawPhoto(l.what.mid(3, l.what.size() - 7).toInt()));
        } else {
            p.setPen(QPen(Qt::red, 2, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(l.rect);
        }
    }
    p.end();
    if (!screen.save(path)) Fail(QStringLiteral("cannot write %1").arg(path));
}

void Generate(const QString& out, const QString& preview) {
    const QDir root(out);
    if (!root.mkpath(QStringLiteral("Seance1"))) Fail(QStringLiteral("cannot create %1/Seance1").arg(out));
    const QString media = root.filePath(QStringLiteral("Seance1"));

    for (int page = 0; page < kSlideCount; ++page) {
        CheckPage(page);
        EmfCanvas emf(QDir(media).filePath(QStringLiteral("Diapo%1.emf").arg(page)), QStringLiteral("Diapo %1").arg(page));
        DrawSlide(page, emf);
        emf.Finish();
    }
    for (const PhotoSpec& photo : Photos())
        WriteJpeg(DrawPhoto(photo.number), QDir(media).filePath(QStringLiteral("Img%1.jpg").arg(photo.number)));
    WriteBravo(root.filePath(QStringLiteral("Bravo.wav")));
    WriteSonMcm(root.filePath(QStringLiteral("SonMCM.wav")));
    WriteSeance2(out);

    if (!preview.isEmpty()) {
        QDir().mkpath(preview);
        for (int page = 0; page < kSlideCount; ++page)
            WritePreview(page, QDir(preview).filePath(QStringLiteral("page%1.png").arg(page, 2, 10, QLatin1Char('0'))));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Fonts are measured and photographs painted without any display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The PDF writer's date stamps carry the zone's offset: the same zone on every machine.
    qputenv("TZ", "UTC");
    // The PDF writer lists its fonts in hash order: a fixed seed gives the same bytes on every run.
    QHashSeed::setDeterministicGlobalSeed();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString out, preview;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--preview") && i + 1 < args.size())
            preview = args[++i];
        else if (out.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            out = args[i];
        else
            out.clear(), i = args.size();
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: gen_demo OUTPUT [--preview FOLDER]\n");
        return 2;
    }
    try {
        Generate(out, preview);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
