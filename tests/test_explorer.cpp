// The explorer on the real course: thousands of random sequences of clicks and keys at random
// instants, each checked against the lesson's invariants after every event; the faults it found,
// kept as the short sequences that show them; and a few seeded sequences whose whole run is kept,
// where the outcome depends on the path taken.
// One sequence in four plays the demo's séance 2, written as a script.
//   SEANCE_EXPLORER_SEQUENCES (default 4000), SEANCE_EXPLORER_SEED, SEANCE_EXPLORER_SECONDS (a time
//   budget instead of a count, for the longer run of CI's fuzzing step), SEANCE_EXPLORER_REGOLD=1.

#include "support/explorer.h"
#include "support/media.h"
#include "support/virtual_platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

using namespace testsupport;
using namespace testsupport::explorer;

namespace {

// What séance 3, the demo's séance 2 again, says of its display: every page held to its end.
const QByteArray kSeance3Display = "[affichage]\ndiapositives = \"écran\"\nattendre = \"oui\"\n";
const QByteArray kSeance3Narration = "  [[page.son]]\n  instant = 5\n  fichier = \"voix.wav\"\n  texte = \"Rappel de la séance 1.\"\n";

QString ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

qint64 EnvNumber(const char* name, qint64 fallback) {
    bool ok = false;
    const qint64 v = qEnvironmentVariable(name).toLongLong(&ok);
    return ok ? v : fallback;
}

const QString kExplorerDir = QStringLiteral(SEANCE_SOURCE_DIR "/tests/explorer");

// A run given a time budget, started by hand, must not be cut by the test library's five minutes
// per function: its limit becomes the budget and five minutes more. Set before the library reads it.
const bool kBudgetLimitsTheRun = [] {
    const qint64 budget = EnvNumber("SEANCE_EXPLORER_SECONDS", 0);
    if (budget > 0 && !qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((budget + 300) * 1000));
    return true;
}();

}  // namespace

class ExplorerTest : public QObject {
    Q_OBJECT

    QTemporaryDir course_;
    Options options_;

private slots:
    void initTestCase() {
        // Each sequence runs in a forked child, which is safe only while no other thread of this
        // process could hold a lock the child needs: the test library's watchdog alone is allowed.
        for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString name = ReadFile(QStringLiteral("/proc/self/task/%1/comm").arg(task)).trimmed();
            QVERIFY2(name == QLatin1String("test_explorer") || name == QLatin1String("QtTest Watchdog"), qPrintable(name));
        }
        WriteCourse(course_.path());
        // The demo's séance 2, a teacher's script with PDF slides, steps and an animation of its own,
        // beside séance 1's own pages.
        const QDir seance2(QStringLiteral(SEANCE_DEMO_DIR "/Seance2"));
        QVERIFY(QDir(course_.path()).mkdir(QStringLiteral("Seance2")));
        for (const QString& name : seance2.entryList(QDir::Files))
            QVERIFY(QFile::copy(seance2.filePath(name), course_.filePath(QStringLiteral("Seance2/") + name)));
        // The same as séance 3, its slides at the screen's size, the next page held until each page's run
        // ends, a narration on its page 1.
        QVERIFY(QDir(course_.path()).mkdir(QStringLiteral("Seance3")));
        for (const QString& name : seance2.entryList(QDir::Files))
            QVERIFY(QFile::copy(seance2.filePath(name), course_.filePath(QStringLiteral("Seance3/") + name)));
        QFile script(course_.filePath(QStringLiteral("Seance3/seance.toml")));
        QVERIFY(script.open(QIODevice::ReadWrite));
        const QByteArray own = script.readAll();
        script.resize(0);
        // Its page 1 narrated, and over when its sound is.
        QByteArray narrated = own;
        const qsizetype fin = narrated.indexOf("fin = 30\n");
        QVERIFY(fin > 0);
        narrated.replace(fin, 9, "fin = \"après le son\"\n" + kSeance3Narration);
        script.write(kSeance3Display + narrated);
        script.close();
        QVERIFY(QFile::copy(QStringLiteral(SEANCE_DEMO_DIR "/Bravo.wav"), course_.filePath(QStringLiteral("Seance3/voix.wav"))));
        options_.course = course_.path();
        PrepareDirectVisits(course_.path(), 1);
        PrepareDirectVisits(course_.path(), 2);
        PrepareDirectVisits(course_.path(), 3);
    }

    void sequencesReadBackAsWritten() {
        for (uint64_t seed : {1u, 2u, 3u}) {
            const Sequence s = Draw(seed, 300);
            QString error;
            const Sequence back = Parse(Text(s), &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(Text(back), Text(s));
        }
    }

    void theFaultsFoundStayFixed() {
        const QStringList files = QDir(kExplorerDir + QStringLiteral("/regressions")).entryList({"*.txt"}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& name : files) {
            QString error;
            const Sequence s = Parse(ReadFile(kExplorerDir + QStringLiteral("/regressions/") + name), &error);
            QVERIFY2(error.isEmpty(), qPrintable(name + ": " + error));
            const Outcome o = Play(s, options_);
            QVERIFY2(o.ok, qPrintable(name + ": " + o.failure));
        }
    }

    void seededSequencesKeepTheirRuns() {
        // Nested runs that carry on make these outcomes depend on the path: their whole runs are kept,
        // one file per seed: the sequence, then what the learner saw.
        const bool regold = qEnvironmentVariableIntValue("SEANCE_EXPLORER_REGOLD") == 1;
        Options traced = options_;
        traced.wantTrace = true;
        for (const uint64_t seed : {11u, 23u, 37u, 41u, 58u, 64u}) {
            const QString file = QStringLiteral("%1/golden/seed-%2.txt").arg(kExplorerDir).arg(seed);
            const Sequence s = Draw(seed, 40);
            const Outcome o = Play(s, traced);
            QVERIFY2(o.ok, qPrintable(file + ": " + o.failure));
            const QString run = Text(s) + QStringLiteral("---\n") + o.trace.join(QLatin1Char('\n')) + QLatin1Char('\n');
            if (regold) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(run.toUtf8());
                continue;
            }
            const QString kept = ReadFile(file);
            QVERIFY2(kept.section(QStringLiteral("---\n"), 0, 0) == Text(s),
                     qPrintable(file + ": the sequences are drawn differently now; SEANCE_EXPLORER_REGOLD=1 writes them anew"));
            QVERIFY2(SameRun(o.trace, kept.section(QStringLiteral("---\n"), 1).split(QLatin1Char('\n'), Qt::SkipEmptyParts)),
                     qPrintable(file));
        }
    }

    void aPreparedLessonPlaysAsAFreshOne() {
        // A sequence played by a copy of the lesson prepared at its start page sees what a child
        // that starts the lesson and walks there itself sees: nothing of an earlier copy stays.
        Options traced = options_;
        traced.wantTrace = true;
        Options fresh = traced;
        fresh.fresh = true;
        // Seed and séance: each start page of both séances, wandering, flipping, storming, the evaluation.
        const std::pair<uint64_t, int> rows[] = {{3, 1}, {1, 1}, {5, 1}, {4, 1}, {12, 2}, {19, 2}, {11, 2}, {6, 2}};
        for (const auto& [seed, seance] : rows) {
            Sequence s = Draw(seed, 120);
            s.seance = seance;
            const Outcome prepared = Play(s, traced), again = Play(s, traced), alone = Play(s, fresh);
            for (const Outcome* o : {&again, &alone}) {
                QCOMPARE(o->ok, prepared.ok);
                QCOMPARE(o->failure, prepared.failure);
                QCOMPARE(o->trace, prepared.trace);
                QCOMPARE(o->deepest, prepared.deepest);
                QCOMPARE(o->stackBytes, prepared.stackBytes);
                QCOMPARE(o->pagesSeen, prepared.pagesSeen);
            }
        }
    }

    void randomSequencesKeepEveryInvariant() {
        const qint64 count = EnvNumber("SEANCE_EXPLORER_SEQUENCES", 4000);
        const qint64 budget = EnvNumber("SEANCE_EXPLORER_SECONDS", 0);
        const uint64_t seed = static_cast<uint64_t>(EnvNumber("SEANCE_EXPLORER_SEED", 20261207));
        std::printf("explorer seed: %llu\n", static_cast<unsigned long long>(seed));
        QElapsedTimer clock;
        clock.start();
        qint64 played = 0, events = 0, evaluations = 0, closings = 0, storms = 0, settled = 0;
        int deepest = 0, clockReads = 0;
        qint64 stack = 0, rss = 0;
        qint64 onSeance2 = 0, onSeance3 = 0;
        for (uint64_t i = 0; budget > 0 ? clock.elapsed() < budget * 1000 : played < count; ++i, ++played) {
            Sequence s = Draw(seed * 1000003u + i, 300);
            // One sequence in four on the scripted séance, the same invariants read from its script;
            // one in eight on it as séance 3, with the keys of a teacher's display.
            if (i % 4 == 3) {
                s.seance = 2;
                ++onSeance2;
            } else if (i % 8 == 1) {
                s.seance = 3;
                ++onSeance3;
            }
            const Outcome o = Play(s, options_);
            if (!o.ok) {
                const Sequence shortest = Shrink(s, options_);
                const QString text = QStringLiteral("# found by the explorer, seed %1, sequence %2: %3\n")
                                         .arg(seed).arg(i).arg(o.failure.section(QLatin1Char('\n'), 0, 0)) +
                                     Text(shortest);
                const QString file = QStringLiteral("%1/regressions/found-%2-%3.txt").arg(kExplorerDir).arg(seed).arg(i);
                QFile f(file);
                if (f.open(QIODevice::WriteOnly)) f.write(text.toUtf8());
                std::fprintf(stderr, "%s\n--- shortest sequence, saved as %s:\n%s", qPrintable(o.failure), qPrintable(file),
                             qPrintable(text));
                QFAIL(qPrintable(o.failure));
            }
            events += static_cast<qint64>(s.events.size());
            evaluations += o.evaluation;
            closings += o.closingPage;
            storms += o.storm;
            settled += s.events.size() >= 2 && s.events[s.events.size() - 2].gesture == Gesture::Settle;
            deepest = std::max(deepest, o.deepest);
            clockReads = std::max(clockReads, o.clockReads);
            stack = std::max(stack, o.stackBytes);
            rss = std::max(rss, o.rssGrowthKb);
        }
        const double seconds = double(clock.elapsed()) / 1000.0;
        std::printf("explorer: %lld sequences (%lld on séance 2, %lld on séance 3), %lld events in %.1f s (%.0f sequences/s); "
                    "%lld reached the evaluation, %lld the closing page, %lld the depth limit, %lld compared with a direct visit\n",
                    played, onSeance2, onSeance3, events, seconds, double(played) / seconds, evaluations, closings, storms, settled);
        std::printf("explorer bounds: depth %d (at most %d), stack %lld KiB (at most %lld), clock reads without a yield %d "
                    "(at most %d), memory gained %lld KiB (at most %lld)\n",
                    deepest, 64, stack / 1024, kStackBytes / 1024, clockReads, kClockReadsWithoutYield, rss, kRssGrowthKb);
        QVERIFY(played >= 1);
    }
};

QTEST_MAIN(ExplorerTest)
#include "test_explorer.moc"
