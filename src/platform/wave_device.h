#pragma once
#include "platform/sound_device.h"

#include <memory>

namespace platform {

// The wave-audio device of this computer.
std::unique_ptr<SoundDevice> MakeWaveDevice();

}  // namespace platform
