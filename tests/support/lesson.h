#pragma once
// A course window on the virtual platform, started as the program starts it, with a test course
// in a temporary folder.

#include "content/seance.h"
#include "course_window/cour1p.h"
#include "support/media.h"
#include "support/virtual_platform.h"

#include <QRect>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

struct Lesson {
    // Starts the window (load, then first focus) unless told not to. The course is written into a
    // folder of its own, or read from course when given (one WriteCourse shared by many lessons).
    // observateur, when given, hands the window its observer once the platform is set up: the
    // results start on the lesson's clock, as the program makes them before the window. The bank
    // is read first, as the program reads it: a broken questions file ends the run (ProgramEnded)
    // before the observer or the window is made. seance: the séance of the course played, as the
    // program's --seance.
    explicit Lesson(bool start = true, std::function<void(VirtualPlatform&)> setUp = {}, const QString& course = {},
                    const std::function<ObservateurLecon*()>& observateur = {}, int numero = 1);
    // The program-wide sound window opened its device on this lesson's platform: it goes too.
    ~Lesson();

    // The course written for this lesson alone, when none was given (a folder of its own, so that a
    // lesson played in a child process that ends with _exit leaves no empty one behind).
    std::unique_ptr<QTemporaryDir> folder;
    VirtualPlatform vp;
    // Read as the program reads it, before the window: its questions, and its script when it has one.
    content::Seance seance;
    std::unique_ptr<Cour1p> w;

    // Pictures of a given file name loaded so far, e.g. Loaded("Img2.jpg").
    int Loaded(const QString& file) const;
    // Runs a learner's click on a button now (outside any page loop); returns when its handler returns.
    void Click(platform::CommandButton& button);
    // Schedules a click at virtual time ms; it is ignored if the button cannot be clicked then.
    void ClickAt(qint64 ms, platform::CommandButton& button);
};

// Next from page 18, once its wait has set the given question: the evaluation starts there.
void StartEvaluation(Lesson& l, int16_t question = 1);
// The answer buttons from top to bottom, as member indexes of Option1.
QList<int> AnswersTopToBottom(Lesson& l);

// Trace lines at or after ms whose event starts with one of the prefixes, as "t event" where t is
// the line's time minus origin.
QStringList TracesFrom(const Lesson& l, qint64 ms, const QStringList& prefixes, qint64 origin = 0);
// What the learner sees of the course window: one line per control shown, with its place and size
// in screen pixels within the window, and its caption.
QStringList Screen(const Cour1p& w);

// The name of the control a widget shows ("Option1(2)", "B_Valider"), empty for none.
QString ControlName(const QObject* widget);

// Where a control shows, in pixels within its window (for the course window, the screen).
QRect OnScreen(const platform::Control& c);
// The part of it the learner can see: cut by every box it lies in and by its window.
QRect SeenOf(const platform::Control& c);

// A label the learner reads whole: not cut by any box it lies in, and its text fits it (wrapped
// within its width when it wraps, on one line otherwise).
bool ReadsWhole(const platform::Label& label);

// The photograph frames shown, as the learner sees them: each whole on the slide, none over another,
// each under the one before and none further right than the first. Empty, or what is wrong.
QString PhotographsApart(const Cour1p& w);

// Runs the learner's click, then the toolkit's own event loop once no page loop runs, until the
// time StopAt set; false if the program ended before.
bool RunFrom(Lesson& l, platform::CommandButton& button);

// Runs the learner's click, expecting the run to be stopped by StopAt while the page still runs.
bool StoppedInside(Lesson& l, platform::CommandButton& button);

}  // namespace testsupport
