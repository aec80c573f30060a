#pragma once
// What the benchmark programs share: processor and memory readings, medians, running the real
// event loop for a while, and the course folder they run the lesson on.

#include "course_window/cour1p.h"
#include "platform/platform.h"
#include "support/media.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace bench {

// Processor time of this process (user and system), in seconds.
inline double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Peak resident set of this process, in megabytes.
inline double PeakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// Runs the event loop for ms milliseconds of real time.
inline void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Measures the processor share of one core between Start and Stop.
class CpuMeter {
public:
    void Start() {
        cpu_ = CpuSeconds();
        wall_.start();
    }
    double Stop() const { return (CpuSeconds() - cpu_) / (wall_.nsecsElapsed() / 1e9); }
    double ElapsedMs() const { return wall_.nsecsElapsed() / 1e6; }

private:
    double cpu_ = 0;
    QElapsedTimer wall_;
};

// Makes the demo course (or, if it was not generated, a test course) the current directory.
// The returned folder must outlive the run.
inline std::unique_ptr<QTemporaryDir> EnterCourseFolder() {
    auto temp = std::make_unique<QTemporaryDir>();
    QString folder = QStringLiteral(SEANCE_DEMO_DIR);
    if (!QFileInfo::exists(folder + QStringLiteral("/Seance1/Diapo0.emf"))) {
        std::fprintf(stderr, "demo course not found in %s: using a generated test course\n", SEANCE_DEMO_DIR);
        testsupport::WriteCourse(temp->path());
        folder = temp->path();
    }
    QDir::setCurrent(folder);
    return temp;
}

// The course window loaded, shown and activated, as the program starts it.
inline void StartShown(Cour1p& w) {
    platform::RunHandler([&] { w.Form_Load(); });
    w.Form.Show();
    platform::RunHandler([&] { w.Form_Activate(); });
}

inline int Runs(int argc, char** argv, int fallback) { return argc > 1 ? std::max(1, atoi(argv[1])) : fallback; }

}  // namespace bench
