#pragma once
// What the learner would see happen, as data: a picture put in a box, a control moved, resized,
// shown, hidden, enabled or disabled, a caption set, a click, a beep, a command to the sound device.
// Whoever watches a run off the real screen (the storyboard, the tests) receives these.

#include <QString>

namespace platform {

struct TraceEvent {
    enum class Kind {
        Picture,         // a file (text) or one of the program's own bitmaps (resource) put in the box
        PictureRemoved,  // the box shows nothing any more
        Move,            // x, y: the new left and top, in twips
        Size,            // x, y: the new width and height, in twips
        Show,
        Hide,
        Enable,
        Disable,
        Caption,  // text: the new caption
        Click,
        Beep,
        SoundOpen,   // the sound device opened
        SoundPlay,   // text: the wave file started
        SoundStop,
        SoundClose,  // the sound device closed
    };

    Kind kind;
    QString control{};  // the control's name; empty for a beep and the sound commands
    QString text{};
    int resource = 0;  // Picture: the bitmap's number, 0 for a file
    double x = 0;
    double y = 0;

    // One line as the tests write it down: "Picture1 picture Diapo3.emf", "Label1 move 120.0,45.5".
    QString ToText() const;
};

}  // namespace platform
