#include "platform/wave_device.h"

#include "platform/wave_decode.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QMediaDevices>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <mutex>

namespace platform {

namespace {

// Qt Multimedia reports a missing sound server or output on the console; the course must stay
// quiet about sound, so these lines, and only these, are dropped.
QtMessageHandler previousHandler = nullptr;

bool IsAudioNoise(const QString& message) {
    static const char* const prefixes[] = {
        "PulseAudioService", "No audio device detected", "Got a buffer underflow", "Got a buffer overflow",
        "Invalid audio data size provided by pull source", "No more data available, source is done",
        "QAudioSink", "QPulseAudioSink", "QAlsaAudioSink", "Stream error", "pa_stream",
    };
    for (const char* prefix : prefixes)
        if (message.startsWith(QLatin1String(prefix))) return true;
    return false;
}

void QuietAudioMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg && IsAudioNoise(message)) return;
    if (previousHandler) previousHandler(type, context, message);
}

void InstallQuietAudioMessages() {
    static std::once_flag once;
    std::call_once(once, [] { previousHandler = qInstallMessageHandler(QuietAudioMessages); });
}

// Never destroyed: a decode stuck on a dead network drive must not hold up the end of the program.
QThreadPool& DecodePool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

OutputCaps CapsOf(const QAudioDevice& device) {
    OutputCaps caps;
    if (device.isNull()) return caps;
    caps.minimumRate = device.minimumSampleRate();
    caps.maximumRate = device.maximumSampleRate();
    caps.preferredRate = device.preferredFormat().sampleRate();
    caps.minimumChannels = device.minimumChannelCount();
    caps.maximumChannels = device.maximumChannelCount();
    const auto formats = device.supportedSampleFormats();
    caps.int16 = formats.isEmpty() || formats.contains(QAudioFormat::Int16) || !formats.contains(QAudioFormat::Float);
    return caps;
}

// A sink that ran out of samples is stopped after this, once the output has played its tail.
constexpr int kReleaseAfterIdleMs = 1000;

}  // namespace

struct WaveDevice::Mailbox {
    std::mutex mutex;
    WaveDevice* device = nullptr;  // cleared when the device goes
    std::atomic<quint64> latest{0};
};

WaveDevice::WaveDevice() : mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->device = this;
    InstallQuietAudioMessages();
}

WaveDevice::~WaveDevice() {
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->device = nullptr;
    }
    // A sink's destructor handles pending events: none may reach this half-destroyed device.
    QCoreApplication::removePostedEvents(&context_);
    DropSink();
}

void WaveDevice::Open() {
    // Starts the audio system now rather than at the first sound.
    QMediaDevices::defaultAudioOutput();
}

void WaveDevice::Sound(const QString& fileName) {
    StopSound();
    const quint64 request = ++mailbox_->latest;
    const QString path = fileName.isEmpty() ? QString() : QDir::current().absoluteFilePath(fileName);
    const OutputCaps caps = CapsOf(QMediaDevices::defaultAudioOutput());
    ++pending_;
    DecodePool().start([mailbox = mailbox_, path, caps, request] {
        std::optional<PcmSound> pcm;
        // A request overtaken by a newer one while it waited is not worth decoding.
        if (mailbox->latest == request) {
            if (auto wave = DecodeWaveFile(path)) pcm = ToPcm(*wave, caps);
        }
        std::lock_guard lock(mailbox->mutex);
        if (WaveDevice* device = mailbox->device)
            QMetaObject::invokeMethod(
                &device->context_, [device, request, pcm] { device->Decoded(request, pcm); }, Qt::QueuedConnection);
    });
}

void WaveDevice::Stop() {
    ++mailbox_->latest;  // whatever is still being decoded will not play
    StopSound();
}

void WaveDevice::Close() {
    ++mailbox_->latest;  // whatever is still being decoded will not play
    DropSink();
}

void WaveDevice::Decoded(quint64 request, const std::optional<PcmSound>& pcm) {
    --pending_;
    if (request != mailbox_->latest || !pcm || pcm->data.isEmpty()) return;
    Play(*pcm);
}

void WaveDevice::Play(const PcmSound& pcm) {
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) return;
    QAudioFormat format;
    format.setSampleRate(pcm.sampleRate);
    format.setChannelCount(pcm.channelCount);
    format.setSampleFormat(pcm.int16 ? QAudioFormat::Int16 : QAudioFormat::Float);
    // The output may have changed since the request was decoded for it.
    if (!output.isFormatSupported(format)) return;

    if (sink_ && (sink_->format() != format || sinkOutputId_ != output.id())) DropSink();
    if (!sink_) {
        sink_ = new QAudioSink(output, format, &context_);
        sinkOutputId_ = output.id();
        QObject::connect(sink_, &QAudioSink::stateChanged, &context_, [this](QAudio::State state) {
            if (state == QAudio::StoppedState) {
                playing_ = false;
            } else if (state == QAudio::IdleState && playing_) {
                QTimer::singleShot(kReleaseAfterIdleMs, &context_, [this, play = playCount_] {
                    if (play == playCount_ && sink_ && sink_->state() == QAudio::IdleState) StopSound();
                });
            }
        });
    }
    auto* source = new QBuffer(&context_);
    source->setData(pcm.data);
    source->open(QIODevice::ReadOnly);
    ++playCount_;
    playing_ = true;
    sink_->start(source);
    if (sink_->state() == QAudio::StoppedState) playing_ = false;
    // The previous source was let go by the sink when it started on the new one.
    delete std::exchange(source_, source);
}

void WaveDevice::StopSound() {
    if (!sink_ || !playing_) return;
    playing_ = false;
    sink_->stop();
}

void WaveDevice::DropSink() {
    StopSound();
    if (sink_) {
        QObject::disconnect(sink_, nullptr, &context_, nullptr);
        sink_->deleteLater();
        sink_ = nullptr;
    }
    if (source_) {
        source_->deleteLater();
        source_ = nullptr;
    }
}

std::unique_ptr<SoundDevice> MakeWaveDevice() { return std::make_unique<WaveDevice>(); }

}  // namespace platform
