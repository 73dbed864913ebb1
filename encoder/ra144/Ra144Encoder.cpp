#include "encoder/ra144/Ra144Encoder.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "encoder/ra144/Ra144Arithmetic.h"

// The search in a form for the wider vectors of newer x86-64 processors too, chosen when the program
// loads. Not under ThreadSanitizer: it would instrument the chooser, which runs before its runtime is up.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define RA144_WIDE_VECTORS __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define RA144_WIDE_VECTORS
#endif

namespace encoder::ra144 {

struct BitWriter {
    std::uint8_t* out;
    int at = 0;  // bits written
    void Put(int count, unsigned value) {
        for (int i = count - 1; i >= 0; --i, ++at)
            if ((value >> i) & 1)
                out[at >> 3] |= static_cast<std::uint8_t>(0x80 >> (at & 7));
    }
};

namespace {

// Fixed-codebook candidates (pairs of opposite vectors) filtered and ranked exactly after the ranking
// through the basis: six keep the choices of the exhaustive search but for a few hundredths of a dB.
constexpr int kExactCandidates = 6;
constexpr int kHalf = kFixedSize / 2;  // vector 127 - i is minus vector i
constexpr int kBasis = 7;              // vectors each fixed codebook is nearly the signed sum of

using Vec = float[kSubblock];

float Dot(const float* a, const float* b) {
    float s = 0;
    for (int i = 0; i < kSubblock; ++i)
        s += a[i] * b[i];
    return s;
}

// The impulse response with a subblock of zeros before it, so that filtering runs over whole subblocks.
struct Response {
    float padded[2 * kSubblock] = {};
    const float* h = padded + kSubblock;
};

// y = H x, H the (lower triangular) matrix of the impulse response.
void Filter(const Response& r, const float* x, float* y) {
    std::fill(y, y + kSubblock, 0.0f);
    for (int k = 0; k < kSubblock; ++k) {
        const float v = x[k];
        const float* shifted = r.h - k;  // zero before k
        for (int n = 0; n < kSubblock; ++n)
            y[n] += v * shifted[n];
    }
}

// y = H' x.
void FilterBack(const Response& r, const float* x, float* y) {
    for (int k = 0; k < kSubblock; ++k) {
        const float* shifted = r.h - k;
        float s = 0;
        for (int n = 0; n < kSubblock; ++n)
            s += shifted[n] * x[n];
        y[k] = s;
    }
}

// The fixed codebooks in float, the first half transposed for ranking all candidates at once, and the
// seven vectors each is nearly built of: vector i is close to the sum of basis m, signed by bit m of i.
struct FixedBook {
    float vectors[kFixedSize][kSubblock];
    float columns[kSubblock][kHalf];
    float basis[kBasis][kSubblock];
    float pairSigns[kBasis * (kBasis - 1) / 2][kHalf];  // sign of bit m times sign of bit k, m < k

    explicit FixedBook(const std::int8_t (*table)[kSubblock]) {
        for (int i = 0; i < kFixedSize; ++i)
            for (int k = 0; k < kSubblock; ++k)
                vectors[i][k] = table[i][k];
        for (int k = 0; k < kSubblock; ++k)
            for (int i = 0; i < kHalf; ++i)
                columns[k][i] = table[i][k];
        for (int m = 0; m < kBasis; ++m)
            for (int k = 0; k < kSubblock; ++k) {
                float s = 0;
                for (int i = 0; i < kFixedSize; ++i)
                    s += ((i >> m) & 1 ? 1.0f : -1.0f) * table[i][k];
                basis[m][k] = s / kFixedSize;
            }
        int pair = 0;
        for (int m = 0; m < kBasis; ++m)
            for (int k = m + 1; k < kBasis; ++k, ++pair)
                for (int i = 0; i < kHalf; ++i)
                    pairSigns[pair][i] = ((i >> m) & 1) == ((i >> k) & 1) ? 1.0f : -1.0f;
    }
};

const FixedBook& Book(int which) {
    static const FixedBook first(kFixedVectors1), second(kFixedVectors2);
    return which == 0 ? first : second;
}

// What a search is matched against: the target, and up to two filtered vectors the candidates are made
// orthogonal to first (each orthogonal to the one before).
struct Ortho {
    const float* u = nullptr;
    float uu = 0;  // |u|^2
    float tu = 0;  // <target, u>
    Vec back{};    // H' u
};

// The best vector of a fixed codebook for `target` once made orthogonal to `o1` and `o2` (either may be
// empty), as the exhaustive search finds it: the largest c^2/g with c > 0, c the filtered vector's dot
// product with the target and g its energy. The candidates are ranked through the basis first; the best
// kExactCandidates of them are filtered and ranked exactly. Returns the index and sets the gain (0: none
// fits).
RA144_WIDE_VECTORS int SearchFixed(const FixedBook& book, const Response& h, const float* target,
                                   const Ortho& o1, const Ortho& o2, float& gain) {
    gain = 0;
    Vec back;
    FilterBack(h, target, back);
    // Dot products of every candidate of the first half with H' target and H' u.
    float c[kHalf] = {}, q1[kHalf] = {}, q2[kHalf] = {};
    for (int k = 0; k < kSubblock; ++k)
        for (int i = 0; i < kHalf; ++i)
            c[i] += book.columns[k][i] * back[k];
    for (const auto& [o, q] : {std::pair{&o1, q1}, std::pair{&o2, q2}})
        if (o->u)
            for (int k = 0; k < kSubblock; ++k)
                for (int i = 0; i < kHalf; ++i)
                    q[i] += book.columns[k][i] * o->back[k];
    // Energies through the basis: |sum_m s_m H b_m|^2 = sum_m G_mm + 2 sum_m<k s_m s_k G_mk.
    Vec filtered[kBasis];
    for (int m = 0; m < kBasis; ++m)
        Filter(h, book.basis[m], filtered[m]);
    float diagonal = 0;
    for (int m = 0; m < kBasis; ++m)
        diagonal += Dot(filtered[m], filtered[m]);
    float energy[kHalf];
    std::fill(energy, energy + kHalf, diagonal);
    int pair = 0;
    for (int m = 0; m < kBasis; ++m)
        for (int k = m + 1; k < kBasis; ++k, ++pair) {
            const float g = 2 * Dot(filtered[m], filtered[k]);
            for (int i = 0; i < kHalf; ++i)
                energy[i] += g * book.pairSigns[pair][i];
        }
    const float w1 = o1.u ? o1.tu / o1.uu : 0, w2 = o2.u ? o2.tu / o2.uu : 0;
    const float r1 = o1.u ? 1 / o1.uu : 0, r2 = o2.u ? 1 / o2.uu : 0;
    // The shortlist, best first.
    constexpr int exact = kExactCandidates;
    int shortlist[exact];
    float shortScore[exact];
    int listed = 0;
    for (int i = 0; i < kHalf; ++i) {
        const float ci = c[i] - q1[i] * w1 - q2[i] * w2;
        const float gi = std::max(energy[i] - q1[i] * q1[i] * r1 - q2[i] * q2[i] * r2, 1e-3f * energy[i]);
        const float score = ci * ci / gi;
        if (listed == exact && score <= shortScore[listed - 1])
            continue;
        int at = listed < exact ? listed++ : listed - 1;
        for (; at > 0 && shortScore[at - 1] < score; --at) {
            shortScore[at] = shortScore[at - 1];
            shortlist[at] = shortlist[at - 1];
        }
        shortScore[at] = score;
        shortlist[at] = ci > 0 ? i : kFixedSize - 1 - i;
    }
    int best = 0;
    float bestScore = 0;
    for (int n = 0; n < listed; ++n) {
        const int i = shortlist[n];
        Vec y;
        Filter(h, book.vectors[i], y);
        for (const Ortho* o : {&o1, &o2})
            if (o->u) {
                const float f = Dot(y, o->u) / o->uu;
                for (int k = 0; k < kSubblock; ++k)
                    y[k] -= f * o->u[k];
            }
        const float ci = Dot(target, y), gi = Dot(y, y);
        if (ci <= 0)
            continue;
        const float score = ci / gi * ci;
        if (score > bestScore || (score == bestScore && i < best)) {
            bestScore = score;
            best = i;
            gain = ci / gi;
        }
    }
    return best;
}

void MakeOrtho(const float* u, const Response& h, const float* target, Ortho& o) {
    o.u = u;
    o.uu = Dot(u, u);
    o.tu = Dot(target, u);
    FilterBack(h, u, o.back);
}

}  // namespace

Encoder::Encoder() = default;

void Encoder::FitFilter(const std::int32_t* window, std::int16_t* coefs) const {
    // Autocorrelation of the samples weighted by the square of their distance (in samples) to the nearer
    // end of the window, less one: the weighting of the usual encoder, so that the filters are the ones
    // its decoders were heard with. On music it is 1.7 dB better than a Welch window over the frame.
    double x[kFrame];
    constexpr int kMiddle = kFrame / 2;
    constexpr double kStep = 2.0 / (kFrame - 1);
    for (int i = 0; i < kMiddle; ++i) {
        const double d = kStep - kMiddle + i, w = d * d - 1;
        x[kMiddle - 1 - i] = window[kMiddle - 1 - i] * w;
        x[kMiddle + i] = window[kMiddle + i] * w;
    }
    double r[kOrder + 1];
    for (int lag = 0; lag <= kOrder; ++lag) {
        double s = 1;  // keeps silence from dividing by zero
        for (int i = lag; i < kFrame; ++i)
            s += x[i] * x[i - lag];
        r[lag] = s;
    }
    double a[kOrder + 1] = {1.0};  // A(z) = 1 + a1 z^-1 + ...
    if (r[0] > 0) {
        double err = r[0];
        for (int i = 1; i <= kOrder; ++i) {
            double acc = r[i];
            for (int j = 1; j < i; ++j)
                acc += a[j] * r[i - j];
            const double k = -acc / err;
            double next[kOrder + 1];
            std::copy(a, a + kOrder + 1, next);
            for (int j = 1; j < i; ++j)
                next[j] = a[j] + k * a[i - j];
            next[i] = k;
            std::copy(next, next + kOrder + 1, a);
            err *= 1 - k * k;
            if (err <= 0)
                break;
        }
    }
    // 12 fractional bits, each coefficient's rounding error carried into the next.
    double largest = 0;
    for (int i = 1; i <= kOrder; ++i)
        largest = std::max(largest, std::abs(a[i]));
    int shift = 12;
    while (shift > 0 && largest * (1 << shift) > 32767)
        --shift;
    double error = 0;
    for (int i = 0; i < kOrder; ++i) {
        error += a[i + 1] * (1 << shift);
        const long q = std::clamp(std::lrint(error), -32767L, 32767L);
        error -= static_cast<double>(q);
        coefs[i] = static_cast<std::int16_t>(q * (1 << (12 - shift)));
    }
}

Encoder::Packet Encoder::Encode(const std::int16_t* next) {
    Packet packet{};
    BitWriter bits{packet.data()};

    // The filter is fitted to the last 100 samples of the frame and the first 60 of the next one.
    std::int32_t window[kFrame];
    int energy = 0;
    for (int i = 0; i < kFrame; ++i) {
        const int s = i < 100 ? frame_[60 + i] : next ? next[i - 100] >> 2 : 0;
        window[i] = s;
        energy += (s * s) >> 4;
    }
    const unsigned level = static_cast<unsigned>(
        kEnergies[Nearest(ScaledSqrt(static_cast<std::uint32_t>(energy >> 5)) >> 10, kEnergies, 32)]);

    std::int16_t block[kSubblocks][kOrder];
    FitFilter(window, block[3]);
    int refl[kOrder];
    if (Reflections(block[3], refl)) {
        // Unstable: the filter of the frame before, or none.
        for (int i = 0; i < kOrder; ++i)
            block[3][i] = static_cast<std::int16_t>(coefs_[1][i]);
        if (Reflections(block[3], refl))
            std::fill(refl, refl + kOrder, 0);
    }
    for (int i = 0; i < kOrder; ++i) {
        const int index = Nearest(refl[i], kReflections[i], 1 << kReflectionBits[i]);
        bits.Put(kReflectionBits[i], static_cast<unsigned>(index));
        refl[i] = kReflections[i][index];
    }

    // From here on exactly as a decoder reads the frame.
    reflectionRms_[0] = ReflectionRms(refl);
    FilterOf(refl, coefs_[0]);
    unsigned levels[kSubblocks];
    // The filters of the first three subblocks are between the last frame's and this one's.
    auto interpolate = [&](std::int16_t* out, int a, int copyOld, unsigned e) {
        for (int i = 0; i < kOrder; ++i)
            out[i] = static_cast<std::int16_t>(
                (std::int64_t{a} * coefs_[0][i] + std::int64_t{4 - a} * coefs_[1][i]) >> 2);
        int work[kOrder];
        if (Reflections(out, work)) {
            for (int i = 0; i < kOrder; ++i)
                out[i] = static_cast<std::int16_t>(coefs_[copyOld][i]);
            return Rescale(reflectionRms_[copyOld], e);
        }
        return Rescale(ReflectionRms(work), e);
    };
    levels[0] = interpolate(block[0], 1, 1, oldEnergy_);
    levels[1] = interpolate(block[1], 2, level <= oldEnergy_ ? 1 : 0,
                            static_cast<unsigned>(ScaledSqrt(level * oldEnergy_) >> 12));
    levels[2] = interpolate(block[2], 3, 0, level);
    levels[3] = Rescale(reflectionRms_[0], level);
    for (int i = 0; i < kOrder; ++i)
        block[3][i] = static_cast<std::int16_t>(coefs_[0][i]);
    bits.Put(5, static_cast<unsigned>(Nearest(static_cast<int>(level), kEnergies, 32)));

    for (int i = 0; i < kSubblocks; ++i)
        EncodeSubblock(i, block[i], levels[i], bits);

    oldEnergy_ = level;
    reflectionRms_[1] = reflectionRms_[0];
    std::copy(coefs_[0], coefs_[0] + kOrder, coefs_[1]);
    for (int i = 0; i < kFrame; ++i)
        frame_[i] = next ? static_cast<std::int16_t>(next[i] >> 2) : 0;
    return packet;
}

RA144_WIDE_VECTORS void Encoder::EncodeSubblock(int index, const std::int16_t* coefs, unsigned level,
                                                BitWriter& bits) {
    const std::int16_t* samples = frame_ + index * kSubblock;
    float a[kOrder];
    for (int i = 0; i < kOrder; ++i)
        a[i] = coefs[i] * (1 / 4096.0f);

    // What the filter's memory alone plays, taken off the target; and the filter's impulse response.
    float ring[kOrder + kSubblock];
    for (int i = 0; i < kOrder; ++i)
        ring[i] = history_[kSubblock + i];
    Vec target;
    Response response;
    float* h = response.padded + kSubblock;
    for (int n = 0; n < kSubblock; ++n) {
        float s = 0;
        for (int i = 0; i < kOrder; ++i)
            s -= a[i] * ring[kOrder + n - 1 - i];
        ring[kOrder + n] = s;
        target[n] = samples[n] - s;
    }
    for (int n = 0; n < kSubblock; ++n) {
        float s = n == 0 ? 1.0f : 0.0f;
        for (int i = 0; i < kOrder && i < n; ++i)
            s -= a[i] * h[n - 1 - i];
        h[n] = s;
    }

    // Adaptive codebook: every lag from 20 to 146. The filtered start of the vector at lag L, z_L, is
    // z_{L-1} moved on by a sample plus the newly taken excitation sample times h; below 40 the vector
    // repeats after L samples, and so does its filtered form.
    float running[kAdaptiveSize + 2 * kSubblock] = {};
    Vec adaptive{};  // the best filtered adaptive vector
    int lag = 0;
    float best = 0, adaptiveGain = 0;
    for (int L = 1; L <= kAdaptiveSize; ++L) {
        float* z = running + kAdaptiveSize - L;
        const float e = adaptive_[kAdaptiveSize - L];
        for (int n = 0; n < kSubblock; ++n)
            z[n] += e * h[n];
        if (L < kSubblock / 2)
            continue;
        Vec repeated;
        const float* y = z;
        if (L < kSubblock) {
            std::copy(z, z + kSubblock, repeated);
            for (int n = L; n < kSubblock; ++n)
                repeated[n] += z[n - L];
            y = repeated;
        }
        const float c = Dot(target, y);
        if (c <= 0)
            continue;
        const float g = Dot(y, y);
        const float score = c / g * c;
        if (score > best) {
            best = score;
            lag = L;
            adaptiveGain = c / g;
            std::copy(y, y + kSubblock, adaptive);
        }
    }
    const int adaptiveIndex = lag ? lag - kSubblock / 2 + 1 : 0;

    Vec rest;
    for (int n = 0; n < kSubblock; ++n)
        rest[n] = target[n] - adaptiveGain * adaptive[n];
    Ortho none, first;
    if (adaptiveIndex)
        MakeOrtho(adaptive, response, rest, first);
    float gain1 = 0, gain2 = 0;
    const int fixed1 = SearchFixed(Book(0), response, rest, first, none, gain1);
    Vec y1, cb1;
    Filter(response, Book(0).vectors[fixed1], cb1);
    Ortho second;
    if (gain1) {
        std::copy(cb1, cb1 + kSubblock, y1);
        if (adaptiveIndex) {
            const float f = Dot(y1, adaptive) / first.uu;
            for (int k = 0; k < kSubblock; ++k)
                y1[k] -= f * adaptive[k];
        }
        for (int n = 0; n < kSubblock; ++n)
            rest[n] -= gain1 * y1[n];
        if (adaptiveIndex)
            first.tu = Dot(rest, adaptive);
        MakeOrtho(y1, response, rest, second);
    }
    const int fixed2 = SearchFixed(Book(1), response, rest, first, second, gain2);
    Vec cb2;
    Filter(response, Book(1).vectors[fixed2], cb2);

    // The gain step: the smallest error of the sum of the three scaled vectors against the target.
    std::uint32_t m[3];
    std::int16_t past[kSubblock];
    Scales(adaptive_, adaptiveIndex, fixed1, fixed2, level, past, m);
    const float* vectors[3] = {adaptive, cb1, cb2};
    double gram[3][3], cross[3];
    for (int i = 0; i < 3; ++i) {
        cross[i] = Dot(vectors[i], target) * 4096.0;
        for (int j = 0; j < 3; ++j)
            gram[i][j] = Dot(vectors[i], vectors[j]);
    }
    int gainIndex = 0;
    double bestError = DBL_MAX;
    for (int n = 0; n < 256; ++n) {
        double g[3];
        for (int i = 0; i < 3; ++i)
            g[i] =
                static_cast<double>((static_cast<std::uint32_t>(kGainValues[n][i]) * m[i]) >> kGainShifts[n]);
        // |g0 a + g1 b + g2 c - target|^2 less |target|^2, the gains in steps of 1/4096.
        const double error =
            g[0] * (g[0] * gram[0][0] + 2 * (g[1] * gram[0][1] + g[2] * gram[0][2] - cross[0])) +
            g[1] * (g[1] * gram[1][1] + 2 * (g[2] * gram[1][2] - cross[1])) +
            g[2] * (g[2] * gram[2][2] - 2 * cross[2]);
        if (error < bestError) {
            bestError = error;
            gainIndex = n;
        }
    }
    bits.Put(7, static_cast<unsigned>(adaptiveIndex));
    bits.Put(8, static_cast<unsigned>(gainIndex));
    bits.Put(7, static_cast<unsigned>(fixed1));
    bits.Put(7, static_cast<unsigned>(fixed2));
    Synthesize(coefs, adaptiveIndex, fixed1, fixed2, level, gainIndex, decoded_.data() + index * kSubblock);
}

void Encoder::Synthesize(const std::int16_t* coefs, int adaptiveIndex, int fixed1, int fixed2, unsigned level,
                         int gain, std::int16_t* out) {
    // The excitation: the three vectors scaled by the gain step.
    std::int16_t past[kSubblock];
    std::uint32_t m[3];
    Scales(adaptive_, adaptiveIndex, fixed1, fixed2, level, past, m);
    std::uint32_t v[3] = {};
    for (int i = adaptiveIndex ? 0 : 1; i < 3; ++i)
        v[i] = (static_cast<std::uint32_t>(kGainValues[gain][i]) * m[i]) >> kGainShifts[gain];
    std::memmove(adaptive_, adaptive_ + kSubblock, (kAdaptiveSize - kSubblock) * sizeof(adaptive_[0]));
    std::int16_t* excitation = adaptive_ + kAdaptiveSize - kSubblock;
    for (int i = 0; i < kSubblock; ++i) {
        const std::uint32_t sum = static_cast<std::uint32_t>(past[i]) * v[0] +
                                  static_cast<std::uint32_t>(kFixedVectors1[fixed1][i]) * v[1] +
                                  static_cast<std::uint32_t>(kFixedVectors2[fixed2][i]) * v[2];
        excitation[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(sum) >> 12);
    }

    // The synthesis filter, in the decoder's integers; an overflow silences the filter's memory.
    std::memmove(history_, history_ + kSubblock, kOrder * sizeof(history_[0]));
    std::int16_t* y = history_ + kOrder;
    bool overflow = false;
    for (int n = 0; n < kSubblock && !overflow; ++n) {
        std::uint32_t sum = 0xfff;
        for (int i = 1; i <= kOrder; ++i)
            sum -= static_cast<std::uint32_t>(coefs[i - 1] * y[n - i]);
        const int value = (static_cast<std::int32_t>(sum) >> 12) + excitation[n];
        if (value < -32768 || value > 32767)
            overflow = true;
        else
            y[n] = static_cast<std::int16_t>(value);
    }
    if (overflow)
        std::fill(history_, history_ + kOrder + kSubblock, std::int16_t{0});
    for (int n = 0; n < kSubblock; ++n)
        out[n] = static_cast<std::int16_t>(std::clamp(history_[kOrder + n] * 4, -32768, 32767));
}

}  // namespace encoder::ra144
