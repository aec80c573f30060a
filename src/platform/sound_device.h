#pragma once
#include <QString>

namespace platform {

// A wave-audio device as the multimedia control drives it. Commands never report failure.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual void Open() = 0;
    // Starts playing the named wave file (relative names from the current directory) and returns
    // at once. A missing or unplayable file, or no audio output, is silent.
    virtual void Sound(const QString& fileName) = 0;
    // Stops the sound playing, or about to, at once.
    virtual void Stop() {}
    virtual void Close() = 0;
};

}  // namespace platform
