#pragma once
// The explorer: random, seeded, reproducible sequences of everything a learner can do, played on
// the real course over the virtual clock, with the lesson's invariants checked after every event.
// Each sequence runs in a child process of its own, so that Fermer really ends a program (its exit
// status is what is checked) and a sequence that freezes is stopped from outside.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

namespace testsupport::explorer {

enum class Gesture {
    Previous,      // click on B_Pag_P
    Next,          // click on B_Pag_S
    Key,           // a key in the course window (arg: the Qt key)
    Logo,          // click on Image1: the About window
    AboutOk,       // click on its OK button
    AboutKey,      // Enter or Escape in the About window (arg: the Qt key)
    AboutClose,    // its title bar's close box
    Answer,        // click on the answer at place arg (0 = top) as the screen shows them
    Validate,      // click on B_Valider
    Settle,        // no more learner; once the last page has run a while, compare with a direct visit
    Fermer,        // click on B_Fermer: the program must end there, with status 0
};

struct Event {
    qint64 at = 0;  // ms from the start of the sequence
    Gesture gesture = Gesture::Next;
    int arg = 0;
};

struct Sequence {
    int seance = 1;  // the séance of the course it plays
    // The page shown when the sequence starts: 0 (just started), 12 or 17; in another séance, the
    // page as far before its evaluation as these are before séance 1's (not one an animation holds).
    int start = 0;
    std::vector<Event> events;
};

// One line per event ("1530 next", "1530 key Right", …) after a "start N" line (and a "seance N"
// line before it for a séance other than 1); and back.
QString Text(const Sequence& s);
Sequence Parse(const QString& text, QString* error = nullptr);

// A sequence drawn from seed: up to maxEvents events, ended by Fermer (or Settle then Fermer).
Sequence Draw(uint64_t seed, int maxEvents);

// What the child process saw.
struct Outcome {
    bool ok = false;
    QString failure;  // the invariant broken, when not ok
    // Figures of the run.
    int deepest = 0;              // AfficherPage runs on the stack, at most
    qint64 stackBytes = 0;        // stack used below the sequence's start, at most
    int clockReads = 0;           // clock reads between two yields, at most
    qint64 rssGrowthKb = 0;       // resident memory gained during the sequence
    int pagesSeen = 0;            // distinct pages shown
    bool evaluation = false;      // the evaluation was reached
    bool closingPage = false;     // page 20 was reached
    bool storm = false;           // the depth limit was reached
    QStringList trace;            // what the learner saw, when asked for
    double cpuMs = 0;             // processor time of the child that played it
};

struct Options {
    QString course;            // a folder written by WriteCourse
    bool wantTrace = false;    // return the trace (pictures, visibility, captions, sounds)
    int timeoutMs = 30000;     // wall-clock time after which the child counts as frozen
    // A child that starts the lesson and walks to the sequence's start itself, rather than a copy
    // of a lesson prepared there once (the course is then read anew for every sequence).
    bool fresh = false;
};

// The screens of a direct visit of the pages before the evaluation, taken once a page has run for
// a while; the child compares a settled sequence's screen with them. Call once per course and
// séance, before the first Play of a sequence of that séance.
void PrepareDirectVisits(const QString& course, int seance = 1);

Outcome Play(const Sequence& s, const Options& options);

// The shortest sequence found, by removing events, that still fails as s does.
Sequence Shrink(const Sequence& s, const Options& options, int maxTries = 400);

// The explicit bounds the invariants use.
constexpr int kClockReadsWithoutYield = 8 * (64 + 1);  // a few reads per nested run
constexpr qint64 kStackBytes = 4 * 1024 * 1024;
constexpr qint64 kRssGrowthKb = 256 * 1024;
constexpr qint64 kSettleMs = 15000;  // every page is complete by then (page 14's lower strip: 12.9 s)

}  // namespace testsupport::explorer
