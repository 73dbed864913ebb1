#pragma once
// The integer arithmetic of a 14.4 decoder, which the encoder repeats so that it tracks exactly what is
// played.
#include <cstdint>

#include "encoder/ra144/Ra144Tables.h"

namespace encoder::ra144 {

// sqrt(x << 24) the way the decoder takes it.
int ScaledSqrt(std::uint32_t x);
// The level a set of reflection coefficients leaves a signal at.
unsigned ReflectionRms(const int* refl);
// The reflection coefficients of a filter; true where the filter is unstable.
bool Reflections(const std::int16_t* coefs, int* refl);
// The filter of a set of reflection coefficients.
void FilterOf(const int* refl, int* coefs);
inline unsigned Rescale(unsigned rms, unsigned energy) {
    return (rms * energy) >> 10;
}
// The index of the step of a rising table nearest to `value`.
int Nearest(int value, const std::int16_t* table, int size);
// The adaptive vector of `adaptiveIndex` (zeros for none), and the scale of each of the three vectors at
// the subblock's level before the gain step: the adaptive one brought to unit level first.
void Scales(const std::int16_t* adaptive, int adaptiveIndex, int fixed1, int fixed2, unsigned level,
            std::int16_t* past, std::uint32_t* m);

}  // namespace encoder::ra144
