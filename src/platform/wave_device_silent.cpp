// Stand-in until the wave player lands: a device that plays nothing.
#include "platform/wave_device.h"

namespace platform {
namespace {
class Silent : public SoundDevice {
public:
    void Open() override {}
    void Sound(const QString&) override {}
    void Close() override {}
};
}  // namespace
std::unique_ptr<SoundDevice> MakeWaveDevice() { return std::make_unique<Silent>(); }
}  // namespace platform
