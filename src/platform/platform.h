#pragma once
// The seam between the course and everything that depends on time or on the outside world.
// The course reads like the classic event-driven program it is (handlers, page loops that poll
// and yield); this interface is what it polls and yields to. Two implementations: RealPlatform
// over Qt's event loop, and VirtualClock, where time moves only inside Yield (the storyboard, the tests).

#include "platform/trace_event.h"

#include <QDateTime>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace platform {

class Timer;
class SoundDevice;

// Raised for a picture or file the course cannot use; names the file and the reason.
struct FileError : std::runtime_error {
    FileError(QString path, QString reason);
    QString path;
    QString reason;
    QString message() const;  // the plain sentence shown to the learner
};

class Platform {
public:
    virtual ~Platform();

    // Milliseconds since an arbitrary start, as a signed 32-bit counter that wraps.
    virtual int32_t TickCount() = 0;
    // The date and time to the whole second.
    virtual QDateTime Now() = 0;
    // Milliseconds until the wall clock shows t (negative once past), as precisely as the clock
    // allows: a wait on Now() wakes at the second it waits for instead of at the next tick after it.
    // Deviation: so the pause after an answer (FaireUnePause) wakes at the very second boundary it
    // waits for, where a plain yield would test the clock again only after the next event (a tick, up
    // to 100 ms later): the pause ends at the earliest instant the documented one could.
    virtual qint64 MsecsUntil(const QDateTime& t);
    // Handle every pending event, each handler to its end; if nothing was pending, wait until
    // something is or until wakeAt (a TickCount value) has passed. Handlers may yield in turn.
    virtual void Yield(std::optional<int32_t> wakeAt = std::nullopt) = 0;

    virtual void Beep() = 0;
    virtual void Randomize() = 0;  // reseed from the clock
    virtual double Rnd() = 0;      // uniform in [0, 1)

    virtual QString CurrentDirectory() = 0;
    // Logical pixels of the screen the lesson is laid out on: the real screen, or, once the lesson
    // is fitted (DisplayScale() < 1), the larger screen it is drawn from.
    virtual QSize ScreenSizePixels() = 0;
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;

    // Opens the wave-audio device; never fails (a device that cannot play stays silent).
    virtual std::unique_ptr<SoundDevice> OpenSoundDevice() = 0;

    // Ends the program at once, whatever loop is running.
    [[noreturn]] virtual void EndProgram(int status) = 0;
    // Shows the learner why the program must stop, then ends it with a non-zero status.
    [[noreturn]] virtual void Fatal(const QString& message) = 0;

    // Timers register here so that their ticks come from the platform's own clock.
    virtual void AddTimer(Timer* timer) = 0;
    virtual void RemoveTimer(Timer* timer) = 0;
    virtual void TimerChanged(Timer* timer) = 0;

    // What the learner would see happen, for the storyboard and the tests; the real platform ignores it.
    virtual void Trace(const TraceEvent& event);
    // What screen readers were told, kept apart from what the learner sees; the real platform
    // leaves the telling to the toolkit.
    virtual void Announced(const QString& text);

    // Fitting: a lesson whose pictures are larger than the screen may be drawn smaller, so that they
    // are seen whole. The lesson then lays itself out, in twips, on a screen 1/scale as large as the
    // real one, and every control, font and picture is drawn at scale: its twips are turned into
    // pixels and multiplied by it. Clicks land where the controls are drawn, since they are the same
    // widgets, placed smaller. 1 (the default) leaves everything as it is.
    double DisplayScale() const { return displayScale_; }
    // Sets the scale at which a picture of `largest` twips just fits on the real screen, or 1 when
    // it fits already. Call it before any window is made: fonts and pictures are scaled as they
    // are given to the controls.
    void FitOnScreen(QSizeF largest);

protected:
    // The screen the lesson is laid out on, from the real one: a fittable platform's ScreenSizePixels().
    QSize LaidOutScreen(QSize real) const;

private:
    double displayScale_ = 1;
};

// The scale at which a picture of `largest` twips fits on a screen of `screen` pixels, never above
// 1, and never below kSmallestDisplayScale: a slide so large is a mistake of units in the file,
// whose lesson would be too small to read.
double FitScale(QSize screen, QSizeF largest, double twipsPerPixelX, double twipsPerPixelY);
constexpr double kSmallestDisplayScale = 0.25;

Platform& P();
void SetPlatform(Platform* platform);  // not owned

// Runs a handler called from the toolkit; an error escaping it is reported and ends the program.
void RunHandler(const std::function<void()>& handler);

// Number to text as a general number with the regional decimal separator ("2,5" in French).
QString NumberText(double value);

}  // namespace platform
