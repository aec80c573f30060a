// Renders a metafile to PNG with the lesson's own renderer, at its frame size and 96 dpi times
// an optional scale, on white. Course authors preview slides with it.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>

#include "emf/emf.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: emf2png IN.emf OUT.png [SCALE]\n");
        return 2;
    }
    // Fonts need a GUI application; no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    double scale = 1;
    if (argc == 4) {
        bool ok = false;
        scale = QString::fromLocal8Bit(argv[3]).toDouble(&ok);
        if (!ok || !(scale > 0) || scale > 100) {
            std::fprintf(stderr, "emf2png: invalid scale: %s\n", argv[3]);
            return 2;
        }
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "emf2png: cannot read %s: %s\n", argv[1], qPrintable(in.errorString()));
        return 1;
    }
    const emf::Picture picture = emf::Picture::FromData(in.readAll());
    if (picture.IsNull()) {
        std::fprintf(stderr, "emf2png: %s: %s\n", argv[1], qPrintable(picture.Error().ToString()));
        return 1;
    }
    const QSize size = picture.PixelSize(96 * scale);
    const int w = size.width(), h = size.height();
    if (double(w) * h > 400e6) {
        // Say which scale would fit, so the author can preview the slide at once.
        const double fits = scale * 2000.0 / std::max(w, h);  // a preview about 2000 pixels across
        double round = std::pow(10, std::floor(std::log10(fits)));  // the largest of 5, 2, 1 × 10^n under it
        if (5 * round <= fits) round *= 5;
        else if (2 * round <= fits) round *= 2;
        std::fprintf(stderr, "emf2png: %s: picture too large at this scale (%d x %d); try a SCALE of %g\n", argv[1], w,
                     h, round);
        return 1;
    }
    const QImage img = emf::RenderToImage(picture, size, Qt::white);
    if (img.isNull()) {
        std::fprintf(stderr, "emf2png: out of memory for %d x %d\n", w, h);
        return 1;
    }
    if (!img.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "emf2png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
