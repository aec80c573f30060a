// The storyboard of the demo course as a teacher makes it: `seance1 --storyboard FILE.pdf` run in the
// course folder, a new process each time. Prints the median wall time, the largest peak resident
// memory of the process, and the size of the PDF. Usage: bench_storyboard [RUNS]

#include "bench_common.h"

#include <QCoreApplication>
#include <cerrno>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Measure {
    double seconds = -1;
    double peakMb = 0;
    bool ok = false;
};

// One run of the program as its own process; its peak memory is read from its resource usage.
Measure RunOnce(const QByteArray& pdf) {
    QByteArray program(SEANCE_PROGRAM);
    QByteArray option("--storyboard");
    QByteArray target(pdf);
    char* argv[] = {program.data(), option.data(), target.data(), nullptr};
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) != 0) return {};
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    Measure m;
    m.seconds = t.nsecsElapsed() / 1e9;
    m.peakMb = usage.ru_maxrss / 1024.0;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = bench::Runs(argc, argv, 5);
    const auto folder = bench::EnterCourseFolder();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("deroule.pdf"));

    std::vector<double> seconds;
    double peak = 0;
    for (int i = 0; i < runs; ++i) {
        const Measure m = RunOnce(QFile::encodeName(pdf));
        if (!m.ok) {
            std::fprintf(stderr, "seance1 --storyboard failed\n");
            return 1;
        }
        seconds.push_back(m.seconds);
        peak = std::max(peak, m.peakMb);
    }
    std::printf("storyboard_time_median: %.2f s (target <= 3 s)\n", bench::Median(seconds));
    std::printf("storyboard_peak_rss: %.1f MB (target <= 30 MB)\n", peak);
    std::printf("storyboard_pdf_size: %.0f kB\n", QFileInfo(pdf).size() / 1024.0);
    return 0;
}
