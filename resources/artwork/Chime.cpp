#include "Chime.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "LittleEndian.h"

namespace {
constexpr int Rate = 44100;
}  // namespace

QByteArray MakeChimeWav() {
    struct Note {
        double start, frequency, decay;
    };
    // A bell-like tone per note: a fundamental with a few softer overtones, a 4 ms rise against clicks and
    // an exponential fade.
    const Note notes[] = {
        {0.00, 523.25, 0.30}, {0.10, 659.26, 0.30}, {0.20, 783.99, 0.35}, {0.30, 1046.50, 0.60}};
    const double length = 1.3;
    std::vector<double> mix(static_cast<std::size_t>(length * Rate), 0.0);
    for (const Note& n : notes) {
        for (std::size_t i = static_cast<std::size_t>(n.start * Rate); i < mix.size(); ++i) {
            const double t = double(i) / Rate - n.start;
            const double rise = std::min(1.0, t / 0.004);
            const double fade = std::exp(-t / n.decay);
            const double w = 2 * M_PI * n.frequency * t;
            mix[i] += rise * fade *
                      (std::sin(w) + 0.35 * std::sin(2 * w) * std::exp(-t / 0.15) +
                       0.12 * std::sin(3 * w) * std::exp(-t / 0.08));
        }
    }
    // The last 80 ms fade to silence so the file ends without a click.
    const std::size_t tail = Rate * 8 / 100;
    for (std::size_t k = 0; k < tail; ++k)
        mix[mix.size() - 1 - k] *= double(k) / tail;
    double peak = 0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double gain = peak > 0 ? 0.7 * 32767 / peak : 0;

    QByteArray pcm;
    for (double v : mix)
        PutU16(pcm, quint16(qint16(std::lround(v * gain))));
    QByteArray wav("RIFF");
    PutU32(wav, quint32(36 + pcm.size()));
    wav.append("WAVEfmt ");
    PutU32(wav, 16);
    PutU16(wav, 1);  // PCM
    PutU16(wav, 1);  // mono
    PutU32(wav, Rate);
    PutU32(wav, Rate * 2);
    PutU16(wav, 2);
    PutU16(wav, 16);
    wav.append("data");
    PutU32(wav, quint32(pcm.size()));
    wav.append(pcm);
    return wav;
}
