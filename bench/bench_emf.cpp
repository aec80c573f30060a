// Render time of the metafile corpus at 96 dpi (larger side capped at 1000 pixels, as the
// reference renderings are), into a new image on white as a program gets it: prints the median
// and worst per-file figures.
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
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
        const emf::Picture picture = emf::Picture::FromData(f.readAll());
        if (picture.IsNull()) continue;
        QSize size = picture.PixelSize(96);
        if (size.width() > 1000 || size.height() > 1000) size = picture.FittedSize(QSize(1000, 1000));
        // Best of three: the first pass also warms font and glyph caches.
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer t;
            t.start();
            const QImage img = emf::RenderToImage(picture, size, Qt::white);
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
