// Any bytes as a feedback sound: decoded, then converted for two kinds of output.

#include "platform/wave_decode.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto wave = platform::DecodeWave(bytes);
    if (!wave) return 0;
    platform::OutputCaps caps;
    (void)platform::ToPcm(*wave, caps);
    caps.int16 = false;
    caps.maximumChannels = 1;
    caps.minimumRate = caps.maximumRate = caps.preferredRate = 22050;
    (void)platform::ToPcm(*wave, caps);
    return 0;
}
