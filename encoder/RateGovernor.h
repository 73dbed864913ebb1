#pragma once
#include <cstdint>

namespace encoder {

// The rate control of one RealVideo stream. The codec's own one-pass control overshoots by a fifth on
// busy pictures and cannot go below its coarsest quantizer, so the encoder picks every frame's quantizer
// itself from a simple model (bits = complexity / quantizer, complexity learnt from the frames sent),
// paying back any overspend within about a second. When even the coarsest quantizer spends too much, a
// slot repeats the picture sent before it (a few dozen bytes at the coarsest quantizer) rather than
// leaving a gap: GStreamer times RealVideo pictures by counting them, so a missing one would put the
// picture out of step with the sound. Keyframes come every `keyInterval` slots (a fixed time apart,
// repeats or not), so that a player can seek anywhere.
class RateGovernor {
  public:
    RateGovernor(int bitRate, int framesPerSecond, int width, int height, int keyInterval);

    struct Decision {
        bool repeat = false;  // send the previous picture again, at the coarsest quantizer
        bool key = false;
        int quantizer = 0;  // 2 (finest) to 31 (coarsest)
    };
    // What to do with the frame of output slot `slot` (slots count from 0 at the stream's frame rate).
    // `mustSend` keeps the frame whatever the budget (the clip's last one).
    Decision Next(std::int64_t slot, bool mustSend) const;
    // The frame of `slot` was sent and took `bits`.
    void Sent(std::int64_t slot, const Decision& decision, std::int64_t bits);

    std::int64_t BitsSent() const { return bits_; }

    static constexpr int kFinest = 2;
    static constexpr int kCoarsest = 31;

  private:
    double bitRate_;
    double framesPerSecond_;
    int keyInterval_;
    double keyComplexity_;
    double frameComplexity_;
    double lastQuantizer_ = 0;
    std::int64_t bits_ = 0;
    std::int64_t sent_ = 0;
    std::int64_t lastKeySlot_ = 0;
};

}  // namespace encoder
