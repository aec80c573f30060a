// The timeline on the real clock and the real event loop: how much processor the lesson costs
// while it waits, and how many ticks Timer1 delivers in a given time. Prints "name: value unit".

#include "course_window/cour1p.h"
#include "platform/real_platform.h"
#include "support/media.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the event loop for ms milliseconds of real time.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Processor share of one core while fn runs.
template <typename Fn>
double CpuShare(Fn fn) {
    QElapsedTimer wall;
    const double cpu0 = CpuSeconds();
    wall.start();
    fn();
    return (CpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    platform::RealPlatform real;
    platform::SetPlatform(&real);

    QTemporaryDir temp;
    QString folder = QStringLiteral(SEANCE_DEMO_DIR);
    if (!QFileInfo::exists(folder + QStringLiteral("/Seance1/Diapo0.emf"))) {
        testsupport::WriteCourse(temp.path());
        folder = temp.path();
    }
    QDir::setCurrent(folder);

    Cour1p w;
    w.Form_Load();
    w.Form.Show();
    platform::RunHandler([&] { w.Form_Activate(); });
    RunFor(500);

    std::vector<double> loopShare, idleShare, counts;
    for (int run = 0; run < runs; ++run) {
        // A page loop from entry to its last tick (about 4 s of waiting between a few steps).
        w.NumPage = 0;
        loopShare.push_back(CpuShare([&] { w.B_Pag_S.Click(); }));
        // After the last tick: nothing runs but the timer.
        idleShare.push_back(CpuShare([] { RunFor(5000); }));
        // Ticks counted in 10 s of real time.
        w.Compteur = 0;
        RunFor(10000);
        counts.push_back(w.Compteur);
    }
    std::printf("page_loop_cpu_share: %.2f %%\n", 100 * Median(loopShare));
    std::printf("idle_after_last_tick_cpu_share: %.2f %%\n", 100 * Median(idleShare));
    std::printf("compteur_after_10s: %.0f ticks\n", Median(counts));
    std::fflush(stdout);
    platform::P().EndProgram(0);
}
