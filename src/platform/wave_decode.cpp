#include "platform/wave_decode.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

namespace {

// libsndfile's readers of the chunks that only describe a file (LIST, cue, smpl, bext, ...) can
// be sent round for minutes by a few bad bytes. A sound needs its format and its samples only, so
// libsndfile is shown a plain wave of the two: the source's own 'fmt ' and 'data' chunks under a
// fresh header, with sizes that fit the file. RIFX keeps its byte order; RF64 becomes a plain RIFF.
class SplicedWave {
public:
    static std::optional<SplicedWave> Of(QIODevice& source) {
        const qint64 fileSize = source.size();
        char head[12];
        if (!source.seek(0) || source.read(head, 12) != 12 || std::memcmp(head + 8, "WAVE", 4) != 0)
            return std::nullopt;
        const bool bigEndian = std::memcmp(head, "RIFX", 4) == 0;
        const bool rf64 = std::memcmp(head, "RF64", 4) == 0;
        if (!bigEndian && !rf64 && std::memcmp(head, "RIFF", 4) != 0) return std::nullopt;

        SplicedWave wave(source, bigEndian);
        qint64 fmtAt = -1, fmtSize = 0, dataAt = -1, dataSize = 0, ds64DataSize = -1;
        qint64 pos = 12;
        // Each step moves on by eight bytes at least, and a file of nothing but headers is not a sound.
        for (int chunks = 0; chunks < kMaxChunks && pos + 8 <= fileSize; ++chunks) {
            char header[8];
            if (!source.seek(pos) || source.read(header, 8) != 8) break;
            const qint64 at = pos + 8;
            qint64 size = wave.Read32(header + 4);
            const qint64 left = fileSize - at;
            if (std::memcmp(header, "fmt ", 4) == 0 && fmtAt < 0) {
                if (size < kMinFormatSize || size > kMaxFormatSize || size > left) return std::nullopt;
                fmtAt = at;
                fmtSize = size;
            } else if (std::memcmp(header, "ds64", 4) == 0 && rf64 && size >= 16 && size <= left) {
                char sizes[16];
                if (!source.seek(at) || source.read(sizes, 16) != 16) return std::nullopt;
                ds64DataSize = Read64Le(sizes + 8);
            } else if (std::memcmp(header, "data", 4) == 0 && dataAt < 0) {
                if (rf64 && size == 0xFFFFFFFF && ds64DataSize >= 0) size = ds64DataSize;
                // Streamed files are often closed without their size written: the rest of the file is the sound.
                else if (size == 0 || size == 0xFFFFFFFF) size = left;
                dataAt = at;
                dataSize = std::min({size, left, kMaxDataSize});
                if (fmtAt >= 0) break;
            }
            if (size > left) break;  // nothing past a chunk that runs off the end
            pos = at + size;
            // Chunks start on even offsets, but some writers forget the pad byte after an odd size.
            if ((size & 1) && !(LooksLikeChunkId(source, pos) && !LooksLikeChunkId(source, pos + 1))) ++pos;
        }
        if (fmtAt < 0 || dataAt < 0 || dataSize <= 0) return std::nullopt;

        const qint64 fmtPad = fmtSize & 1;
        QByteArray top(bigEndian ? "RIFX" : "RIFF");
        top += wave.Bytes32(4 + 8 + fmtSize + fmtPad + 8 + dataSize);
        top += "WAVEfmt ";
        top += wave.Bytes32(fmtSize);
        wave.AddBytes(top);
        wave.AddSource(fmtAt, fmtSize);
        if (fmtPad) wave.AddBytes(QByteArray(1, '\0'));
        wave.AddBytes("data" + wave.Bytes32(dataSize));
        wave.AddSource(dataAt, dataSize);
        return wave;
    }

    qint64 Size() const { return size_; }
    qint64 Tell() const { return pos_; }
    qint64 Seek(qint64 target) {
        if (target < 0) return -1;
        pos_ = std::min(target, size_);
        return pos_;
    }
    qint64 Read(char* out, qint64 count) {
        qint64 done = 0;
        for (const Piece& piece : pieces_) {
            if (done >= count || pos_ >= size_) break;
            if (pos_ >= piece.at + piece.length) continue;
            const qint64 inside = pos_ - piece.at;
            const qint64 n = std::min(piece.length - inside, count - done);
            if (piece.sourceAt < 0) {
                std::memcpy(out + done, piece.bytes.constData() + inside, static_cast<size_t>(n));
            } else if (!source_.seek(piece.sourceAt + inside) || source_.read(out + done, n) != n) {
                break;  // the file shrank under us: what was read is all there is
            }
            done += n;
            pos_ += n;
        }
        return done;
    }

private:
    static constexpr int kMaxChunks = 4096;
    static constexpr qint64 kMinFormatSize = 14;
    static constexpr qint64 kMaxFormatSize = 4096;
    // Far beyond the longest stretch ever decoded, and within a 32-bit chunk size.
    static constexpr qint64 kMaxDataSize = 0x7FFF0000;

    struct Piece {
        qint64 at = 0;
        qint64 length = 0;
        qint64 sourceAt = -1;  // -1: the bytes are ours
        QByteArray bytes;
    };

    SplicedWave(QIODevice& source, bool bigEndian) : source_(source), bigEndian_(bigEndian) {}

    static bool LooksLikeChunkId(QIODevice& source, qint64 pos) {
        char id[4];
        if (!source.seek(pos) || source.read(id, 4) != 4) return false;
        return std::all_of(id, id + 4, [](char c) { return c >= 0x20 && c <= 0x7E; });
    }
    static qint64 Read64Le(const char* p) {
        quint64 v = 0;
        for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
        return static_cast<qint64>(std::min<quint64>(v, INT64_MAX));
    }
    qint64 Read32(const char* p) const {
        const auto b = [p](int i) { return static_cast<quint32>(static_cast<unsigned char>(p[i])); };
        return bigEndian_ ? (b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3)) : (b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0));
    }
    QByteArray Bytes32(qint64 value) const {
        const auto v = static_cast<quint32>(value);
        QByteArray out(4, '\0');
        for (int i = 0; i < 4; ++i) out[bigEndian_ ? 3 - i : i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return out;
    }
    void AddBytes(const QByteArray& bytes) {
        pieces_.push_back({size_, bytes.size(), -1, bytes});
        size_ += bytes.size();
    }
    void AddSource(qint64 at, qint64 length) {
        pieces_.push_back({size_, length, at, {}});
        size_ += length;
    }

    QIODevice& source_;
    bool bigEndian_;
    std::vector<Piece> pieces_;
    qint64 size_ = 0;
    qint64 pos_ = 0;
};

// libsndfile reads the spliced wave through these.
sf_count_t IoLength(void* user) { return static_cast<SplicedWave*>(user)->Size(); }

sf_count_t IoSeek(sf_count_t offset, int whence, void* user) {
    auto* wave = static_cast<SplicedWave*>(user);
    qint64 base = 0;
    if (whence == SEEK_CUR) base = wave->Tell();
    else if (whence == SEEK_END) base = wave->Size();
    else if (whence != SEEK_SET) return -1;
    if ((offset > 0 && base > INT64_MAX - offset)) return -1;
    return wave->Seek(base + offset);
}

sf_count_t IoRead(void* ptr, sf_count_t count, void* user) {
    if (count <= 0) return 0;
    return static_cast<SplicedWave*>(user)->Read(static_cast<char*>(ptr), count);
}

sf_count_t IoWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t IoTell(void* user) { return static_cast<SplicedWave*>(user)->Tell(); }

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

// FLAC, Ogg and MP3 (with its ID3 tag or from its first frame), read by libsndfile as they are.
bool Compressed(QIODevice& source) {
    char head[4] = {};
    if (!source.seek(0) || source.read(head, 4) != 4) return false;
    const auto b = [&](int i) { return static_cast<unsigned char>(head[i]); };
    return std::memcmp(head, "fLaC", 4) == 0 || std::memcmp(head, "OggS", 4) == 0 || std::memcmp(head, "ID3", 3) == 0 ||
           (b(0) == 0xFF && (b(1) & 0xE0) == 0xE0);
}

sf_count_t DeviceLength(void* user) { return static_cast<QIODevice*>(user)->size(); }
sf_count_t DeviceSeek(sf_count_t offset, int whence, void* user) {
    auto* d = static_cast<QIODevice*>(user);
    const qint64 base = whence == SEEK_CUR ? d->pos() : whence == SEEK_END ? d->size() : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    return d->seek(base + offset) ? d->pos() : -1;
}
sf_count_t DeviceRead(void* ptr, sf_count_t count, void* user) {
    return count <= 0 ? 0 : static_cast<QIODevice*>(user)->read(static_cast<char*>(ptr), count);
}
sf_count_t DeviceTell(void* user) { return static_cast<QIODevice*>(user)->pos(); }

// The sound input holds, opened: a wave through its spliced copy (kept in spliced), anything else
// as it is.
std::unique_ptr<SNDFILE, SndfileCloser> OpenSound(QIODevice& input, std::optional<SplicedWave>& spliced, SF_INFO& info) {
    if (!input.isOpen() || !input.isReadable() || input.isSequential()) return nullptr;
    if (std::optional<SplicedWave> wave = SplicedWave::Of(input)) spliced.emplace(std::move(*wave));  // it holds a reference
    std::unique_ptr<SNDFILE, SndfileCloser> file;
    if (spliced) {
        static SF_VIRTUAL_IO io{IoLength, IoSeek, IoRead, IoWrite, IoTell};
        file.reset(sf_open_virtual(&io, SFM_READ, &info, &*spliced));
    } else if (Compressed(input) && input.seek(0)) {
        static SF_VIRTUAL_IO io{DeviceLength, DeviceSeek, DeviceRead, IoWrite, DeviceTell};
        file.reset(sf_open_virtual(&io, SFM_READ, &info, &input));
    }
    if (file && (info.channels < 1 || info.channels > 1024 || info.samplerate < 1 || info.samplerate > 1'000'000)) file.reset();
    return file;
}

float Clean(float v) {
    if (!std::isfinite(v)) return 0.0f;
    return std::clamp(v, -1.0f, 1.0f);
}

}  // namespace

std::optional<WaveSamples> DecodeWave(QIODevice& input) {
    std::optional<SplicedWave> spliced;
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndfileCloser> file = OpenSound(input, spliced, info);
    if (!file) return std::nullopt;

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

qint64 SoundMilliseconds(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return 0;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) return 0;
    std::optional<SplicedWave> spliced;
    SF_INFO info{};
    if (!OpenSound(input, spliced, info) || info.frames <= 0) return 0;
    const long long frames = std::min<long long>({info.frames, static_cast<long long>(kMaxWaveSeconds) * info.samplerate, kMaxWaveFrames});
    return frames * 1000 / info.samplerate;
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
