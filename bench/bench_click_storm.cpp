// A learner's click storm on the real event loop: N alternating previous/next clicks on page 6,
// each delivered as soon as a page loop yields. Prints how deep the page loops
// nested, how long the storm took and where it ended.
//   bench_click_storm [clicks]   (default 10000; run on the demo course, offscreen)

#include "course_window/cour1p.h"
#include "platform/real_platform.h"
#include "support/media.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {


int depth = 0, deepest = 0;

// The real platform, counting how many yields are on the stack.
class CountingPlatform : public platform::RealPlatform {
public:
    void Yield(std::optional<int32_t> wakeAt) override {
        if (++depth > deepest) {
            deepest = depth;
            // Written at once, so that the last figure survives a program that dies of it.
            if (deepest % 100 == 0) {
                char line[64];
                const int n = std::snprintf(line, sizeof line, "depth: %d\n", deepest);
                (void)!write(2, line, static_cast<size_t>(n));
            }
        }
        RealPlatform::Yield(wakeAt);
        --depth;
    }
};

// Click i is delivered by the event loop; it queues click i + 1 before its page runs, so that the
// next click waits only for the next pass of whatever loop is running.
void Click(Cour1p& cour, int i, int clicks) {
    if (i >= clicks) return;
    QTimer::singleShot(0, Qt::PreciseTimer, qApp, [&cour, i, clicks] {
        Click(cour, i + 1, clicks);
        (i % 2 ? cour.B_Pag_S : cour.B_Pag_P).Click();
    });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 10000;

    QTemporaryDir folder;
    if (QDir(QStringLiteral(SEANCE_DEMO_DIR "/Seance1")).exists()) {
        QDir::setCurrent(QStringLiteral(SEANCE_DEMO_DIR));
    } else {
        testsupport::WriteCourse(folder.path());
        QDir::setCurrent(folder.path());
    }

    CountingPlatform real;
    platform::SetPlatform(&real);
    Cour1p cour;
    platform::RunHandler([&] { cour.Form_Load(); });
    cour.Form.Show();
    cour.NumPage = 5;

    QElapsedTimer t;
    QTimer::singleShot(0, [&] {
        // The storm starts inside page 6's loop.
        QTimer::singleShot(300, [&] {
            t.start();
            Click(cour, 0, clicks);
        });
        cour.B_Pag_S.Click();
        const double ms = t.isValid() ? t.elapsed() : 0;
        std::printf("clicks: %d\n", clicks);
        std::printf("deepest_yield_nesting: %d\n", deepest);
        std::printf("storm_to_end_of_last_page: %.0f ms\n", ms);
        std::printf("final_page: %d (expected %d)\n", cour.NumPage, clicks % 2 ? 5 : 6);
        std::fflush(stdout);
        QApplication::exit(0);
    });
    return QApplication::exec();
}
