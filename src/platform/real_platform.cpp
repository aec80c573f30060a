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
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
QScreen* Screen() { return QGuiApplication::primaryScreen(); }

// Without a display there is nobody to read a dialog, and it would wait for ever.
bool HasDisplay() {
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}
}  // namespace

RealPlatform::RealPlatform() {
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

QSize RealPlatform::ScreenSizePixels() { return Screen() ? Screen()->size() : QSize(1024, 768); }

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
    QObject::connect(t, &QTimer::timeout, t, [timer] { timer->Fire(); });
    timers_.insert(timer, t);
    TimerChanged(timer);
}

void RealPlatform::RemoveTimer(Timer* timer) { delete timers_.take(timer); }

void RealPlatform::TimerChanged(Timer* timer) {
    QTimer* t = timers_.value(timer);
    if (!t) return;
    if (timer->Enabled() && timer->Interval() > 0) {
        // A repeating precise timer keeps its phase and never delivers two ticks in one pass.
        t->start(timer->Interval());
    } else {
        t->stop();
    }
}

}  // namespace platform
