#pragma once
#include <cstdint>

namespace encoder {

// The rate control of one RealVideo stream. The codec's own one-pass control overshoots by a fifth on
// busy pictures and cannot go below its coarsest quantizer, so the encoder picks every frame's quantizer
// itself from a simple model (bits = complexity / quantizer, complexity learnt from the frames sent).
//
// The quantizer follows the content, not each picture's bits: it comes from the complexity of about the
// last second of pictures, so that a busy picture takes more bits and a quiet one fewer, and a buffer
// (what the channel has carried against what was sent) takes up the difference. What is spent beyond
// the buffer's aim is paid back over a second or so. Keyframes are coded finer than the pictures after
// them (the picture they start is seen for seconds), at a quantizer chosen from what the picture costs
// as a keyframe, tried first; the first may take several seconds of the rate, as a player waits for it
// before it starts, and what it takes is paid back over several seconds.
//
// When even the coarsest quantizer spends more than the rate, pictures are left out evenly (a lower
// frame rate) rather than in bursts: a left-out slot repeats the picture sent before it (a few dozen
// bytes at the coarsest quantizer) rather than leaving a gap, as GStreamer times RealVideo pictures by
// counting them. Keyframes come every `keyInterval` slots (a fixed time apart, repeats or not), so that
// a player can seek anywhere.
class RateGovernor {
  public:
    RateGovernor(int bitRate, int framesPerSecond, int width, int height, int keyInterval);

    // The clip's length when the source says it (0: unknown): a short clip's first keyframe gets less,
    // so that the file keeps its rate.
    void ExpectSeconds(double seconds) { expectedSeconds_ = seconds; }
    // The picture of the next keyframe, tried at `quantizer` before it is sent, took `bits`.
    void TriedKey(int quantizer, std::int64_t bits);

    struct Decision {
        bool repeat = false;  // send the previous picture again, at the coarsest quantizer
        bool key = false;
        int quantizer = 0;  // 2 (finest) to 31 (coarsest)
    };
    // What to do with the frame of output slot `slot` (slots count from 0 at the stream's frame rate).
    // `mustSend` keeps the frame whatever the budget (the clip's last one). A keyframe's decision may be
    // asked for again after TriedKey.
    Decision Next(std::int64_t slot, bool mustSend);
    // The frame of `slot` was sent and took `bits`.
    void Sent(std::int64_t slot, const Decision& decision, std::int64_t bits);

    std::int64_t BitsSent() const { return bits_; }

    static constexpr int kFinest = 2;
    static constexpr int kCoarsest = 31;
    // A keyframe's quantizer against the pictures' after it.
    static constexpr double kKeyQuantizerShare = 0.8;

  private:
    // Bits the buffer aims to hold beyond what the channel has carried before `slot`: what keyframes
    // took beyond an ordinary picture, the first's paid back over several seconds, the others' by the
    // next keyframe.
    double Aim(double slot) const;
    // The bits the picture of `slot` may take to keep the buffer on its aim.
    double Available(std::int64_t slot) const;
    double FirstKeyAllowance() const;
    double Buffer() const;

    double bitRate_;
    double framesPerSecond_;
    int keyInterval_;
    double expectedSeconds_ = 0;
    double keyComplexity_;
    double leastFrameComplexity_;
    double frameComplexity_;
    double lastQuantizer_ = 0;    // of the last picture that was not a keyframe
    double keep_ = 0;             // pictures owed: one is sent whenever it reaches 1
    double repeatBits_ = 40 * 8;  // what a left-out picture costs (a repeat at the coarsest quantizer)
    double firstExcess_ = 0, firstPaybackSlots_ = 1;
    double keyExcess_ = 0;
    std::int64_t bits_ = 0;
    std::int64_t sent_ = 0, sentPictures_ = 0;
    std::int64_t lastKeySlot_ = 0;
};

}  // namespace encoder
