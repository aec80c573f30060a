// The explorer's pace: random learner sequences played on the real course over the virtual clock,
// each in a child process, with every invariant checked. Prints sequences and events per second.
//   bench_explorer [sequences]   (default 500)

#include "support/explorer.h"
#include "support/media.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace testsupport::explorer;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    QTemporaryDir course;
    testsupport::WriteCourse(course.path());
    PrepareDirectVisits(course.path());
    Options options;
    options.course = course.path();
    QElapsedTimer clock;
    clock.start();
    qint64 events = 0;
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const Sequence s = Draw(7000 + static_cast<uint64_t>(i), 300);
        events += static_cast<qint64>(s.events.size());
        if (!Play(s, options).ok) ++failed;
    }
    const double seconds = double(clock.elapsed()) / 1000.0;
    std::printf("explorer sequences: %.1f /s\n", count / seconds);
    std::printf("explorer events: %.0f /s\n", double(events) / seconds);
    std::printf("explorer failed sequences: %d of %d\n", failed, count);
    return 0;
}
