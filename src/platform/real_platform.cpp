#include "platform/real_platform.h"

#include "platform/sound_device.h"
#include "platform/timer.h"
#include "platform/wave_device.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
constexpr qint64 kNsPerMs = 1000 * 1000;
constexpr qint64 kMaxBacklogNs = 1000 * kNsPerMs;

QScreen* Screen() { return QGuiApplication::primaryScreen(); }

// Without a display there is nobody to read a dialog, and it would wait for ever.
bool HasDisplay() {
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}
}  // namespace

RealPlatform::RealPlatform() {
    clock_.start();
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

RealPlatform::~RealPlatform() { qDeleteAll(timers_); }

int32_t RealPlatform::TickCount() {
    // Milliseconds of the monotonic clock, wrapped to a signed 32-bit counter.
    QElapsedTimer t;
    t.start();
    return static_cast<int32_t>(static_cast<uint32_t>(t.msecsSinceReference()));
}

QDateTime RealPlatform::Now() {
    QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    now.setTime(QTime(time.hour(), time.minute(), time.second()));
    return now;
}

qint64 RealPlatform::MsecsUntil(const QDateTime& t) { return QDateTime::currentDateTime().msecsTo(t); }

void RealPlatform::Yield(std::optional<int32_t> wakeAt) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) return;
    if (dispatcher->processEvents(QEventLoop::AllEvents)) return;
    if (wakeAt) {
        // Wrapping difference: correct across the counter's wrap.
        const int32_t remaining =
            static_cast<int32_t>(static_cast<uint32_t>(*wakeAt) - static_cast<uint32_t>(TickCount()));
        if (remaining <= 0) return;
        wake_.start(remaining);
    }
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

void RealPlatform::Beep() { QApplication::beep(); }

void RealPlatform::Randomize() {
    QElapsedTimer t;
    t.start();
    random_.seed(static_cast<uint32_t>(QDateTime::currentMSecsSinceEpoch() ^ t.msecsSinceReference()));
}

double RealPlatform::Rnd() { return std::generate_canonical<double, 32>(random_); }

QString RealPlatform::CurrentDirectory() { return QDir::currentPath(); }

QSize RealPlatform::ScreenSizePixels() { return LaidOutScreen(Screen() ? Screen()->size() : QSize(1024, 768)); }

double RealPlatform::TwipsPerPixelX() {
    const double dpi = Screen() ? Screen()->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double RealPlatform::TwipsPerPixelY() {
    const double dpi = Screen() ? Screen()->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

std::unique_ptr<SoundDevice> RealPlatform::OpenSoundDevice() { return MakeWaveDevice(); }

void RealPlatform::EndProgram(int status) {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    std::fflush(nullptr);
    std::_Exit(status);
}

void RealPlatform::Fatal(const QString& message) {
    for (QTimer* t : timers_) t->stop();
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    if (HasDisplay() && QApplication::instance()) {
        for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
        QMessageBox::critical(nullptr, QStringLiteral("Séance 1"), message);
    }
    std::fflush(nullptr);
    std::_Exit(1);
}

void RealPlatform::AddTimer(Timer* timer) {
    auto* t = new QTimer;
    t->setTimerType(Qt::PreciseTimer);
    t->setSingleShot(true);
    QObject::connect(t, &QTimer::timeout, t, [this, timer] { TimerDue(timer); });
    timers_.insert(timer, t);
    TimerChanged(timer);
}

void RealPlatform::RemoveTimer(Timer* timer) {
    delete timers_.take(timer);
    due_.remove(timer);
}

void RealPlatform::TimerChanged(Timer* timer) {
    QTimer* t = timers_.value(timer);
    if (!t) return;
    if (timer->Enabled() && timer->Interval() > 0) {
        due_.insert(timer, clock_.nsecsElapsed() + timer->Interval() * kNsPerMs);
        Arm(timer);
    } else {
        t->stop();
        due_.remove(timer);
    }
}

void RealPlatform::Arm(Timer* timer) {
    // Never before the tick is due, and never within the pass that delivered the previous one:
    // a timer that fell behind catches up one tick per yield.
    const qint64 ahead = due_.value(timer) - clock_.nsecsElapsed();
    timers_.value(timer)->start(static_cast<int>(std::max<qint64>(1, (ahead + kNsPerMs - 1) / kNsPerMs)));
}

void RealPlatform::TimerDue(Timer* timer) {
    const qint64 interval = timer->Interval() * kNsPerMs;
    qint64 due = due_.value(timer) + interval;
    const qint64 now = clock_.nsecsElapsed();
    // Ticks missed in a busy moment are made up; after a long stall they are dropped instead of
    // arriving as a burst, and the timer starts a fresh phase.
    if (now - due > kMaxBacklogNs) due = now + interval;
    due_.insert(timer, due);
    // Armed before the handler runs: a handler that waits in a nested loop still gets its ticks.
    Arm(timer);
    timer->Fire();
}

}  // namespace platform
