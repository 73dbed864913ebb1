#pragma once
#include <cstddef>
#include <cstdint>

// The intra predictors exactly as the decoder forms them. Each reads the neighbours of the block at `src`
// in its plane (row stride `stride`) and writes the prediction to `out` (row stride `outStride`).
namespace encoder::rv40 {

enum class Pred4 {
    Vertical,
    Horizontal,
    Dc,
    DownLeft,
    DownRight,
    VerticalRight,
    HorizontalDown,
    VerticalLeft,
    HorizontalUp,
    LeftDc,
    TopDc,
    Dc128,
    DownLeftNoDown,
    HorizontalUpNoDown,
    VerticalLeftNoDown,
};

enum class Pred16 { Dc, Vertical, Horizontal, Plane, LeftDc, TopDc, Dc128 };

// The format's nine 4x4 modes (as coded) in the order of Pred4's first nine.
constexpr Pred4 kPred4OfMode[9] = {Pred4::Dc,           Pred4::Vertical,     Pred4::Horizontal,
                                   Pred4::DownRight,    Pred4::DownLeft,     Pred4::VerticalRight,
                                   Pred4::VerticalLeft, Pred4::HorizontalUp, Pred4::HorizontalDown};
// The format's four 16x16 modes (as coded).
constexpr Pred16 kPred16OfMode[4] = {Pred16::Dc, Pred16::Vertical, Pred16::Horizontal, Pred16::Plane};

// The predictor the decoder uses for a coded 4x4 mode given which neighbours it has: up, left, the
// block below the left one, the block to the upper right.
Pred4 Adjust4x4(int mode, bool up, bool left, bool down);
// `topRight` is what the decoder reads as the four samples to the upper right (it repeats the last top
// sample when the upper-right block is missing: pass nullptr then).
void Predict4x4(std::uint8_t* out, std::ptrdiff_t outStride, const std::uint8_t* src, std::ptrdiff_t stride,
                Pred4 type, bool right, bool up);

Pred16 Adjust16(Pred16 type, bool up, bool left);
void Predict16x16(std::uint8_t* out, std::ptrdiff_t outStride, const std::uint8_t* src, std::ptrdiff_t stride,
                  Pred16 type);
// The 8x8 chroma predictor of a 16x16 macroblock (plane is not among them: the decoder takes DC).
void Predict8x8(std::uint8_t* out, std::ptrdiff_t outStride, const std::uint8_t* src, std::ptrdiff_t stride,
                Pred16 type);

}  // namespace encoder::rv40
