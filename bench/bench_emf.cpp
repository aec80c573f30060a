// Render time of the metafile corpus at 96 dpi (larger side capped at 1000 pixels, as the
// reference renderings are): prints the median and worst per-file figures.
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "emf/emf.h"

#ifndef SEANCE_CORPUS_DIR
#define SEANCE_CORPUS_DIR "../shared/corpus"
#endif

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SEANCE_CORPUS_DIR "/emf");
    QStringList files;
    QDirIterator it(dir, {"*.emf", "*.EMF"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    std::vector<double> times;
    QString worstFile;
    double worst = -1;
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const emf::Picture doc = emf::Picture::FromData(f.readAll());
        if (doc.IsNull()) continue;
        double w = doc.FrameSize().width() / 2540.0 * 96, h = doc.FrameSize().height() / 2540.0 * 96;
        const double cap = 1000 / std::max({w, h, 1.0});
        if (cap < 1) w *= cap, h *= cap;
        QImage img(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))), QImage::Format_ARGB32_Premultiplied);
        // Best of three: the first pass also warms font and glyph caches.
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            img.fill(Qt::white);
            QElapsedTimer t;
            t.start();
            {
                QPainter p(&img);
                doc.Draw(p, QRectF(0, 0, img.width(), img.height()));
            }
            best = std::min(best, t.nsecsElapsed() / 1e6);
        }
        times.push_back(best);
        if (best > worst) worst = best, worstFile = path;
    }
    if (times.empty()) {
        std::fprintf(stderr, "bench_emf: no metafiles under %s\n", qPrintable(dir));
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("emf_render_median: %.2f ms\n", times[times.size() / 2]);
    std::printf("emf_render_worst: %.2f ms\n", times.back());
    std::fprintf(stderr, "slowest: %s\n", qPrintable(worstFile));
    return 0;
}
