#pragma once
#include <cstdint>

namespace encoder::ra144 {

constexpr int kOrder = 10;     // taps of the synthesis filter
constexpr int kSubblock = 40;  // samples of a subblock
constexpr int kSubblocks = 4;  // subblocks of a frame
constexpr int kFrame = kSubblock * kSubblocks;
constexpr int kPacketBytes = 20;
constexpr int kAdaptiveSize = 146;  // past excitation the adaptive codebook is taken from
constexpr int kFixedSize = 128;     // vectors of each fixed codebook

// Gain of each of the three excitations (adaptive, fixed 1, fixed 2) for every 8-bit gain index, and
// the right shift that goes with it.
extern const std::int16_t kGainValues[256][3];
extern const std::uint8_t kGainShifts[256];
// The two fixed codebooks; vector 127 - i is minus vector i.
extern const std::int8_t kFixedVectors1[kFixedSize][kSubblock];
extern const std::int8_t kFixedVectors2[kFixedSize][kSubblock];
// The level of each vector of the fixed codebooks.
extern const std::uint16_t kFixedBase1[kFixedSize];
extern const std::uint16_t kFixedBase2[kFixedSize];
// The frame energy's 32 steps, rising.
extern const std::int16_t kEnergies[32];
// The steps of each reflection coefficient, rising; there are 64, 32, 32, 16, 16, 8, 8, 8, 8 and 4.
extern const std::int16_t* const kReflections[kOrder];
constexpr int kReflectionBits[kOrder] = {6, 5, 5, 4, 4, 3, 3, 3, 3, 2};

}  // namespace encoder::ra144
