#pragma once
// The multimedia control the sound window carries: the course writes its properties and never
// reads one back. Assigning Command carries the command out at once, with the other properties
// as its parameters, on the platform's wave device (opened the first time a command needs it).

#include <QString>
#include <memory>

namespace platform {

class SoundDevice;

class MultimediaControl {
public:
    MultimediaControl();
    ~MultimediaControl();
    MultimediaControl(const MultimediaControl&) = delete;
    MultimediaControl& operator=(const MultimediaControl&) = delete;

    bool Notify = false;
    bool Wait = false;
    bool Shareable = false;
    QString DeviceType;
    QString FileName;

    // "open", "sound", "stop" or "close", in any case; anything else does nothing. Never fails.
    class CommandProperty {
    public:
        CommandProperty& operator=(const QString& command);
        CommandProperty(const CommandProperty&) = delete;

    private:
        friend class MultimediaControl;
        explicit CommandProperty(MultimediaControl& control) : control_(control) {}
        MultimediaControl& control_;
    };
    CommandProperty Command{*this};

private:
    void Execute(const QString& command);
    SoundDevice& Device();

    std::unique_ptr<SoundDevice> device_;
};

}  // namespace platform
