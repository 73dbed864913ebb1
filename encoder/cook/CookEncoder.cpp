#include "encoder/cook/CookEncoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>

extern "C" {
#include <libavutil/tx.h>
}

#include "encoder/cook/CookTables.h"

namespace encoder::cook {

namespace {

constexpr std::uint32_t kMonoVersion = 0x1000001;
constexpr std::uint32_t kJointStereoVersion = 0x1000003;
constexpr int kMaxBands = 53;
constexpr int kMaxVectors = 128;

// frameBytes is the nominal rate's frame, rounded. The bands (20 coefficients each: 430.7 Hz at 44100 and
// 22050 Hz, 312.5 Hz at 8000 Hz) reach as near the top as the frame allows at every rate: a band the rate
// cannot pay for is played as noise at its level for the few bits of its power, which keeps far closer to
// the source's spectrum than silence does. Joint stereo sends the bands from jsSubbandStart up as one signal
// and a balance per coupling band, and the sum of subbands and jsSubbandStart is at most 53: the low rates
// keep three bands (1.3 kHz) of full stereo, the higher ones give a few top bands for more. The balance's
// bits are those that measured best on music at each rate.
constexpr Flavor kFlavors[] = {
    {8000, 1, 8000, 256, 32, 12, 0, 0},      // to 3.75 kHz
    {11025, 1, 8000, 256, 23, 12, 0, 0},     // to 5.2 kHz
    {11025, 1, 12000, 256, 35, 12, 0, 0},    // to 5.2 kHz
    {22050, 1, 16000, 512, 46, 25, 0, 0},    // to 10.8 kHz
    {22050, 1, 20000, 512, 58, 25, 0, 0},    // to 10.8 kHz
    {44100, 1, 32000, 1024, 93, 50, 0, 0},   // to 21.5 kHz
    {44100, 1, 48000, 1024, 139, 50, 0, 0},  // to 21.5 kHz
    {44100, 1, 64000, 1024, 186, 50, 0, 0},  // to 21.5 kHz
    {22050, 2, 20000, 512, 58, 25, 3, 3},    // to 10.8 kHz
    {22050, 2, 32000, 512, 93, 25, 6, 4},    // to 10.8 kHz
    {44100, 2, 32000, 1024, 93, 50, 3, 4},   // to 21.5 kHz
    {44100, 2, 48000, 1024, 139, 50, 3, 4},  // to 21.5 kHz
    {44100, 2, 64000, 1024, 186, 47, 6, 5},  // to 20.2 kHz
    {44100, 2, 96000, 1024, 279, 45, 8, 5},  // to 19.4 kHz
};

class BitWriter {
  public:
    explicit BitWriter(std::uint8_t* out, int bytes) : out_(out), capacity_(bytes * 8) {
        std::memset(out, 0, static_cast<size_t>(bytes));
    }
    void Put(unsigned value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (position_ < capacity_ && ((value >> i) & 1)) {
                out_[position_ >> 3] |= static_cast<std::uint8_t>(0x80 >> (position_ & 7));
            }
            ++position_;
        }
    }
    void Put(const Code& code) { Put(code.bits, code.length); }
    int Position() const { return position_; }

  private:
    std::uint8_t* out_;
    int capacity_;
    int position_ = 0;
};

// The envelope code table of a band, as the decoder picks it: by pairs of bands below the coupled ones.
int EnvelopeTable(int band, int jsStart) {
    int index = band;
    if (band >= jsStart * 2) {
        index -= jsStart;
    } else {
        index = std::max(index / 2, 1);
    }
    return std::min(index, 13) - 1;
}

// What the decoder derives from the envelope and the bits left: each band's category at rate-control index 0
// and the bands that get one category coarser at each further index, in order. Written as the decoder
// computes it, integer for integer, since both sides must agree exactly.
void Categorize(const int* power, int bands, int bitsLeft, int frameSamples, int vectors, int* category,
                int* order) {
    if (bitsLeft > frameSamples) {
        bitsLeft = frameSamples + ((bitsLeft - frameSamples) * 5) / 8;
    }
    auto clip7 = [](int v) { return std::clamp(v, 0, 7); };
    int bias = -32;
    for (int step = 32; step > 0; step /= 2) {
        int bits = 0;
        for (int b = 0; b < bands; ++b) {
            bits += kCategoryBits[clip7((step - power[b] + bias) / 2)];
        }
        if (bits >= bitsLeft - 32) {
            bias += step;
        }
    }
    int up[kMaxBands], down[kMaxBands];
    int bits = 0;
    for (int b = 0; b < bands; ++b) {
        up[b] = down[b] = clip7((bias - power[b]) / 2);
        bits += kCategoryBits[up[b]];
    }
    int list[kMaxVectors * 2] = {};
    int upEnd = vectors, downStart = vectors;
    int upBits = bits, downBits = bits;
    for (int j = 1; j < vectors; ++j) {
        if (upBits + downBits > 2 * bitsLeft) {
            int best = -999999, index = -1;
            for (int b = 0; b < bands; ++b) {
                if (up[b] < 7) {
                    const int v = -2 * up[b] - power[b] + bias;
                    if (v >= best) {
                        best = v;
                        index = b;
                    }
                }
            }
            if (index < 0) {
                break;
            }
            list[upEnd++] = index;
            upBits -= kCategoryBits[up[index]] - kCategoryBits[up[index] + 1];
            ++up[index];
        } else {
            int best = 999999, index = -1;
            for (int b = 0; b < bands; ++b) {
                if (down[b] > 0) {
                    const int v = -2 * down[b] - power[b] + bias;
                    if (v < best) {
                        best = v;
                        index = b;
                    }
                }
            }
            if (index < 0) {
                break;
            }
            list[--downStart] = index;
            downBits -= kCategoryBits[down[index]] - kCategoryBits[down[index] - 1];
            --down[index];
        }
    }
    std::copy_n(down, bands, category);
    std::copy_n(list + downStart, vectors - 1, order);
}

// The scale of a band: 2^(power / 2), as the decoder's table holds it.
float BandScale(int power) {
    return static_cast<float>(std::ldexp(power & 1 ? M_SQRT2 : 1.0, (power - (power & 1)) / 2));
}

// One category's quantizer: decision points between neighbouring indexes, and the vectors that have a code.
struct Quantizer {
    float threshold[14];  // |y| above threshold[k] rounds to an index above k
    std::vector<std::uint16_t> codable;
};

std::array<Quantizer, 7> MakeQuantizers() {
    std::array<Quantizer, 7> quantizers;
    for (int c = 0; c < 7; ++c) {
        Quantizer& q = quantizers[c];
        const float* centroid = kCentroids[c];
        // Index 0 plays random signs at the noise level: its expected error is y^2 + noise^2.
        const float noise = kNoiseLevel[c];
        q.threshold[0] = (centroid[1] * centroid[1] - noise * noise) / (2 * centroid[1]);
        for (int k = 1; k < kMaxIndex[c]; ++k) {
            q.threshold[k] = (centroid[k] + centroid[k + 1]) / 2;
        }
        int symbols = 1;
        for (int i = 0; i < kVectorLength[c]; ++i) {
            symbols *= kMaxIndex[c] + 1;
        }
        for (int s = 0; s < symbols; ++s) {
            if (kVectorCodes[c][s].length) {
                q.codable.push_back(static_cast<std::uint16_t>(s));
            }
        }
    }
    return quantizers;
}

const std::array<Quantizer, 7>& Quantizers() {
    static const std::array<Quantizer, 7> quantizers = MakeQuantizers();
    return quantizers;
}

// The quantized indexes of one band and what they cost and leave.
struct BandChoice {
    std::uint8_t index[kBandSize];
    int bits = 0;
    double error = 0;  // squared, in the band's steps
};

// Error of index k for a magnitude y (in steps) in category c.
inline float IndexError(int c, int k, float y) {
    if (k == 0) {
        return y * y + kNoiseLevel[c] * kNoiseLevel[c];
    }
    const float d = y - kCentroids[c][k];
    return d * d;
}

// Quantizes one band in category c (< 7) to minimize error + lambda * bits, lambda in squared steps per bit:
// each coefficient to its nearest index, then, with lambda, each index one lower where that pays, and an
// uncodable vector by a search of the codable ones.
void QuantizeBand(int c, const float* y, float lambda, BandChoice& out) {
    const Quantizer& q = Quantizers()[c];
    const int length = kVectorLength[c];
    const int radix = kMaxIndex[c] + 1;
    const Code* codes = kVectorCodes[c];
    out.bits = 0;
    out.error = 0;
    for (int v = 0; v < kVectorsPerBand[c]; ++v) {
        const float* yv = y + v * length;
        std::uint8_t* idx = out.index + v * length;
        int symbol = 0, nonzero = 0;
        float error = 0;
        for (int j = 0; j < length; ++j) {
            int k = 0;
            while (k < kMaxIndex[c] && yv[j] > q.threshold[k]) {
                ++k;
            }
            idx[j] = static_cast<std::uint8_t>(k);
            symbol = symbol * radix + k;
            nonzero += k != 0;
            error += IndexError(c, k, yv[j]);
        }
        auto symbolOf = [&](const std::uint8_t* digits) {
            int s = 0;
            for (int j = 0; j < length; ++j) {
                s = s * radix + digits[j];
            }
            return s;
        };
        if (!codes[symbol].length) {
            // Not every vector has a code: take the codable one of least cost.
            float best = INFINITY;
            int bestSymbol = 0;
            for (const std::uint16_t s : q.codable) {
                int rest = s, signs = 0;
                float e = 0;
                for (int j = length - 1; j >= 0; --j) {
                    const int k = rest % radix;
                    rest /= radix;
                    signs += k != 0;
                    e += IndexError(c, k, yv[j]);
                }
                const float cost = e + lambda * static_cast<float>(codes[s].length + signs);
                if (cost < best) {
                    best = cost;
                    bestSymbol = s;
                }
            }
            symbol = bestSymbol;
            int rest = symbol;
            nonzero = 0;
            error = 0;
            for (int j = length - 1; j >= 0; --j) {
                idx[j] = static_cast<std::uint8_t>(rest % radix);
                rest /= radix;
                nonzero += idx[j] != 0;
                error += IndexError(c, idx[j], yv[j]);
            }
        } else if (lambda > 0) {
            float cost = error + lambda * static_cast<float>(codes[symbol].length + nonzero);
            for (int j = 0; j < length; ++j) {
                // Never down to 0, which categories 0 to 4 play as silence: the band would lose loudness,
                // and the holes are heard (and cost more in its log spectrum than the error saved).
                if (idx[j] < 2) {
                    continue;
                }
                --idx[j];
                const int s = symbolOf(idx);
                const int nz = nonzero - (idx[j] == 0);
                const float e = error - IndexError(c, idx[j] + 1, yv[j]) + IndexError(c, idx[j], yv[j]);
                const float candidate = e + lambda * static_cast<float>(codes[s].length + nz);
                if (codes[s].length && candidate < cost) {
                    cost = candidate;
                    symbol = s;
                    nonzero = nz;
                    error = e;
                } else {
                    ++idx[j];
                }
            }
        }
        out.bits += codes[symbol].length + nonzero;
        out.error += error;
    }
}

void WriteBand(int c, const BandChoice& choice, const bool* negative, BitWriter& bits) {
    const int length = kVectorLength[c];
    const int radix = kMaxIndex[c] + 1;
    for (int v = 0; v < kVectorsPerBand[c]; ++v) {
        const std::uint8_t* idx = choice.index + v * length;
        int symbol = 0;
        for (int j = 0; j < length; ++j) {
            symbol = symbol * radix + idx[j];
        }
        bits.Put(kVectorCodes[c][symbol]);
        for (int j = 0; j < length; ++j) {
            if (idx[j]) {
                bits.Put(negative[v * length + j] ? 1 : 0, 1);
            }
        }
    }
}

}  // namespace

std::span<const Flavor> Flavors() {
    return kFlavors;
}

const Flavor* FindFlavor(int sampleRate, int channels, int bitRate) {
    for (const Flavor& f : kFlavors) {
        if (f.sampleRate == sampleRate && f.channels == channels && f.bitRate == bitRate) {
            return &f;
        }
    }
    return nullptr;
}

struct Encoder::State {
    Flavor flavor;
    int n = 0;  // samples per channel per frame
    bool joint = false;
    int bands = 0;  // bands the coded signal has (both channels' below the coupled ones)
    int vectorsLog2 = 5;
    std::vector<float> window;
    AVTXContext* tx = nullptr;
    av_tx_fn transform = nullptr;
    // The two frames a packet covers, per channel: the older is what the packet completes, the newer what it
    // starts (see kDelayFrames).
    std::vector<float> older[2], newer[2];
    std::vector<float> block, coefficients[2];

    ~State() { av_tx_uninit(&tx); }

    void Transform(int channel, const std::int16_t* samples);
    void EncodeSignal(const float* signal, BitWriter& bits);
    void Couple(BitWriter& bits, float* signal);
};

Encoder::Encoder(const Flavor& flavor) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.flavor = flavor;
    s.n = flavor.frameSamples;
    s.joint = flavor.channels == 2;
    s.bands = flavor.subbands + (s.joint ? flavor.jsSubbandStart : 0);
    if ((s.n != 256 && s.n != 512 && s.n != 1024) || flavor.channels < 1 || flavor.channels > 2 ||
        flavor.subbands < 1 || flavor.subbands * kBandSize > s.n || s.bands > kMaxBands ||
        (s.joint &&
         (flavor.jsVlcBits < 2 || flavor.jsVlcBits > 6 || flavor.jsSubbandStart > flavor.subbands))) {
        throw std::invalid_argument("not a shape the music codec can have");
    }
    if (s.joint) {
        s.vectorsLog2 = s.n > 512 ? 7 : s.n > 256 ? 6 : 5;
    }
    // The decoder's window is a sine scaled by sqrt(2 / n) and its inverse transform scales by 1 / 32768, so
    // a forward transform of unit size takes 16-bit samples to the decoder's scale; its sign is the other.
    s.window.resize(static_cast<size_t>(s.n));
    for (int i = 0; i < s.n; ++i) {
        s.window[i] = static_cast<float>(std::sin((i + 0.5) * M_PI / (2.0 * s.n)) * std::sqrt(2.0 / s.n));
    }
    const float scale = -1.0f;
    if (av_tx_init(&s.tx, &s.transform, AV_TX_FLOAT_MDCT, 0, s.n, &scale, AV_TX_UNALIGNED) < 0) {
        throw std::runtime_error("no transform");
    }
    for (int c = 0; c < flavor.channels; ++c) {
        s.older[c].assign(static_cast<size_t>(s.n), 0.0f);
        s.newer[c].assign(static_cast<size_t>(s.n), 0.0f);
        s.coefficients[c].assign(static_cast<size_t>(s.n), 0.0f);
    }
    s.block.assign(static_cast<size_t>(2 * s.n), 0.0f);
}

Encoder::~Encoder() = default;

const Flavor& Encoder::Shape() const {
    return state_->flavor;
}

std::vector<std::uint8_t> Encoder::CodecData() const {
    const Flavor& f = state_->flavor;
    std::vector<std::uint8_t> data;
    auto put = [&data](std::uint32_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) {
            data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    };
    put(state_->joint ? kJointStereoVersion : kMonoVersion, 4);
    put(static_cast<std::uint32_t>(f.frameSamples * f.channels), 2);
    put(static_cast<std::uint32_t>(f.subbands), 2);
    if (state_->joint) {
        put(0, 4);
        put(static_cast<std::uint32_t>(f.jsSubbandStart), 2);
        put(static_cast<std::uint32_t>(f.jsVlcBits), 2);
    }
    return data;
}

// The coefficients of the packet that completes the older frame and starts the newer one, in the decoder's
// arrangement: it plays the second half of its inverse transform windowed, minus the first half of the one
// before, so the newer frame goes into the first half, reversed in window and sign.
void Encoder::State::Transform(int channel, const std::int16_t* samples) {
    const int channels = flavor.channels;
    std::vector<float>& old = older[channel];
    std::vector<float>& cur = newer[channel];
    for (int i = 0; i < n; ++i) {
        block[i] = -window[n - 1 - i] * cur[i];
        block[n + i] = window[i] * old[i];
    }
    transform(tx, coefficients[channel].data(), block.data(), sizeof(float));
    std::swap(old, cur);
    for (int i = 0; i < n; ++i) {
        cur[i] = samples[i * channels + channel];
    }
}

void Encoder::Encode(const std::int16_t* samples, std::uint8_t* out) {
    State& s = *state_;
    BitWriter bits(out, s.flavor.frameBytes);
    bits.Put(0, 1);  // no gain changes
    for (int c = 0; c < s.flavor.channels; ++c) {
        s.Transform(c, samples);
    }
    float signal[kMaxBands * kBandSize];
    if (s.joint) {
        s.Couple(bits, signal);
    } else {
        std::copy_n(s.coefficients[0].data(), s.bands * kBandSize, signal);
    }
    s.EncodeSignal(signal, bits);
    // Every 32 bits of the frame go out XORed with this word, which the decoder takes off again.
    static constexpr std::uint8_t kKey[4] = {0x37, 0xc5, 0x11, 0xf2};
    for (int i = 0; i < s.flavor.frameBytes; ++i) {
        out[i] ^= kKey[i & 3];
    }
}

// Joint stereo: the bands below jsSubbandStart go as left and right in turn; each coupling band above sends
// one signal and a balance index that splits it between the channels at constant power.
void Encoder::State::Couple(BitWriter& bits, float* signal) {
    const float* left = coefficients[0].data();
    const float* right = coefficients[1].data();
    const int js = flavor.jsSubbandStart;
    for (int b = 0; b < js; ++b) {
        std::copy_n(left + b * kBandSize, kBandSize, signal + 2 * b * kBandSize);
        std::copy_n(right + b * kBandSize, kBandSize, signal + (2 * b + 1) * kBandSize);
    }
    const int steps = (1 << flavor.jsVlcBits) - 1;  // indexes 0 .. steps - 1
    const float* scales = kCouplingScales[flavor.jsVlcBits - 2];
    const Code* codes = kCouplingCodes[flavor.jsVlcBits - 2];
    const int first = kCouplingBand[js], last = kCouplingBand[flavor.subbands - 1];
    int chosen[kMaxBands] = {};
    int vlcBits = 0;
    for (int cb = first; cb <= last; ++cb) {
        double ll = 0, rr = 0, lr = 0;
        for (int b = js; b < flavor.subbands; ++b) {
            if (kCouplingBand[b] != cb) {
                continue;
            }
            for (int i = b * kBandSize; i < (b + 1) * kBandSize; ++i) {
                ll += left[i] * left[i];
                rr += right[i] * right[i];
                lr += left[i] * right[i];
            }
        }
        // The split that keeps the most of both channels.
        double best = -1;
        for (int d = 0; d < steps; ++d) {
            const double f1 = scales[d + 1], f2 = scales[steps - d];
            const double kept = f1 * f1 * ll + 2 * f1 * f2 * lr + f2 * f2 * rr;
            if (kept > best) {
                best = kept;
                chosen[cb] = d;
            }
        }
        vlcBits += codes[chosen[cb]].length;
    }
    if (first <= last) {
        const bool vlc = vlcBits < (last - first + 1) * flavor.jsVlcBits;
        bits.Put(vlc ? 1 : 0, 1);
        for (int cb = first; cb <= last; ++cb) {
            if (vlc) {
                bits.Put(codes[chosen[cb]]);
            } else {
                bits.Put(static_cast<unsigned>(chosen[cb]), flavor.jsVlcBits);
            }
        }
    } else {
        bits.Put(0, 1);
    }
    for (int b = js; b < flavor.subbands; ++b) {
        const int d = chosen[kCouplingBand[b]];
        const float f1 = scales[d + 1], f2 = scales[steps - d];
        float* m = signal + (js + b) * kBandSize;
        double projected = 0, total = 0;
        for (int i = 0; i < kBandSize; ++i) {
            const float l = left[b * kBandSize + i], r = right[b * kBandSize + i];
            m[i] = f1 * l + f2 * r;
            projected += m[i] * m[i];
            total += l * l + r * r;
        }
        // What the split cannot place (sound out of phase between the channels) is made up in level, so that
        // a band keeps its loudness; at most twice, where little is left.
        if (projected > 0) {
            const float gain = static_cast<float>(std::min(2.0, std::sqrt(total / projected)));
            for (int i = 0; i < kBandSize; ++i) {
                m[i] *= gain;
            }
        }
    }
}

// The envelope, the rate-control index and the coefficients of one coded signal, filling the frame.
void Encoder::State::EncodeSignal(const float* signal, BitWriter& bits) {
    const int js = joint ? flavor.jsSubbandStart : 0;
    int power[kMaxBands] = {};
    for (int b = 0; b < bands; ++b) {
        double energy = 0;
        for (int i = 0; i < kBandSize; ++i) {
            energy += static_cast<double>(signal[b * kBandSize + i]) * signal[b * kBandSize + i];
        }
        const double rms = std::sqrt(energy / kBandSize);
        power[b] = rms > 0 ? static_cast<int>(std::lround(2 * std::log2(rms))) : -63;
        power[b] = std::clamp(power[b], -63, 63);
    }
    // The differences must lie in -12 .. 11 and the first power in -6 .. 57: powers are raised, not lowered,
    // so that a band is never coded below its level.
    for (int b = bands - 2; b >= 0; --b) {
        power[b] = std::max(power[b], power[b + 1] - 11);
    }
    power[0] = std::clamp(power[0], -6, 57);
    for (int b = 1; b < bands; ++b) {
        power[b] = std::clamp(power[b], power[b - 1] - 12, power[b - 1] + 11);
    }
    bits.Put(static_cast<unsigned>(power[0] + 6), 6);
    for (int b = 1; b < bands; ++b) {
        bits.Put(kEnvelopeCodes[EnvelopeTable(b, js)][power[b] - power[b - 1] + 12]);
    }
    const int vectors = 1 << vectorsLog2;
    const int frameBits = flavor.frameBytes * 8;
    const int available = frameBits - bits.Position() - vectorsLog2;

    int base[kMaxBands], order[kMaxVectors];
    Categorize(power, bands, available, n, vectors, base, order);

    // Magnitudes in steps of each band's scale, and signs.
    float magnitude[kMaxBands * kBandSize];
    bool negative[kMaxBands * kBandSize];
    float weight[kMaxBands];  // squared scale: turns a band's error in steps into the signal's
    for (int b = 0; b < bands; ++b) {
        const float scale = BandScale(power[b]);
        weight[b] = scale * scale;
        for (int i = b * kBandSize; i < (b + 1) * kBandSize; ++i) {
            magnitude[i] = std::fabs(signal[i]) / scale;
            negative[i] = signal[i] < 0;
        }
    }
    // Each band's cost and error in every category, nearest indexes.
    static thread_local BandChoice nearest[kMaxBands][kCategories];
    for (int b = 0; b < bands; ++b) {
        for (int c = 0; c < 7; ++c) {
            QuantizeBand(c, magnitude + b * kBandSize, 0, nearest[b][c]);
        }
        BandChoice& silent = nearest[b][7];
        std::fill_n(silent.index, kBandSize, 0);
        silent.bits = 0;
        silent.error = 0;
        for (int i = b * kBandSize; i < (b + 1) * kBandSize; ++i) {
            silent.error += magnitude[i] * magnitude[i] + kNoiseLevel[7] * kNoiseLevel[7];
        }
    }
    // Categories at each rate-control index; an index that would take a band past 7 is one the decoder
    // refuses, and so are all after it.
    static thread_local int categories[kMaxVectors][kMaxBands];
    std::copy_n(base, bands, categories[0]);
    int usable = vectors;
    for (int r = 1; r < vectors; ++r) {
        std::copy_n(categories[r - 1], bands, categories[r]);
        if (++categories[r][order[r - 1]] > 7) {
            usable = r;
            break;
        }
    }
    auto nearestBits = [&](int r) {
        int total = 0;
        for (int b = 0; b < bands; ++b) {
            total += nearest[b][categories[r][b]].bits;
        }
        return total;
    };
    int fit = usable - 1;
    for (int r = 0; r < usable; ++r) {
        if (nearestBits(r) <= available) {
            fit = r;
            break;
        }
    }
    // The first index that fits with the nearest indexes leaves bits over; a finer index with some indexes
    // rounded down (error traded against bits at one rate for all bands) may spend them better.
    static thread_local BandChoice trial[kMaxBands], best[kMaxBands];
    double bestError = 0;
    for (int b = 0; b < bands; ++b) {
        best[b] = nearest[b][categories[fit][b]];
        bestError += best[b].error * weight[b];
    }
    int bestIndex = fit;
    float maxWeight = 0;
    for (int b = 0; b < bands; ++b) {
        maxWeight = std::max(maxWeight, weight[b]);
    }
    auto tryIndex = [&](int r, float lambda) {
        int total = 0;
        double error = 0;
        for (int b = 0; b < bands; ++b) {
            const int c = categories[r][b];
            if (c == 7) {
                trial[b] = nearest[b][7];
            } else {
                QuantizeBand(c, magnitude + b * kBandSize, lambda / weight[b], trial[b]);
            }
            total += trial[b].bits;
            error += trial[b].error * weight[b];
        }
        return std::pair{total, error};
    };
    for (int r = fit - 1; r >= std::max(0, fit - 2); --r) {
        // Bisect lambda (on a log scale) for the least that fits.
        float low = maxWeight * 1e-4f, high = maxWeight * 64;
        if (tryIndex(r, high).first > available) {
            break;
        }
        for (int step = 0; step < 7; ++step) {
            const float middle = std::sqrt(low * high);
            if (tryIndex(r, middle).first <= available) {
                high = middle;
            } else {
                low = middle;
            }
        }
        const auto [total, error] = tryIndex(r, high);
        if (total <= available && error < bestError) {
            bestError = error;
            bestIndex = r;
            std::copy_n(trial, bands, best);
        }
    }
    // A frame too small even for the coarsest index (it never is for the flavors) would be cut short by the
    // decoder's bit check and its last bands played as noise.
    bits.Put(static_cast<unsigned>(bestIndex), vectorsLog2);
    for (int b = 0; b < bands; ++b) {
        const int c = categories[bestIndex][b];
        if (c < 7) {
            WriteBand(c, best[b], negative + b * kBandSize, bits);
        }
    }
}

}  // namespace encoder::cook
