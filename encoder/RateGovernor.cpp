#include "encoder/RateGovernor.h"

#include <algorithm>
#include <cmath>

namespace encoder {
namespace {

// First guess of the bits a keyframe costs at quantizer 1, per pixel, when none was tried.
constexpr double kKeyBitsPerPixel = 6.0;
// First guess of a picture's complexity against its keyframe's, until pictures are sent, and at least
// this many bits per pixel at quantizer 1 (a clip that starts black has a keyframe of next to nothing).
constexpr double kFrameToKey = 0.25;
constexpr double kLeastFrameBitsPerPixel = 1.0;
// The quantizer follows the complexity of about this many seconds of pictures.
constexpr double kLearnSeconds = 1.0;
// Bits spent beyond the buffer's aim are paid back over this many seconds.
constexpr double kSteerSeconds = 1.5;
// The first keyframe may take this many seconds of the rate, at most a tenth of the clip's bits, and
// is paid back over this many seconds, at most half the clip.
constexpr double kFirstKeySeconds = 3.0;
constexpr double kFirstKeyClipShare = 0.1;
constexpr double kFirstPaybackSeconds = 8.0;
// Beyond the aim, the buffer holds this many seconds of the rate, at most this share of a short clip's
// bits; a picture that would overfill it is left out.
constexpr double kBufferSeconds = 2.0;
constexpr double kBufferClipShare = 0.15;
// Too hard content keeps at least this share of its pictures, once the buffer holds this many seconds of
// the rate beyond its aim.
constexpr double kMinKeep = 0.2;
constexpr double kLeaveOutSeconds = 1.0;
// One picture moves the learnt complexity by at most this factor (before its weight): a scene cut or the
// first picture after left-out ones is not what the next pictures cost.
constexpr double kMaxComplexityStep = 2.0;

int Quantizer(double q) {
    return static_cast<int>(
        std::lround(std::clamp<double>(q, RateGovernor::kFinest, RateGovernor::kCoarsest)));
}

}  // namespace

RateGovernor::RateGovernor(int bitRate, int framesPerSecond, int width, int height, int keyInterval)
    : bitRate_(std::max(1, bitRate)),
      framesPerSecond_(std::max(1, framesPerSecond)),
      keyInterval_(std::max(1, keyInterval)),
      keyComplexity_(kKeyBitsPerPixel * width * height),
      leastFrameComplexity_(kLeastFrameBitsPerPixel * width * height),
      frameComplexity_(std::max(kFrameToKey * keyComplexity_, leastFrameComplexity_)) {}

void RateGovernor::TriedKey(int quantizer, std::int64_t bits) {
    keyComplexity_ = static_cast<double>(std::max<std::int64_t>(bits, 1)) * quantizer;
    if (sentPictures_ == 0)
        frameComplexity_ = std::max(kFrameToKey * keyComplexity_, leastFrameComplexity_);
}

double RateGovernor::FirstKeyAllowance() const {
    double seconds = kFirstKeySeconds;
    if (expectedSeconds_ > 0)
        seconds = std::min(seconds, kFirstKeyClipShare * expectedSeconds_);
    return std::max(seconds * bitRate_, 2 * bitRate_ / framesPerSecond_);
}

double RateGovernor::Buffer() const {
    double seconds = kBufferSeconds;
    if (expectedSeconds_ > 0)
        seconds = std::min(seconds, kBufferClipShare * expectedSeconds_);
    return std::max(seconds * bitRate_, 2 * bitRate_ / framesPerSecond_);
}

double RateGovernor::Aim(double slot) const {
    auto fading = [slot](double excess, double from, double slots) {
        return excess * std::clamp(1 - (slot - from) / slots, 0.0, 1.0);
    };
    return fading(firstExcess_, 0, firstPaybackSlots_) +
           fading(keyExcess_, static_cast<double>(lastKeySlot_), keyInterval_);
}

double RateGovernor::Available(std::int64_t slot) const {
    const double perFrame = bitRate_ / framesPerSecond_;
    const double at = static_cast<double>(slot);
    const double fullness = static_cast<double>(bits_) - perFrame * at;
    const double aim = Aim(at);
    const double available =
        perFrame + Aim(at + 1) - aim - (fullness - aim) / std::max(1.0, kSteerSeconds * framesPerSecond_);
    return std::max(available, 0.0);
}

RateGovernor::Decision RateGovernor::Next(std::int64_t slot, bool mustSend) {
    Decision d;
    const double perFrame = bitRate_ / framesPerSecond_;
    const double at = static_cast<double>(slot);
    const double fullness = static_cast<double>(bits_) - perFrame * at;
    const double room = Aim(at) + Buffer() - fullness;  // before the buffer overfills
    d.key = sent_ == 0 || slot - lastKeySlot_ >= keyInterval_;
    if (d.key) {
        // Finer than the pictures around it, as far as the buffer (or the first's allowance) allows.
        const double pictureQ =
            lastQuantizer_ > 0 ? lastQuantizer_ : frameComplexity_ / std::max(1.0, Available(slot));
        double q = kKeyQuantizerShare * pictureQ;
        const double limit = sent_ == 0 ? FirstKeyAllowance() : std::max(room, perFrame);
        q = std::max(q, keyComplexity_ / limit);
        d.quantizer = Quantizer(q);
        return d;
    }
    const double available = Available(slot);
    double q = frameComplexity_ / std::max(available, 1.0);
    // Steady pictures: the quantizer comes down by at most a fifth from one picture to the next (it goes
    // up as fast as the content demands).
    if (lastQuantizer_ > 0)
        q = std::max(q, lastQuantizer_ * 0.8);
    d.quantizer = Quantizer(q);
    if (mustSend)
        return d;
    const double coarsestBits = frameComplexity_ / kCoarsest;
    bool leaveOut = coarsestBits > room;
    if (!leaveOut && q > kCoarsest + 0.5 && fullness - Aim(at) > kLeaveOutSeconds * bitRate_) {
        // Too hard for the rate even at the coarsest quantizer, and the buffer is filling: keep the share
        // of pictures the rate pays for, spread evenly (a lower frame rate, not a freeze).
        const double share = std::clamp(
            (Available(slot) - repeatBits_) / std::max(coarsestBits - repeatBits_, 1.0), kMinKeep, 1.0);
        keep_ += share;
        leaveOut = keep_ < 1;
        if (!leaveOut)
            keep_ -= 1;
    } else {
        keep_ = 0;
    }
    if (leaveOut) {
        d.repeat = true;
        d.quantizer = kCoarsest;
    }
    return d;
}

void RateGovernor::Sent(std::int64_t slot, const Decision& decision, std::int64_t bits) {
    bits_ += bits;
    // A repeated picture costs next to nothing and says nothing about the pictures' complexity.
    if (decision.repeat) {
        repeatBits_ = 0.8 * repeatBits_ + 0.2 * static_cast<double>(bits);
        return;
    }
    const double perFrame = bitRate_ / framesPerSecond_;
    const double complexity = static_cast<double>(bits) * decision.quantizer;
    ++sent_;
    if (decision.key) {
        // What it took beyond an ordinary picture is paid back by the pictures up to the next keyframe,
        // the first's over several seconds.
        const double excess = std::max(0.0, static_cast<double>(bits) - perFrame);
        if (sent_ == 1) {
            // Beyond its allowance (a keyframe cannot be coarser than the coarsest quantizer), it is an
            // overspend like any other.
            firstExcess_ = std::min(excess, FirstKeyAllowance());
            double payback = kFirstPaybackSeconds;
            if (expectedSeconds_ > 0)
                payback = std::clamp(expectedSeconds_ / 2, 1.0, payback);
            firstPaybackSlots_ = std::max(1.0, payback * framesPerSecond_);
        } else {
            keyExcess_ = excess;
        }
        keyComplexity_ = complexity;
        if (sentPictures_ == 0)
            frameComplexity_ = std::max(kFrameToKey * complexity, leastFrameComplexity_);
        lastKeySlot_ = slot;
        return;
    }
    ++sentPictures_;
    const double sample = sentPictures_ <= 2 ? complexity
                                             : std::clamp(complexity, frameComplexity_ / kMaxComplexityStep,
                                                          frameComplexity_ * kMaxComplexityStep);
    const double weight = std::max(1.0 / static_cast<double>(sentPictures_),
                                   1.0 / std::max(1.0, kLearnSeconds * framesPerSecond_));
    frameComplexity_ = frameComplexity_ * (1 - weight) + sample * weight;
    lastQuantizer_ = decision.quantizer;
}

}  // namespace encoder
