#pragma once
// Tells screen readers what changed when no focus move says it: a new page, a photograph, a
// score. Nothing is shown: the window looks exactly as it did without a screen reader.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstddef>

namespace platform {

class Announcer {
public:
    // Speaks for `window` (a top-level widget).
    explicit Announcer(QWidget* window);
    ~Announcer();
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    // Queued after what the screen reader is saying, never cutting it short.
    void Say(const QString& text);

private:
    QPointer<QWidget> window_;
    // Before the toolkit could announce: empty notifications, one shown anew with each text, which
    // screen readers read out as it appears. They take turns: a screen reader that gets two
    // showings of one object in a row keeps only the later, and two texts often come together
    // (a slide and its first photograph).
    std::array<QPointer<QWidget>, 4> notifications_;
    size_t next_ = 0;
};

}  // namespace platform
