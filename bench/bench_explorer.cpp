// The explorer's pace: random learner sequences played on the real course over the virtual clock,
// each in a child process, with every invariant checked, mixed as ./test plays them (one in four
// on the demo's séance 2). Prints sequences and events a second, séance 1 and séance 2 apart and
// together, and the processor time a sequence takes (its child and this process), which other
// builds on a shared machine change less than the wall-clock rates; then the same sequences each
// played by a child that starts the lesson itself (explorer_fresh_*).
//   bench_explorer [sequences]   (default 800, played both ways)

#include "bench_common.h"
#include "support/explorer.h"
#include "support/media.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace testsupport::explorer;

namespace {

struct Tally {
    int sequences = 0;
    qint64 events = 0;
    double seconds = 0, cpu = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 800;
    QTemporaryDir course;
    testsupport::WriteCourse(course.path());
    const QDir seance2(QStringLiteral(SEANCE_DEMO_DIR "/Seance2"));
    QDir(course.path()).mkdir(QStringLiteral("Seance2"));
    for (const QString& name : seance2.entryList(QDir::Files))
        QFile::copy(seance2.filePath(name), course.filePath(QStringLiteral("Seance2/") + name));
    QElapsedTimer prepare;
    prepare.start();
    PrepareDirectVisits(course.path(), 1);
    PrepareDirectVisits(course.path(), 2);
    const double prepareMs = double(prepare.nsecsElapsed()) / 1e6;
    // As ./test plays them, then as each sequence was played before the prepared lessons: by a
    // child that starts the lesson and walks to the sequence's start itself.
    int failed = 0;
    for (const bool fresh : {false, true}) {
        Options options;
        options.course = course.path();
        options.fresh = fresh;
        Tally tally[2];
        for (int i = 0; i < count; ++i) {
            Sequence s = Draw(7000 + static_cast<uint64_t>(i), 300);
            if (i % 4 == 3) s.seance = 2;
            Tally& t = tally[s.seance - 1];
            const double cpu = bench::CpuSeconds();
            QElapsedTimer clock;
            clock.start();
            const Outcome o = Play(s, options);
            if (!o.ok) ++failed;
            t.seconds += double(clock.nsecsElapsed()) / 1e9;
            t.cpu += bench::CpuSeconds() - cpu + o.cpuMs / 1000;
            t.events += static_cast<qint64>(s.events.size());
            ++t.sequences;
        }
        const char* mode = fresh ? "fresh_" : "";
        auto print = [mode](const char* name, const Tally& t) {
            std::printf("explorer_%s%s_sequences: %.1f /s\n", mode, name, t.sequences / t.seconds);
            std::printf("explorer_%s%s_events: %.0f /s\n", mode, name, double(t.events) / t.seconds);
            std::printf("explorer_%s%s_cpu_per_sequence: %.2f ms\n", mode, name, 1000 * t.cpu / t.sequences);
        };
        const Tally both{tally[0].sequences + tally[1].sequences, tally[0].events + tally[1].events,
                         tally[0].seconds + tally[1].seconds, tally[0].cpu + tally[1].cpu};
        print("seance1", tally[0]);
        print("seance2", tally[1]);
        print("both", both);
    }
    std::printf("explorer_direct_visits_prepared: %.0f ms\n", prepareMs);
    std::printf("explorer_failed_sequences: %d of %d\n", failed, 2 * count);
    return failed == 0 ? 0 : 1;
}
