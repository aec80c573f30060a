// Peak resident memory over a whole walk of the lesson on the real clock: pages 0 to 18 entered one
// after the other with the next button while each runs (long enough for all its pictures, and on
// pages 13 and 14 for the picture and strip that come late), then the twenty questions of the
// evaluation validated one by one up to page 20. Prints "name: value unit".

#include "bench_common.h"
#include "course_window/cour1p.h"
#include "platform/real_platform.h"

#include <QApplication>
#include <functional>

namespace {

// How long the walk stays on a page before the learner goes on, in ms.
int Dwell(int page) {
    switch (page) {
        case 0: return 500;
        case 13: return 14500;  // the last photograph comes after ten cycles of the circuit
        case 14: return 15500;  // the alternating strip comes at the fifth cycle
        case 15:
        case 16: return 2100;
        case 17:
        case 18: return 1100;
        default: return 4100;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::RealPlatform real;
    platform::SetPlatform(&real);
    const auto folder = bench::EnterCourseFolder();
    QElapsedTimer walk;
    walk.start();

    Cour1p w;
    bench::StartShown(w);

    // Each step runs inside the running page's yield, as a learner's click does.
    std::function<void()> next = [&] {
        if (w.NumPage < 19) {
            QTimer::singleShot(Dwell(w.NumPage + 1), Qt::PreciseTimer, [&] { platform::RunHandler(next); });
            w.B_Pag_S.Click();
            return;
        }
        if (w.NumPage == 19) {
            w.Option1(0).Click();
            w.B_Valider.Click();  // the pause, then the next question or page 20
            QTimer::singleShot(200, Qt::PreciseTimer, [&] { platform::RunHandler(next); });
            return;
        }
        bench::RunFor(1000);
        std::printf("peak_rss_walk_pages_0_20: %.1f MB\n", bench::PeakRssMb());
        std::fprintf(stderr, "walk took %.0f s\n", walk.elapsed() / 1000.0);
        std::fflush(stdout);
        platform::P().EndProgram(0);
    };
    QTimer::singleShot(Dwell(0), Qt::PreciseTimer, [&] { platform::RunHandler(next); });
    return QApplication::exec();
}
