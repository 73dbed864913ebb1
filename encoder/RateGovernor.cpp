#include "encoder/RateGovernor.h"

#include <algorithm>
#include <cmath>

namespace encoder {
namespace {

// First guesses of the bits a picture costs at quantizer 1, per pixel; the model learns the real
// figures from the first frames.
constexpr double kKeyBitsPerPixel = 6.0;
constexpr double kFrameBitsPerPixel = 1.5;
// How fast the model follows the pictures (weight of the newest frame).
constexpr double kLearnRate = 0.3;
// A keyframe may take this many frames' worth of bits; the frames after it pay it back.
constexpr double kKeyShare = 4.0;
// Pictures are repeated once the stream is this many seconds of its rate ahead of time.
constexpr double kDropAfterSeconds = 1.0;

}  // namespace

RateGovernor::RateGovernor(int bitRate, int framesPerSecond, int width, int height, int keyInterval)
    : bitRate_(std::max(1, bitRate)),
      framesPerSecond_(std::max(1, framesPerSecond)),
      keyInterval_(std::max(1, keyInterval)),
      keyComplexity_(kKeyBitsPerPixel * width * height),
      frameComplexity_(kFrameBitsPerPixel * width * height) {}

RateGovernor::Decision RateGovernor::Next(std::int64_t slot, bool mustSend) const {
    Decision d;
    const double perFrame = bitRate_ / framesPerSecond_;
    // Bits spent beyond what the stream's rate allowed before this slot.
    const double overspend =
        static_cast<double>(bits_) - bitRate_ * static_cast<double>(slot) / framesPerSecond_;
    if (!mustSend && sent_ > 0 && overspend > bitRate_ * kDropAfterSeconds) {
        d.repeat = true;
        d.quantizer = kCoarsest;
        return d;
    }
    d.key = sent_ == 0 || slot - lastKeySlot_ >= keyInterval_;
    double want = perFrame - overspend / framesPerSecond_;
    want = std::clamp(want, perFrame * 0.2, perFrame * 3.0);
    if (d.key)
        want *= kKeyShare;
    double q = (d.key ? keyComplexity_ : frameComplexity_) / want;
    // Steady pictures: no jumps between neighbouring frames.
    if (!d.key && lastQuantizer_ > 0)
        q = std::clamp(q, lastQuantizer_ * 0.75, lastQuantizer_ * 1.5);
    d.quantizer = std::clamp(static_cast<int>(std::lround(q)), kFinest, kCoarsest);
    return d;
}

void RateGovernor::Sent(std::int64_t slot, const Decision& decision, std::int64_t bits) {
    bits_ += bits;
    // A repeated picture costs next to nothing and says nothing about the pictures' complexity.
    if (decision.repeat)
        return;
    if (decision.key)
        lastKeySlot_ = slot;
    ++sent_;
    const double complexity = static_cast<double>(bits) * decision.quantizer;
    double& model = decision.key ? keyComplexity_ : frameComplexity_;
    model = sent_ <= 2 ? complexity : model * (1 - kLearnRate) + complexity * kLearnRate;
    if (!decision.key)
        lastQuantizer_ = decision.quantizer;
}

}  // namespace encoder
