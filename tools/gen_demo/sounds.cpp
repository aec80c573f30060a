#include "sounds.h"

#include <QFile>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace demo {

namespace {

constexpr int kRate = 44100;

void Write(const QString& path, const std::vector<double>& samples) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f) throw std::runtime_error("cannot create " + path.toStdString() + ": " + sf_strerror(nullptr));
    std::vector<short> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), [](double s) {
        return static_cast<short>(std::lround(std::clamp(s, -1.0, 1.0) * 32767));
    });
    const sf_count_t written = sf_write_short(f, pcm.data(), static_cast<sf_count_t>(pcm.size()));
    sf_close(f);
    if (written != static_cast<sf_count_t>(pcm.size())) throw std::runtime_error("cannot write " + path.toStdString());
}

}  // namespace

void WriteBravo(const QString& path) {
    // C6, E6, G6, C7 struck one after another, each a bell-like tone that rings out.
    const double notes[] = {1046.50, 1318.51, 1567.98, 2093.00};
    const double step = 0.09;
    const double length = 1.0;
    std::vector<double> s(static_cast<size_t>(length * kRate), 0.0);
    for (int n = 0; n < 4; ++n) {
        const size_t start = static_cast<size_t>(n * step * kRate);
        for (size_t i = start; i < s.size(); ++i) {
            const double t = static_cast<double>(i - start) / kRate;
            const double env = std::exp(-t * 5.0) * std::min(1.0, t * 400);
            const double f = notes[n];
            s[i] += 0.18 * env * (std::sin(2 * M_PI * f * t) + 0.35 * std::sin(2 * M_PI * 2 * f * t) +
                                  0.12 * std::sin(2 * M_PI * 3.01 * f * t));
        }
    }
    // Fade out the tail so that the file does not end on a click.
    const size_t fade = kRate / 20;
    for (size_t i = 0; i < fade; ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / fade;
    Write(path, s);
}

void WriteSonMcm(const QString& path) {
    // Two low buzzing tones, the second lower: a soft square wave made of odd harmonics.
    struct Tone {
        double freq, length;
    };
    const Tone tones[] = {{196.0, 0.16}, {147.0, 0.26}};
    std::vector<double> s;
    for (const Tone& tone : tones) {
        const size_t n = static_cast<size_t>(tone.length * kRate);
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double env = std::min({1.0, t * 200, (tone.length - t) * 60});
            double v = 0;
            for (int h = 1; h <= 9; h += 2) v += std::sin(2 * M_PI * h * tone.freq * t) / h;
            s.push_back(0.35 * env * v);
        }
        s.insert(s.end(), kRate / 40, 0.0);  // a short gap between the tones
    }
    Write(path, s);
}

}  // namespace demo
