// The desktop thumbnailer as a file manager runs it, one process per file, on every metafile of
// the corpus at 256 pixels: prints the median and worst wall time per file, process start included.
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SEANCE_CORPUS_DIR "/emf");
    if (!QDir(dir).exists()) dir = QStringLiteral(SEANCE_EMF_SUBSET_DIR "/emf");
    QStringList files;
    QDirIterator it(dir, {"*.emf", "*.EMF"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    QTemporaryDir out;
    std::vector<double> times;
    int refused = 0;
    QString worstFile;
    for (const QString& path : files) {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(QStringLiteral(SEANCE_THUMBNAILER), {"-s", "256", path, out.filePath("thumb.png")});
        p.waitForFinished(30000);
        const double ms = t.nsecsElapsed() / 1e6;
        if (p.exitCode() != 0) ++refused;
        if (times.empty() || ms > *std::max_element(times.begin(), times.end())) worstFile = path;
        times.push_back(ms);
    }
    if (times.empty()) {
        std::fprintf(stderr, "bench_thumbnailer: no metafiles under %s\n", qPrintable(dir));
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("emf_thumbnail_median: %.1f ms\n", times[times.size() / 2]);
    std::printf("emf_thumbnail_worst: %.1f ms\n", times.back());
    std::fprintf(stderr, "files %zu, refused %d, slowest: %s\n", times.size(), refused, qPrintable(worstFile));
    return 0;
}
