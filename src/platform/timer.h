#pragma once
// A timer control. Its ticks come from the platform's clock, so that tests can run it on virtual
// time and so that at most one tick is handled per yield.

#include <QString>
#include <functional>

namespace platform {

class Timer {
public:
    explicit Timer(QString name);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const QString& Name() const { return name_; }
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void()> OnTick;
    // Called by the platform when a tick is due; runs the handler under RunHandler.
    void Fire();

private:
    QString name_;
    int interval_ = 0;
    bool enabled_ = false;
    bool registered_ = false;
};

}  // namespace platform
