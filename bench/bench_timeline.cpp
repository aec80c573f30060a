// The timeline on the real clock and the real event loop: how much processor the lesson costs
// while it waits (a page loop after its last tick, the two animations, the evaluation's pause),
// how many ticks Timer1 delivers in 60 s, and how close the animations keep to their frame period.
// Usage: bench_timeline [runs]. Prints "name: value unit", medians over the runs.

#include "bench_common.h"
#include "course_window/cour1p.h"
#include "course_window/m_orvalis2.h"
#include "platform/real_platform.h"

#include <QApplication>
#include <cmath>

namespace {

// The real platform, noting when Picture2 changes picture: the animations' frames.
class FramePlatform : public platform::RealPlatform {
public:
    void Trace(const platform::TraceEvent& event) override {
        using Kind = platform::TraceEvent::Kind;
        if (recording && event.control == QLatin1String("Picture2") &&
            (event.kind == Kind::Picture || event.kind == Kind::PictureRemoved))
            frames.push_back(clock.nsecsElapsed() / 1e6);
    }
    QElapsedTimer clock;
    bool recording = false;
    std::vector<double> frames;  // ms
};

struct Animation {
    double cpuShare = 0;
    std::vector<double> errors;  // |period - expected| of each of the first 100 periods, ms
};

// Enters page `page` from the page before, lets its animation settle for settleMs, then measures the
// processor share over 20 s and the frame periods over 100 frames, and leaves the page.
Animation MeasureAnimation(Cour1p& w, FramePlatform& fp, int16_t page, double periodMs, int settleMs) {
    Animation a;
    bench::CpuMeter meter;
    const int recordMs = static_cast<int>(std::ceil(periodMs * 103));
    fp.frames.clear();
    QTimer::singleShot(settleMs, Qt::PreciseTimer, [&] {
        fp.clock.start();
        fp.recording = true;
        meter.Start();
        QTimer::singleShot(20000, Qt::PreciseTimer, [&] { a.cpuShare = meter.Stop(); });
        QTimer::singleShot(std::max(recordMs, 20100), Qt::PreciseTimer, [&] {
            fp.recording = false;
            w.NumPage = 0;  // the animation ends at its next check, as when the learner leaves
        });
    });
    w.NumPage = static_cast<int16_t>(page - 1);
    w.B_Pag_S.SetEnabled(true);
    w.B_Pag_S.Click();
    for (size_t i = 1; i < fp.frames.size() && a.errors.size() < 100; ++i) {
        a.errors.push_back(std::abs(fp.frames[i] - fp.frames[i - 1] - periodMs));
    }
    if (a.errors.size() < 100) std::fprintf(stderr, "page %d: only %zu frame periods\n", page, a.errors.size());
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = bench::Runs(argc, argv, 3);
    FramePlatform real;
    platform::SetPlatform(&real);
    const auto folder = bench::EnterCourseFolder();

    Cour1p w;
    bench::StartShown(w);
    bench::RunFor(500);

    std::vector<double> idleShare, counts, p13Share, p14Share, pauseShare, p13Median, p13Worst, p14Median, p14Worst;
    platform::RunHandler([&] {
        for (int run = 0; run < runs; ++run) {
            // Page 1 runs its loop to its last tick (4 s), then only the timer runs.
            w.NumPage = 0;
            w.B_Pag_S.SetEnabled(true);
            w.B_Pag_S.Click();
            bench::CpuMeter meter;
            meter.Start();
            w.Compteur = 0;
            bench::RunFor(20000);
            idleShare.push_back(meter.Stop());
            bench::RunFor(40000);
            counts.push_back(w.Compteur);

            const Animation a13 = MeasureAnimation(w, real, 13, 250, 2000);
            p13Share.push_back(a13.cpuShare);
            p13Median.push_back(bench::Median(a13.errors));
            p13Worst.push_back(bench::Max(a13.errors));
            const Animation a14 = MeasureAnimation(w, real, 14, 230, 2500);
            p14Share.push_back(a14.cpuShare);
            p14Median.push_back(bench::Median(a14.errors));
            p14Worst.push_back(bench::Max(a14.errors));

            // The evaluation: validations one after the other, measured over their pauses (each
            // followed by the next question's display) until 20 s have passed.
            w.NumPage = 18;
            w.NumQuestion = 1;
            w.B_Pag_S.SetEnabled(true);
            w.B_Pag_S.Click();
            double cpu = 0, wall = 0;
            while (wall < 20000 && w.NumPage == 19) {
                w.Option1(0).Click();
                const double cpu0 = bench::CpuSeconds();
                QElapsedTimer t;
                t.start();
                w.B_Valider.Click();
                wall += t.nsecsElapsed() / 1e6;
                cpu += bench::CpuSeconds() - cpu0;
            }
            pauseShare.push_back(cpu / (wall / 1000));
        }
    });
    std::printf("cpu_share_page1_after_last_tick: %.2f %%\n", 100 * bench::Median(idleShare));
    std::printf("cpu_share_page13_animation: %.2f %%\n", 100 * bench::Median(p13Share));
    std::printf("cpu_share_page14_animation: %.2f %%\n", 100 * bench::Median(p14Share));
    std::printf("cpu_share_evaluation_pause: %.2f %%\n", 100 * bench::Median(pauseShare));
    std::printf("compteur_after_60s: %.0f ticks\n", bench::Median(counts));
    std::printf("page13_frame_error_median: %.2f ms\n", bench::Median(p13Median));
    std::printf("page13_frame_error_worst: %.2f ms\n", bench::Median(p13Worst));
    std::printf("page14_frame_error_median: %.2f ms\n", bench::Median(p14Median));
    std::printf("page14_frame_error_worst: %.2f ms\n", bench::Median(p14Worst));
    std::fflush(stdout);
    platform::P().EndProgram(0);
}
