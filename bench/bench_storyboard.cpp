// The storyboard of the demo course as a teacher makes it: `seance1 --storyboard FILE.pdf` run in the
// course folder, a new process each time. Prints the median wall time, the largest peak resident
// memory of the process, the size of the PDF, and the peak of the program that only starts (the
// toolkit and its libraries). Usage: bench_storyboard [RUNS]

#include "bench_common.h"

#include <QCoreApplication>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Measure {
    double seconds = -1;
    double peakMb = 0;
    int status = -1;
};

// One run of the program as its own process; its peak memory is read from its resource usage.
Measure RunOnce(const QByteArray& pdf) {
    QByteArray program(SEANCE_PROGRAM);
    QByteArray option("--storyboard");
    QByteArray target(pdf);
    // Without a file name the program stops at its usage line, right after the toolkit has started.
    char* argv[] = {program.data(), option.data(), pdf.isEmpty() ? nullptr : target.data(), nullptr};
    QElapsedTimer t;
    t.start();
    // Its report line would mix with the figures.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return {};
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    Measure m;
    m.seconds = t.nsecsElapsed() / 1e9;
    m.peakMb = usage.ru_maxrss / 1024.0;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
        if (m.status != 0) {
            std::fprintf(stderr, "seance1 --storyboard failed\n");
            return 1;
        }
        seconds.push_back(m.seconds);
        peak = std::max(peak, m.peakMb);
    }
    std::printf("storyboard_time_median: %.2f s (target <= 3 s)\n", bench::Median(seconds));
    std::printf("storyboard_peak_rss: %.1f MB (target <= 30 MB)\n", peak);
    std::printf("storyboard_pdf_size: %.0f kB\n", QFileInfo(pdf).size() / 1024.0);
    // What the program takes before it does anything: the part of the peak that is not the storyboard's.
    std::printf("program_started_peak_rss: %.1f MB\n", RunOnce({}).peakMb);
    return 0;
}
