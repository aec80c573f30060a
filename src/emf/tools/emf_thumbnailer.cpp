// The desktop's thumbnailer for metafiles: seance-emf-thumbnailer -s SIZE INPUT OUTPUT writes a
// PNG whose longer side is SIZE pixels, aspect kept, transparent where the file draws nothing.
// File managers run it on whatever lands in a folder, so a bad file ends with a non-zero status
// and no output, and every run is bounded in time and memory.
#include <QByteArray>
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "emf/emf.h"

namespace {

constexpr int kMaxSide = 4096;
// Whatever lands in a folder is looked at: a file beyond 64 MB, or with a frame beyond 100 m a
// side, is no picture anyone drew, and is refused before it is read whole or sized from.
constexpr emf::Limits kLimits{.maxFileBytes = 64LL * 1024 * 1024, .maxFrameSide = 10000000};
constexpr unsigned kMaxSeconds = 10;
constexpr rlim_t kMaxAddressSpace = rlim_t(2) << 30;

// The partial output, removed if the time runs out while it is being written.
char partPath[4096];

void OutOfTime(int) {
    if (partPath[0]) unlink(partPath);
    static const char msg[] = "seance-emf-thumbnailer: out of time\n";
    ssize_t ignored = write(2, msg, sizeof msg - 1);
    (void)ignored;
    _exit(3);
}

void Bound() {
    std::signal(SIGALRM, OutOfTime);
    alarm(kMaxSeconds);
#if !defined(__SANITIZE_ADDRESS__)
    // Address sanitizer reserves far more address space than it uses; it is bounded by its own means.
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kMaxAddressSpace)) {
        limit.rlim_cur = kMaxAddressSpace;
        setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

int Usage() {
    std::fprintf(stderr, "usage: seance-emf-thumbnailer -s SIZE INPUT OUTPUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Bound();
    if (argc != 5 || std::strcmp(argv[1], "-s") != 0) return Usage();
    char* end = nullptr;
    const long side = std::strtol(argv[2], &end, 10);
    if (*end || side < 1 || side > kMaxSide) {
        std::fprintf(stderr, "seance-emf-thumbnailer: size must be 1 to %d: %s\n", kMaxSide, argv[2]);
        return 2;
    }
    // Fonts need a GUI application, never a display: desktops run thumbnailers in sandboxes
    // that have none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    // Desktops pass a path (%i) or, from some file managers, a file:// address.
    QString input = QString::fromLocal8Bit(argv[3]);
    if (input.startsWith(QLatin1String("file:"))) input = QUrl(input).toLocalFile();
    const QString output = QString::fromLocal8Bit(argv[4]);

    const emf::Picture picture = emf::Picture::FromFile(input, kLimits);
    if (picture.IsNull()) {
        std::fprintf(stderr, "seance-emf-thumbnailer: %s: %s\n", argv[3], qPrintable(picture.Error().ToString()));
        return 1;
    }
    // Transparent where the file draws nothing.
    const QImage image = emf::RenderToImage(picture, picture.FittedSize(QSize(side, side)));
    if (image.isNull()) {
        std::fprintf(stderr, "seance-emf-thumbnailer: out of memory\n");
        return 1;
    }
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            std::fprintf(stderr, "seance-emf-thumbnailer: cannot encode the thumbnail\n");
            return 1;
        }
    }
    // Written beside the output and renamed, so that no half-written thumbnail is ever seen.
    const std::string part = std::string(argv[4]) + ".part" + std::to_string(getpid());
    if (part.size() >= sizeof partPath) return Usage();
    std::memcpy(partPath, part.c_str(), part.size() + 1);
    QFile out(QString::fromLocal8Bit(partPath));
    const bool written = out.open(QIODevice::WriteOnly) && out.write(png) == png.size() && out.flush();
    out.close();
    if (!written || std::rename(partPath, argv[4]) != 0) {
        unlink(partPath);
        std::fprintf(stderr, "seance-emf-thumbnailer: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
