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
    const auto image = [&](const char* name) { return out.filePath(QStringLiteral("images/") + name); };
    ok = SavePng(DrawBoltLogo(26, false), image("logo26.png")) && ok;
    ok = SavePng(DrawBoltLogo(32, true), image("icon32.png")) && ok;
    ok = SavePng(DrawBoltLogo(256, true), image("icon256.png")) && ok;
    ok = SavePng(DrawHandCursor(), image("hand.png")) && ok;
    ok = SavePng(DrawArrowButton(true), image("arrow_left.png")) && ok;
    ok = SavePng(DrawArrowButton(false), image("arrow_right.png")) && ok;
    ok = SavePng(DrawKorvaneLogo(), image("korvane.png")) && ok;
    return ok ? 0 : 1;
}
