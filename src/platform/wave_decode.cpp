#include "platform/wave_decode.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace platform {

namespace {

// libsndfile reads through these, so a file and a byte array go down the same road.
sf_count_t IoLength(void* user) { return static_cast<QIODevice*>(user)->size(); }

sf_count_t IoSeek(sf_count_t offset, int whence, void* user) {
    auto* io = static_cast<QIODevice*>(user);
    qint64 base = 0;
    if (whence == SEEK_CUR) base = io->pos();
    else if (whence == SEEK_END) base = io->size();
    else if (whence != SEEK_SET) return -1;
    if ((offset > 0 && base > INT64_MAX - offset)) return -1;
    const qint64 target = base + offset;
    if (target < 0) return -1;
    // Clamped: QBuffer complains aloud when asked to go past its end, and nothing lies there anyway.
    if (!io->seek(std::min(target, io->size()))) return -1;
    return io->pos();
}

sf_count_t IoRead(void* ptr, sf_count_t count, void* user) {
    if (count <= 0) return 0;
    const qint64 n = static_cast<QIODevice*>(user)->read(static_cast<char*>(ptr), count);
    return n < 0 ? 0 : n;
}

sf_count_t IoWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t IoTell(void* user) { return static_cast<QIODevice*>(user)->pos(); }

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

float Clean(float v) {
    if (!std::isfinite(v)) return 0.0f;
    return std::clamp(v, -1.0f, 1.0f);
}

}  // namespace

std::optional<WaveSamples> DecodeWave(QIODevice& input) {
    if (!input.isOpen() || !input.isReadable() || input.isSequential()) return std::nullopt;
    SF_VIRTUAL_IO io{IoLength, IoSeek, IoRead, IoWrite, IoTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &input));
    if (!file) return std::nullopt;
    if (info.channels < 1 || info.channels > 1024 || info.samplerate < 1 || info.samplerate > 1'000'000)
        return std::nullopt;

    const int channels = info.channels;
    const long long maxFrames = std::min<long long>(static_cast<long long>(kMaxWaveSeconds) * info.samplerate,
                                                    kMaxWaveFrames);
    WaveSamples wave;
    wave.sampleRate = info.samplerate;
    wave.channelCount = channels == 1 ? 1 : 2;

    const sf_count_t chunkFrames = std::max(1, 65536 / channels);
    std::vector<float> chunk(static_cast<size_t>(chunkFrames) * channels);
    long long total = 0;
    while (total < maxFrames) {
        const sf_count_t want = std::min<long long>(chunkFrames, maxFrames - total);
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), want);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i) {
            const float* frame = chunk.data() + i * channels;
            if (channels <= 2) {
                for (int c = 0; c < channels; ++c) wave.samples.push_back(Clean(frame[c]));
                continue;
            }
            // More than two channels: even ones fold to the left, odd ones to the right.
            float left = 0, right = 0;
            for (int c = 0; c < channels; c += 2) left += Clean(frame[c]);
            for (int c = 1; c < channels; c += 2) right += Clean(frame[c]);
            wave.samples.push_back(left / static_cast<float>((channels + 1) / 2));
            wave.samples.push_back(right / static_cast<float>(channels / 2));
        }
        total += got;
    }
    if (wave.samples.empty()) return std::nullopt;
    return wave;
}

std::optional<WaveSamples> DecodeWave(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return DecodeWave(buffer);
}

std::optional<WaveSamples> DecodeWaveFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return DecodeWave(file);
}

PcmSound ToPcm(const WaveSamples& wave, const OutputCaps& caps) {
    PcmSound pcm;
    pcm.int16 = caps.int16;
    const long long inFrames = wave.FrameCount();
    if (inFrames == 0 || wave.sampleRate < 1) return pcm;

    const int loChannels = std::max(1, caps.minimumChannels);
    const int hiChannels = std::max(loChannels, caps.maximumChannels);
    pcm.channelCount = std::clamp(wave.channelCount, loChannels, hiChannels);
    const bool rateAccepted = wave.sampleRate >= caps.minimumRate && wave.sampleRate <= caps.maximumRate;
    pcm.sampleRate = rateAccepted ? wave.sampleRate : (caps.preferredRate > 0 ? caps.preferredRate : 48000);

    long long outFrames = inFrames;
    if (pcm.sampleRate != wave.sampleRate)
        outFrames = (inFrames * pcm.sampleRate + wave.sampleRate - 1) / wave.sampleRate;
    outFrames = std::min(outFrames, static_cast<long long>(kMaxWaveSeconds) * pcm.sampleRate);

    const int inCh = wave.channelCount;
    const int outCh = pcm.channelCount;
    const size_t sampleBytes = pcm.int16 ? sizeof(qint16) : sizeof(float);
    pcm.data.resize(static_cast<qsizetype>(outFrames * outCh * static_cast<long long>(sampleBytes)));
    char* out = pcm.data.data();
    const double step = static_cast<double>(wave.sampleRate) / pcm.sampleRate;

    auto sourceAt = [&](long long frame, int c) {
        const float* f = wave.samples.data() + frame * inCh;
        if (outCh == 1 && inCh == 2) return (f[0] + f[1]) * 0.5f;
        if (c >= 2) return 0.0f;  // an output with more channels hears the sound on the front pair
        return f[c % inCh];
    };
    for (long long i = 0; i < outFrames; ++i) {
        const double pos = i * step;
        const long long i0 = std::min(static_cast<long long>(pos), inFrames - 1);
        const long long i1 = std::min(i0 + 1, inFrames - 1);
        const float frac = static_cast<float>(pos - static_cast<double>(i0));
        for (int c = 0; c < outCh; ++c) {
            const float a = sourceAt(i0, c);
            const float v = std::clamp(a + (sourceAt(i1, c) - a) * frac, -1.0f, 1.0f);
            if (pcm.int16) {
                const auto s = static_cast<qint16>(std::lrint(v * 32767.0f));
                std::memcpy(out, &s, sizeof s);
            } else {
                std::memcpy(out, &v, sizeof v);
            }
            out += sampleBytes;
        }
    }
    return pcm;
}

}  // namespace platform
