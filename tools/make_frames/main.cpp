// make_frames OUTPUT_DIR: writes frames/111.bmp..122.bmp and images/*.png into OUTPUT_DIR.

#include "art.h"
#include "bmp24.h"
#include "resources/media.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

namespace {

bool Fail(const QString& what) {
    std::fprintf(stderr, "make_frames: cannot write %s\n", qPrintable(what));
    return false;
}

bool SavePng(const QImage& image, const QString& path) {
    return image.save(path, "PNG") || Fail(path);
}

}  // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no display is ever needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_frames OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("frames")) || !out.mkpath(QStringLiteral("images"))) {
        Fail(out.path());
        return 1;
    }

    bool ok = true;
    for (int id = resources::kFirstCircuitFrame; id <= resources::kLastCircuitFrame; ++id) {
        const QString path = out.filePath(QStringLiteral("frames/%1.bmp").arg(id));
        ok = (WriteBmp24(DrawCircuitFrame(id - resources::kFirstCircuitFrame), path) || Fail(path)) && ok;
    }
    for (int id = resources::kFirstStripFrame; id <= resources::kLastStripFrame; ++id) {
        const QString path = out.filePath(QStringLiteral("frames/%1.bmp").arg(id));
        ok = (WriteBmp24(DrawStripFrame(id - resources::kFirstStripFrame), path) || Fail(path)) && ok;
    }
    // Where a compiled-in picture's resource path puts it: ":/images/x.png" at OUTPUT_DIR/images/x.png.
    const auto image = [&](const char* resource) { return out.filePath(QString::fromLatin1(resource).mid(2)); };
    ok = SavePng(DrawBoltLogo(26, false), image(resources::kLogo)) && ok;
    ok = SavePng(DrawBoltLogo(32, true), image(resources::kIcon32)) && ok;
    ok = SavePng(DrawBoltLogo(256, true), image(resources::kIcon256)) && ok;
    ok = SavePng(DrawHandCursor(), image(resources::kHandCursor)) && ok;
    ok = SavePng(DrawArrowButton(true), image(resources::kArrowLeft)) && ok;
    ok = SavePng(DrawArrowButton(false), image(resources::kArrowRight)) && ok;
    ok = SavePng(DrawKorvaneLogo(), image(resources::kKorvaneLogo)) && ok;
    return ok ? 0 : 1;
}
