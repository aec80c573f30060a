#pragma once
// The real wave-audio device: files are decoded with libsndfile on a worker thread and played
// through Qt Multimedia's QAudioSink on the default output, so a request never holds up the
// window. Whatever goes wrong (no file, no sound in it, no output at all) is silent.

#include "platform/sound_device.h"

#include <QByteArray>
#include <QObject>
#include <memory>
#include <optional>

class QAudioSink;

namespace platform {

struct PcmSound;

class WaveDevice final : public SoundDevice {
public:
    WaveDevice();
    ~WaveDevice() override;
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    void Open() override;
    // A new sound cuts the one still playing.
    void Sound(const QString& fileName) override;
    void Stop() override;
    void Close() override;

    // Requests still being decoded, and whether an output is playing now; for tests.
    int PendingRequests() const { return pending_; }
    bool Playing() const { return playing_; }

    struct Mailbox;

private:
    void Decoded(quint64 request, const std::optional<PcmSound>& pcm);
    void Play(const PcmSound& pcm);
    void StopSound();
    void DropSink();

    QObject context_;  // results from the worker are delivered to it, and die with it
    std::shared_ptr<Mailbox> mailbox_;
    int pending_ = 0;
    // Kept from one sound to the next while the format and the output stay the same: a sink
    // stopped and started again needs no new stream object, and destroying one runs events.
    QAudioSink* sink_ = nullptr;
    QByteArray sinkOutputId_;
    QIODevice* source_ = nullptr;
    bool playing_ = false;
    quint64 playCount_ = 0;
};

std::unique_ptr<SoundDevice> MakeWaveDevice();

}  // namespace platform
