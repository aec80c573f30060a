// The sound player: the real wave device against real-world files, the decoding it relies on, and
// the order of the commands the course gives through SL_MM and its control.

#include "course_window/m_orvalis2.h"
#include "course_window/sl_mm.h"
#include "platform/multimedia_control.h"
#include "platform/platform.h"
#include "platform/sound_device.h"
#include "platform/virtual_clock.h"
#include "platform/wave_decode.h"
#include "platform/wave_device.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace platform;

namespace {

// Every console line that reaches the application's message handler, but the toolkit's own
// informational ones: a multimedia backend that announces itself at start-up ("Using Qt multimedia
// with FFmpeg version …") is neither a message of ours nor a warning.
QStringList consoleMessages;
QtMessageHandler testHandler = nullptr;

bool ToolkitInformation(QtMsgType type, const QMessageLogContext& context) {
    return (type == QtInfoMsg || type == QtDebugMsg) && context.category &&
           QByteArray(context.category).startsWith("qt.");
}

void CaptureMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (ToolkitInformation(type, context)) return;
    consoleMessages << message;
    if (testHandler) testHandler(type, context, message);
}

// What reaches file descriptor 2 while it lives, bypassing Qt (libraries writing straight to it).
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        saved_ = dup(2);
        file_ = std::tmpfile();
        dup2(fileno(file_), 2);
    }
    ~StderrCapture() { Restore(); }
    QByteArray Restore() {
        if (saved_ < 0) return {};
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
        std::rewind(file_);
        QByteArray text;
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, static_cast<qsizetype>(n));
        std::fclose(file_);
        return text;
    }

private:
    int saved_ = -1;
    FILE* file_ = nullptr;
};

QStringList CorpusWaves() {
    QStringList files;
    QDirIterator it(QStringLiteral(SEANCE_CORPUS_DIR "/wav"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

// Writes a float wave file whose channel c holds level[c] throughout.
void WriteWave(const QString& path, int rate, const std::vector<float>& levels, long long frames, int format) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = static_cast<int>(levels.size());
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    QVERIFY2(f, sf_strerror(nullptr));
    std::vector<float> block;
    for (int i = 0; i < 4096; ++i) block.insert(block.end(), levels.begin(), levels.end());
    for (long long done = 0; done < frames;) {
        const sf_count_t n = std::min<long long>(4096, frames - done);
        sf_writef_float(f, block.data(), n);
        done += n;
    }
    sf_close(f);
}

// A RIFF chunk, padded to an even length unless told not to.
QByteArray Chunk(const char* id, const QByteArray& payload, bool bigEndian = false, bool pad = true,
                 qint64 declared = -1) {
    const auto size = static_cast<quint32>(declared >= 0 ? declared : payload.size());
    QByteArray out(id, 4);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((size >> (8 * (bigEndian ? 3 - i : i))) & 0xFF);
    out += payload;
    if (pad && (payload.size() & 1)) out += '\0';
    return out;
}

QByteArray Wave(const QByteArray& chunks, const char* form = "RIFF") {
    return Chunk(form, "WAVE" + chunks, std::strcmp(form, "RIFX") == 0);
}

// Lets the worker's results arrive; false when they are still missing after ten seconds.
bool Settled(const WaveDevice& device) {
    QDeadlineTimer deadline(10000);
    QTimer wake;
    wake.start(100);  // so that waiting for an event never outlives the deadline
    while (device.PendingRequests() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return device.PendingRequests() == 0;
}

std::vector<qint16> Int16Samples(const PcmSound& pcm) {
    std::vector<qint16> out(static_cast<size_t>(pcm.data.size()) / sizeof(qint16));
    std::memcpy(out.data(), pcm.data.constData(), out.size() * sizeof(qint16));
    return out;
}

// A wave device that only writes down what it is asked.
class RecordingDevice final : public SoundDevice {
public:
    explicit RecordingDevice(QStringList& log) : log_(log) {}
    void Open() override { log_ << QStringLiteral("open"); }
    void Sound(const QString& fileName) override { log_ << QStringLiteral("sound ") + fileName; }
    void Close() override { log_ << QStringLiteral("close"); }

private:
    QStringList& log_;
};

// Just enough platform for the sound commands, on the virtual clock: traces and the device are recorded.
class SoundTestPlatform final : public VirtualClock {
public:
    SoundTestPlatform() : VirtualClock(0, QDateTime(QDate(2026, 1, 1), QTime(0, 0)), 1000) {}

    QStringList traces;
    QStringList deviceLog;
    int devicesOpened = 0;

    void Beep() override {}
    void Randomize() override {}
    double Rnd() override { return 0; }
    QString CurrentDirectory() override { return QDir::currentPath(); }
    QSize ScreenSizePixels() override { return {1920, 1080}; }
    double TwipsPerPixelX() override { return 15; }
    double TwipsPerPixelY() override { return 15; }
    std::unique_ptr<SoundDevice> OpenSoundDevice() override {
        ++devicesOpened;
        return std::make_unique<RecordingDevice>(deviceLog);
    }
    [[noreturn]] void EndProgram(int) override { qFatal("the sound player ended the program"); }
    [[noreturn]] void Fatal(const QString& message) override { qFatal("%s", qPrintable(message)); }
    void Trace(const TraceEvent& event) override { traces << event.ToText(); }

protected:
    qint64 NothingDue() override { qFatal("the sound player waits for something that will never come"); }
    [[noreturn]] void TooManyClockReads() override { qFatal("the sound player reads the clock without yielding"); }
};

}  // namespace

class SoundTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Before any device exists, so that its own filter sits above this capture.
        testHandler = qInstallMessageHandler(CaptureMessages);
    }
    void cleanupTestCase() { qInstallMessageHandler(testHandler); }

    void onlyTheToolkitsInformationIsLeftOut() {
        consoleMessages.clear();
        const QLoggingCategory backend("qt.multimedia.ffmpeg");
        qCInfo(backend) << "Using Qt multimedia with FFmpeg version 7.1";
        QCOMPARE(consoleMessages.size(), qsizetype(0));
        qCWarning(backend) << "the audio device went away";
        QCOMPARE(consoleMessages.size(), qsizetype(1));
        const QLoggingCategory ours("seance.sound");
        qCInfo(ours) << "a line of our own";
        QCOMPARE(consoleMessages.size(), qsizetype(2));
        consoleMessages.clear();
    }

    void init() {
        platform_.traces.clear();
        platform_.deviceLog.clear();
        platform_.devicesOpened = 0;
        SetPlatform(&platform_);
        SL_MM::Forget();
    }
    void cleanup() {
        SL_MM::Forget();
        SetPlatform(nullptr);
    }

    void jouerSonOpensOnceThenPlaysEachRequest() {
        QVERIFY(!SL_MM::Loaded());
        M_Orvalis2::FichierSon = QStringLiteral("Bravo.wav");
        M_Orvalis2::JouerSon();
        M_Orvalis2::FichierSon = QStringLiteral("SonMCM.wav");
        M_Orvalis2::JouerSon();
        M_Orvalis2::FichierSon = QStringLiteral("Bravo.wav");
        M_Orvalis2::JouerSon();

        QCOMPARE(platform_.traces, QStringList({"sound open", "sound sound Bravo.wav", "sound sound SonMCM.wav",
                                                "sound sound Bravo.wav"}));
        QCOMPARE(platform_.deviceLog, QStringList({"open", "sound Bravo.wav", "sound SonMCM.wav", "sound Bravo.wav"}));
        QCOMPARE(platform_.devicesOpened, 1);

        // The device was opened by its type alone, with notification, waiting and sharing off.
        const MultimediaControl& mmc = SL_MM::Instance().MMC1;
        QCOMPARE(mmc.DeviceType, QStringLiteral("WaveAudio"));
        QVERIFY(!mmc.Notify && !mmc.Wait && !mmc.Shareable);
        QCOMPARE(platform_.devicesOpened, 1);
    }

    void unloadClosesButTheEndOfTheProcessDoesNot() {
        M_Orvalis2::FichierSon = QStringLiteral("Bravo.wav");
        M_Orvalis2::JouerSon();
        SL_MM::Forget();
        QVERIFY(!platform_.traces.contains(QStringLiteral("sound close")));

        platform_.traces.clear();
        M_Orvalis2::JouerSon();  // a new window opens the device again
        SL_MM::Unload();
        QCOMPARE(platform_.traces, QStringList({"sound open", "sound sound Bravo.wav", "sound close"}));
        QVERIFY(!SL_MM::Loaded());
    }

    void theNameIsHandedOverAsStored() {
        for (const QString& name : {QString(), QStringLiteral("  Son MCM.WAV "), QStringLiteral("../x/Bravo.wav")}) {
            platform_.deviceLog.clear();
            M_Orvalis2::FichierSon = name;
            M_Orvalis2::JouerSon();
            QCOMPARE(platform_.deviceLog.last(), QStringLiteral("sound ") + name);
        }
    }

    void commandsAreCaseInsensitiveAndUnknownOnesDoNothing() {
        MultimediaControl mmc;
        mmc.Command = QStringLiteral("CLOSE");  // nothing open: nothing to close
        mmc.Command = QStringLiteral("play");
        mmc.Command = QString();
        QCOMPARE(platform_.devicesOpened, 0);
        QCOMPARE(platform_.traces, QStringList({"sound close"}));

        mmc.FileName = QStringLiteral("Bravo.wav");
        mmc.Command = QStringLiteral("Sound");  // the device is opened when first needed
        mmc.Command = QStringLiteral(" OPEN ");
        mmc.Command = QStringLiteral("Close");
        QCOMPARE(platform_.deviceLog, QStringList({"sound Bravo.wav", "open", "close"}));
        QCOMPARE(platform_.devicesOpened, 1);
    }

    // Every real-world file, under the name the course plays, through the real device.
    void realDeviceStaysQuietOnEveryCorpusFile() {
        const QStringList files = CorpusWaves();
        if (files.isEmpty()) QSKIP("no wave corpus");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString target = dir.filePath(QStringLiteral("Bravo.wav"));

        consoleMessages.clear();
        StderrCapture err;
        {
            WaveDevice device;
            device.Open();
            for (const QString& file : files) {
                QFile::remove(target);
                QVERIFY(QFile::copy(file, target));
                device.Sound(QStringLiteral("Bravo.wav"));
                QVERIFY(Settled(device));
            }
            // Requests overtaking each other all complete; only the last may play.
            for (int i = 0; i < 5; ++i) device.Sound(QStringLiteral("Bravo.wav"));
            QVERIFY(Settled(device));
            device.Close();
            QVERIFY(!device.Playing());
        }
        const QByteArray printed = err.Restore();
        QDir::setCurrent(home);
        QVERIFY2(printed.isEmpty(), printed.constData());
        QVERIFY2(consoleMessages.isEmpty(), qPrintable(consoleMessages.join('\n')));
    }

    void realDeviceIsSilentWithoutAPlayableFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        consoleMessages.clear();
        StderrCapture err;
        {
            WaveDevice device;
            device.Open();
            auto silent = [&](const char* what) {
                device.Sound(QStringLiteral("Bravo.wav"));
                QVERIFY(Settled(device));
                QVERIFY2(!device.Playing(), what);
            };
            silent("missing");
            QFile empty(QStringLiteral("Bravo.wav"));
            QVERIFY(empty.open(QIODevice::WriteOnly));
            empty.close();
            silent("empty");
            QVERIFY(empty.open(QIODevice::WriteOnly));
            empty.write("RIFF\x10\0\0\0WAVEthis is not a sound at all");
            empty.close();
            silent("not a wave");
            QFile::remove(QStringLiteral("Bravo.wav"));
            QVERIFY(QDir().mkdir(QStringLiteral("Bravo.wav")));
            silent("a folder");
            QDir().rmdir(QStringLiteral("Bravo.wav"));
            // Opening a pipe would wait for a writer that never comes.
            QCOMPARE(mkfifo("Bravo.wav", 0600), 0);
            silent("a pipe");
            device.Sound(QString());
            QVERIFY(Settled(device));
        }
        const QByteArray printed = err.Restore();
        QDir::setCurrent(home);
        QVERIFY2(printed.isEmpty(), printed.constData());
        QVERIFY2(consoleMessages.isEmpty(), qPrintable(consoleMessages.join('\n')));
    }

    // Where an output exists, a plain file is really heard; without one (as in CI), nothing is.
    void realDevicePlaysWhenThereIsAnOutput() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        WriteWave(dir.filePath(QStringLiteral("Bravo.wav")), 22050, {0.25f}, 22050, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        WaveDevice device;
        device.Open();
        device.Sound(QStringLiteral("Bravo.wav"));
        QVERIFY(Settled(device));
        QCOMPARE(device.Playing(), !QMediaDevices::defaultAudioOutput().isNull());
        device.Close();
        QVERIFY(!device.Playing());
        QDir::setCurrent(home);
    }

    void decodesTheFlavoursOfTheCorpus_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<long long>("frames");
        QTest::newRow("8-bit") << "go-audio-wav/8bit.wav" << 44100 << 1 << 88200LL;
        QTest::newRow("32-bit") << "go-audio-wav/32bit.wav" << 44100 << 1 << 88200LL;
        QTest::newRow("odd chunk, stereo") << "go-audio-wav/misaligned-chunk.wav" << 44100 << 2 << 564480LL;
        QTest::newRow("broadcast") << "go-audio-wav/bwf.wav" << 44100 << 1 << 7287LL;
        QTest::newRow("float big-endian") << "scipy/test-44100Hz-2ch-32bit-float-be.wav" << 44100 << 2 << 441LL;
        QTest::newRow("double extensible") << "scipy/test-48000Hz-2ch-64bit-float-le-wavex.wav" << 48000 << 2 << 480LL;
        QTest::newRow("rf64") << "scipy/test-44100Hz-le-1ch-4bytes-rf64.wav" << 44100 << 1 << 4410LL;
        QTest::newRow("mu-law") << "scipy/test-8000Hz-le-1ch-1byte-ulaw.wav" << 8000 << 1 << 9LL;
        QTest::newRow("five channels fold to two") << "scipy/test-8000Hz-le-5ch-9S-5bit.wav" << 8000 << 2 << 9LL;
        QTest::newRow("extensible float") << "hound/waveformatextensible-ieeefloat-44100Hz-mono.wav" << 44100 << 1 << 4LL;
        QTest::newRow("early end") << "scipy/test-44100Hz-le-1ch-4bytes-early-eof.wav" << 44100 << 1 << 236LL;
    }
    void decodesTheFlavoursOfTheCorpus() {
        QFETCH(QString, file);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(long long, frames);
        const QString path = QStringLiteral(SEANCE_CORPUS_DIR "/wav/") + file;
        if (!QFile::exists(path)) QSKIP("no wave corpus");
        const auto wave = DecodeWaveFile(path);
        QVERIFY(wave);
        QCOMPARE(wave->sampleRate, rate);
        QCOMPARE(wave->channelCount, channels);
        QCOMPARE(wave->FrameCount(), frames);
        float peak = 0;
        for (float s : wave->samples) peak = std::max(peak, std::abs(s));
        QVERIFY(peak > 0.0f && peak <= 1.0f);
    }

    // Damaged data of every kind: cut anywhere, bytes flipped. Whatever comes out is playable.
    void damagedDataNeverBreaksDecoding() {
        const QStringList files = CorpusWaves();
        if (files.isEmpty()) QSKIP("no wave corpus");
        QRandomGenerator random(20261207);
        for (const QString& file : files) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.read(4096);
            std::vector<QByteArray> variants;
            for (qsizetype cut = 0; cut < std::min<qsizetype>(bytes.size(), 160); ++cut) variants.push_back(bytes.left(cut));
            for (int i = 0; i < 60; ++i) {
                QByteArray mutated = bytes;
                for (int k = 0; k < 1 + i % 4; ++k)
                    if (!mutated.isEmpty())
                        mutated[random.bounded(static_cast<int>(std::min<qsizetype>(mutated.size(), 128)))] =
                            static_cast<char>(random.bounded(256));
                variants.push_back(mutated);
            }
            for (const QByteArray& data : variants) {
                const auto wave = DecodeWave(data);
                if (!wave) continue;
                QVERIFY(wave->channelCount == 1 || wave->channelCount == 2);
                QVERIFY(wave->FrameCount() <= std::min<long long>(kMaxWaveSeconds * wave->sampleRate, kMaxWaveFrames));
                for (float s : wave->samples) QVERIFY(std::isfinite(s) && std::abs(s) <= 1.0f);
                const PcmSound pcm = ToPcm(*wave, OutputCaps{});
                QVERIFY(!pcm.data.isEmpty());
            }
        }
    }

    // Only the format and the samples of a wave are read: whatever else a file holds, in whatever
    // order and however broken, the same sound comes out, and anything that is not a wave is refused.
    void onlyTheFormatAndSamplesOfAWaveAreRead() {
        const auto le16 = [](std::initializer_list<int> values) {
            QByteArray out;
            for (int v : values) {
                out += static_cast<char>(v & 0xFF);
                out += static_cast<char>((v >> 8) & 0xFF);
            }
            return out;
        };
        const auto be16 = [&](std::initializer_list<int> values) {
            QByteArray out = le16(values);
            for (qsizetype i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
            return out;
        };
        // Mono, 8000 Hz, 16 bits; eight samples.
        const QByteArray fmt = le16({1, 1, 8000, 0, 16000, 0, 2, 16});
        const QByteArray samples = le16({0, 4096, 8192, 16384, -16384, -8192, -4096, 0});
        // A list whose first item claims nearly 4 GiB: once enough to keep a decoder busy for minutes.
        const QByteArray badList = Chunk("LIST", QByteArray::fromHex("b8488b9ef7ffffff0200fdff0500f9ff"));

        const auto plain = DecodeWave(Wave(Chunk("fmt ", fmt) + Chunk("data", samples)));
        QVERIFY(plain);
        QCOMPARE(plain->FrameCount(), 8LL);
        QCOMPARE(plain->samples[3], 0.5f);

        const QList<std::pair<const char*, QByteArray>> same = {
            {"a broken list", Wave(Chunk("fmt ", fmt) + badList + Chunk("data", samples))},
            {"samples before the format", Wave(Chunk("data", samples) + Chunk("fmt ", fmt))},
            {"odd chunk without its pad byte", Wave(Chunk("fmt ", fmt) + Chunk("note", "abc", false, false) + Chunk("data", samples))},
            {"size never written", Wave(Chunk("fmt ", fmt) + Chunk("data", samples, false, true, 0))},
            {"size past the end", Wave(Chunk("fmt ", fmt) + Chunk("data", samples, false, true, 0xFFFFFF00))},
            {"big-endian", Wave(Chunk("fmt ", be16({1, 1, 0, 8000, 0, 16000, 2, 16}), true) +
                                    Chunk("data", be16({0, 4096, 8192, 16384, -16384, -8192, -4096, 0}), true),
                                "RIFX")},
        };
        for (const auto& [name, bytes] : same) {
            const auto wave = DecodeWave(bytes);
            QVERIFY2(wave, name);
            QVERIFY2(wave->sampleRate == 8000 && wave->samples == plain->samples, name);
        }

        const QList<std::pair<const char*, QByteArray>> refused = {
            {"no format", Wave(badList + Chunk("data", samples))},
            {"format too short", Wave(Chunk("fmt ", fmt.left(8)) + Chunk("data", samples))},
            {"no samples", Wave(Chunk("fmt ", fmt) + badList)},
            {"not a wave", Chunk("RIFF", "AVI " + Chunk("fmt ", fmt) + Chunk("data", samples))},
        };
        for (const auto& [name, bytes] : refused) QVERIFY2(!DecodeWave(bytes), name);

        // Other containers libsndfile knows are not waves either.
        QTemporaryDir dir;
        const QString aiff = dir.filePath(QStringLiteral("sound.aiff"));
        WriteWave(aiff, 8000, {0.5f}, 100, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
        QVERIFY(!DecodeWaveFile(aiff));
    }

    // A narration: the compressed formats libsndfile reads (Debian 12's reads and writes MP3 through
    // mpg123 and LAME), its length known without decoding it; their damaged files are no sound.
    void narrationsOfEveryFormatDecode_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("WAV") << "voix.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("FLAC") << "voix.flac" << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
        QTest::newRow("Ogg Vorbis") << "voix.ogg" << (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
        QTest::newRow("MP3") << "voix.mp3" << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    }
    void narrationsOfEveryFormatDecode() {
        QFETCH(QString, name);
        QFETCH(int, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        WriteWave(path, 44100, {0.25f, -0.25f}, 3 * 44100 / 2, format);
        const auto wave = DecodeWaveFile(path);
        QVERIFY(wave);
        QCOMPARE(wave->channelCount, 2);
        QVERIFY2(std::abs(wave->FrameCount() - 3 * 44100 / 2) < 3000, qPrintable(QString::number(wave->FrameCount())));
        QVERIFY2(std::abs(SoundMilliseconds(path) - 1500) < 70, qPrintable(QString::number(SoundMilliseconds(path))));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QByteArray head = f.read(6);
        f.resize(0);
        f.write(head + QByteArray(2000, '\x55'));  // its first bytes, then nothing it can read
        f.close();
        QVERIFY(!DecodeWaveFile(path));
        QCOMPARE(SoundMilliseconds(path), 0LL);
    }

    void longFilesAreCutAndChannelsFolded() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString longFile = dir.filePath(QStringLiteral("long.wav"));
        WriteWave(longFile, 8000, {0.5f}, (kMaxWaveSeconds + 10LL) * 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
        auto wave = DecodeWaveFile(longFile);
        QVERIFY(wave);
        QCOMPARE(wave->FrameCount(), kMaxWaveSeconds * 8000LL);
        QCOMPARE(SoundMilliseconds(longFile), kMaxWaveSeconds * 1000LL);

        const QString threeChannels = dir.filePath(QStringLiteral("three.wav"));
        WriteWave(threeChannels, 16000, {0.5f, -0.25f, 0.125f}, 100, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        wave = DecodeWaveFile(threeChannels);
        QVERIFY(wave);
        QCOMPARE(wave->channelCount, 2);
        QCOMPARE(wave->samples[0], 0.3125f);  // first and third together on the left
        QCOMPARE(wave->samples[1], -0.25f);

        // Too loud or not a number in a float file: held within full scale.
        const QString wild = dir.filePath(QStringLiteral("wild.wav"));
        WriteWave(wild, 16000, {4.0f, NAN}, 10, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        wave = DecodeWaveFile(wild);
        QVERIFY(wave);
        QCOMPARE(wave->samples[0], 1.0f);
        QCOMPARE(wave->samples[1], 0.0f);
    }

    void pcmFitsWhatTheOutputAccepts() {
        WaveSamples stereo{8000, 2, {1.0f, -1.0f, 0.0f, 0.5f}};
        PcmSound pcm = ToPcm(stereo, OutputCaps{});
        QCOMPARE(pcm.sampleRate, 8000);
        QCOMPARE(pcm.channelCount, 2);
        QCOMPARE(Int16Samples(pcm), std::vector<qint16>({32767, -32767, 0, 16384}));

        OutputCaps monoOnly;
        monoOnly.maximumChannels = 1;
        pcm = ToPcm(stereo, monoOnly);
        QCOMPARE(pcm.channelCount, 1);
        QCOMPARE(Int16Samples(pcm), std::vector<qint16>({0, 8192}));

        OutputCaps stereoOnly;
        stereoOnly.minimumChannels = 2;
        stereoOnly.int16 = false;
        pcm = ToPcm(WaveSamples{8000, 1, {0.25f}}, stereoOnly);
        QCOMPARE(pcm.channelCount, 2);
        QCOMPARE(pcm.data.size(), qsizetype(2 * sizeof(float)));
        float both[2];
        std::memcpy(both, pcm.data.constData(), sizeof both);
        QCOMPARE(both[0], 0.25f);
        QCOMPARE(both[1], 0.25f);

        OutputCaps surround;
        surround.minimumChannels = 4;
        pcm = ToPcm(stereo, surround);
        QCOMPARE(Int16Samples(pcm), std::vector<qint16>({32767, -32767, 0, 0, 0, 16384, 0, 0}));

        // A rate the output refuses is resampled to its preferred one, keeping the duration.
        WaveSamples slow{1000, 1, {0.0f, 1.0f}};
        pcm = ToPcm(slow, OutputCaps{});
        QCOMPARE(pcm.sampleRate, 48000);
        const auto samples = Int16Samples(pcm);
        QCOMPARE(samples.size(), size_t(96));
        QCOMPARE(samples[0], qint16(0));
        QCOMPARE(samples[24], qint16(16384));  // halfway between the two source samples
        QCOMPARE(samples[48], qint16(32767));
        QCOMPARE(samples[95], qint16(32767));
    }

private:
    SoundTestPlatform platform_;
};

QTEST_MAIN(SoundTest)
#include "test_sound.moc"
