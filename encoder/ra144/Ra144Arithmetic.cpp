// The integer arithmetic of a 14.4 decoder, which the encoder repeats so that it tracks exactly what is
// played.
#include "encoder/ra144/Ra144Arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace encoder::ra144 {
namespace {

// The decoder's arithmetic wraps at 32 bits where a product overflows; so does this copy of it.
std::int32_t Wrap(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::uint32_t FloorSqrt(std::uint32_t x) {
    auto r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(x)));
    while (r * r > x)
        --r;
    while ((r + 1) * (r + 1) <= x)
        ++r;
    return static_cast<std::uint32_t>(r);
}

// The adaptive vector at `lag`: the last `lag` samples of past excitation, repeated to fill a subblock.
void AdaptiveVector(const std::int16_t* past, int lag, std::int16_t* out) {
    const std::int16_t* from = past + kAdaptiveSize - lag;
    for (int i = 0; i < kSubblock; ++i)
        out[i] = from[i % lag];
}

}  // namespace

// sqrt(x << 24) the way the decoder takes it.
int ScaledSqrt(std::uint32_t x) {
    int shift = 2;
    while (x > 0xfff) {
        ++shift;
        x >>= 2;
    }
    return static_cast<int>(FloorSqrt(x << 20) << shift);
}

// The level a set of reflection coefficients leaves a signal at.
unsigned ReflectionRms(const int* refl) {
    std::uint32_t res = 0x10000;
    int shift = kOrder;
    for (int i = 0; i < kOrder; ++i) {
        const auto f = static_cast<std::uint32_t>((0x1000000 - refl[i] * refl[i]) >> 12);
        res = (f * res) >> 12;
        if (res == 0)
            return 0;
        while (res <= 0x3fff) {
            ++shift;
            res <<= 2;
        }
    }
    return static_cast<unsigned>(ScaledSqrt(res) >> shift);
}

// The reflection coefficients of a filter; true where the filter is unstable.
bool Reflections(const std::int16_t* coefs, int* refl) {
    int a[kOrder], b[kOrder];
    int* next = a;
    int* prev = b;
    for (int i = 0; i < kOrder; ++i)
        prev[i] = coefs[i];
    refl[kOrder - 1] = prev[kOrder - 1];
    if (static_cast<unsigned>(prev[kOrder - 1]) + 0x1000 > 0x1fff)
        return true;
    for (int i = kOrder - 2; i >= 0; --i) {
        int d = 0x1000 - ((prev[i + 1] * prev[i + 1]) >> 12);
        if (!d)
            d = -2;
        d = 0x1000000 / d;
        for (int j = 0; j <= i; ++j) {
            const int diff =
                Wrap(std::int64_t{prev[j]} - (Wrap(std::int64_t{refl[i + 1]} * prev[i - j]) >> 12));
            next[j] = Wrap(std::int64_t{diff} * d) >> 12;
        }
        if (static_cast<unsigned>(next[i]) + 0x1000 > 0x1fff)
            return true;
        refl[i] = next[i];
        std::swap(next, prev);
    }
    return false;
}

// The filter of a set of reflection coefficients.
void FilterOf(const int* refl, int* coefs) {
    int a[kOrder] = {}, b[kOrder] = {};
    int* next = a;
    int* prev = b;
    for (int i = 0; i < kOrder; ++i) {
        next[i] = refl[i] * 16;
        for (int j = 0; j < i; ++j)
            next[j] = Wrap(std::int64_t{Wrap(std::int64_t{refl[i]} * prev[i - j - 1]) >> 12} + prev[j]);
        std::swap(next, prev);
    }
    for (int i = 0; i < kOrder; ++i)
        coefs[i] = prev[i] >> 4;
}

// The index of the step of a rising table nearest to `value`.
int Nearest(int value, const std::int16_t* table, int size) {
    int best = 0;
    for (int i = 1; i < size; ++i)
        if (std::abs(table[i] - value) <= std::abs(table[best] - value))
            best = i;
    return best;
}

// The adaptive vector of `adaptiveIndex` (zeros for none), and the scale of each of the three vectors at
// the subblock's level before the gain step: the adaptive one brought to unit level first.
void Scales(const std::int16_t* adaptive, int adaptiveIndex, int fixed1, int fixed2, unsigned level,
            std::int16_t* past, std::uint32_t* m) {
    m[0] = 0;
    m[1] = (kFixedBase1[fixed1] * level) >> 8;
    m[2] = (kFixedBase2[fixed2] * level) >> 8;
    std::fill(past, past + kSubblock, std::int16_t{0});
    if (!adaptiveIndex)
        return;
    AdaptiveVector(adaptive, adaptiveIndex + kSubblock / 2 - 1, past);
    std::uint32_t sum = 0;
    for (int i = 0; i < kSubblock; ++i)
        sum += static_cast<std::uint32_t>(past[i] * past[i]);
    const std::uint32_t inverse = sum ? 0x20000000u / static_cast<std::uint32_t>(ScaledSqrt(sum) >> 8) : 0;
    m[0] = (inverse * level) >> 12;
}

}  // namespace encoder::ra144
