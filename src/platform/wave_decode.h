#pragma once
// Sound files to samples ready for an audio output. Any RIFF, RIFX or RF64 wave whose samples
// libsndfile can decode is accepted (PCM 8 to 64 bits, float, µ-law, A-law, ADPCM, extensible, ...);
// only its format and its samples are read, never the chunks that describe it. FLAC, Ogg Vorbis
// and MP3 files (a narration) are read by libsndfile whole, told by their first bytes.
// Nothing here touches the audio system, so it runs on any thread and can be fed any bytes.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class QIODevice;

namespace platform {

// Longest stretch of a file that is decoded; the rest is ignored. Feedback sounds last a second
// or two, a slide's narration a minute or two: this bounds the memory a strange file can claim.
inline constexpr int kMaxWaveSeconds = 180;
inline constexpr long long kMaxWaveFrames = 1LL << 23;

// Decoded samples in [-1, 1], interleaved, already folded down to one or two channels.
struct WaveSamples {
    int sampleRate = 0;
    int channelCount = 0;
    std::vector<float> samples;
    long long FrameCount() const { return channelCount ? static_cast<long long>(samples.size()) / channelCount : 0; }
};

// Nothing when the data is not a wave libsndfile can decode, or holds no sample at all.
std::optional<WaveSamples> DecodeWave(QIODevice& input);
std::optional<WaveSamples> DecodeWave(const QByteArray& bytes);
// Regular files only: a pipe or a device under that name is not opened (it could block).
std::optional<WaveSamples> DecodeWaveFile(const QString& path);

// How long the sound of the file at path plays, as far as it is decoded (kMaxWaveSeconds at
// most), without decoding it; 0 when it is no sound libsndfile can read.
qint64 SoundMilliseconds(const QString& path);

// What an audio output accepts, as read from it beforehand.
struct OutputCaps {
    int minimumRate = 8000;
    int maximumRate = 192000;
    int preferredRate = 48000;
    int minimumChannels = 1;
    int maximumChannels = 2;
    bool int16 = true;  // otherwise 32-bit float
};

// Interleaved PCM for an output with these caps: sample rate kept when accepted, otherwise
// resampled to the preferred rate; channels duplicated or folded to fit (beyond the front pair,
// silent).
struct PcmSound {
    int sampleRate = 0;
    int channelCount = 0;
    bool int16 = true;
    QByteArray data;
};
PcmSound ToPcm(const WaveSamples& wave, const OutputCaps& caps);

}  // namespace platform
