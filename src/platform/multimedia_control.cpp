#include "platform/multimedia_control.h"

#include "platform/platform.h"
#include "platform/sound_device.h"

namespace platform {

MultimediaControl::MultimediaControl() = default;
MultimediaControl::~MultimediaControl() = default;

MultimediaControl::CommandProperty& MultimediaControl::CommandProperty::operator=(const QString& command) {
    control_.Execute(command);
    return *this;
}

SoundDevice& MultimediaControl::Device() {
    if (!device_) device_ = P().OpenSoundDevice();
    return *device_;
}

void MultimediaControl::Execute(const QString& command) {
    const QString verb = command.trimmed().toLower();
    if (verb == QLatin1String("open")) {
        P().Trace({.kind = TraceEvent::Kind::SoundOpen});
        Device().Open();
    } else if (verb == QLatin1String("sound")) {
        P().Trace({.kind = TraceEvent::Kind::SoundPlay, .text = FileName});
        Device().Sound(FileName);
    } else if (verb == QLatin1String("stop")) {
        P().Trace({.kind = TraceEvent::Kind::SoundStop});
        if (device_) device_->Stop();
    } else if (verb == QLatin1String("close")) {
        P().Trace({.kind = TraceEvent::Kind::SoundClose});
        // Closing a device never opened has nothing to do.
        if (device_) device_->Close();
    }
}

}  // namespace platform
