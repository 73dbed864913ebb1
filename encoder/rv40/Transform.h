#pragma once
#include <cstddef>
#include <cstdint>

// The 4x4 integer transform of the format: the decoder's inverse steps mirrored exactly, and the forward
// transform and quantization the encoder chooses levels with.
namespace encoder::rv40 {

// Largest level the coefficient codes can carry.
constexpr int kMaxLevel = 535;

// Forward transform of a 4x4 residual (row stride 4): coefficients 676 * 676 / 1024 times the scale
// the inverse transform takes them at.
void ForwardTransform(const int residual[16], int coefficients[16]);

// What the decoder makes of a level: (level * scale + 8) >> 4, stored in 16 bits.
inline std::int16_t Dequantize(int level, int scale) {
    return static_cast<std::int16_t>((level * scale + 8) >> 4);
}

// Level of a transform coefficient for the decoder's scale, rounding with `bias` (of 1 << 24) towards
// zero; never beyond what the codes carry or the decoder's 16 bits hold.
int Quantize(std::int64_t coefficient, int scale, int bias);

// The decoder's inverse transform of dequantized coefficients added to the 4x4 block at `dst`
// (the coefficients are cleared, as the decoder does).
void InverseTransformAdd(std::uint8_t* dst, std::ptrdiff_t stride, std::int16_t block[16]);
// The decoder's shortcut when only the DC is coded.
void InverseDcAdd(std::uint8_t* dst, std::ptrdiff_t stride, int dc);
// The decoder's inverse transform of the 16x16 macroblock's DC block (scaled by 1.5, no rounding), and
// its shortcut when only the first coefficient is coded.
void InverseDcBlock(std::int16_t block[16]);
void InverseDcBlockDcOnly(std::int16_t block[16]);

}  // namespace encoder::rv40
