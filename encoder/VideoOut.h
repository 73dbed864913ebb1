#pragma once
// One RealVideo encoder. Made on the encode thread before the lanes start; from then on it runs on the
// video lane of its picture size alone (Picture, Finish), which it shares with the other encoders of
// that size and their ScaledPictures.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "encoder/EncodeSettings.h"
#include "encoder/FrameSink.h"
#include "encoder/LibavPtr.h"
#include "encoder/RateGovernor.h"

namespace encoder {

class ScaledPictures;

// Which output slots of a constant frame rate the source's pictures fill: each slot shows the picture
// whose time is nearest its own, so that the pictures keep step with the sound whatever the two frame
// rates (taking the latest picture that started would show each slot up to a source picture late). Where
// the source leaves a gap, the picture after it is shown at most kMaxEarlySeconds (or half a slot) before
// its time: a still lasts as long as the source shows it. A picture followed by one stamped at or before
// it fills no slot: the newer one takes over.
class FrameSlots {
  public:
    explicit FrameSlots(int framesPerSecond) : framesPerSecond_(framesPerSecond) {}

    struct Range {
        std::int64_t first = 0, end = 0;  // the slots first to end - 1, counted from 0
    };
    // A picture stamped `seconds` comes: the slots the picture before it fills (none for the first).
    // The first picture fills the slots before it too.
    Range Next(double seconds);
    // The slots the last picture fills when the clip ends at `endSeconds`: every slot the clip lasts
    // into, so the picture lasts as long as the source, and less than one slot longer, however short
    // the clip (a clip shorter than a slot still has its picture).
    Range Last(double endSeconds) { return Before(std::max(endSeconds - 0.001, 0.0005)); }

    // Sound some way behind its picture goes unnoticed; sound ahead of it does not.
    static constexpr double kMaxEarlySeconds = 0.1;

  private:
    Range Before(double limit);

    int framesPerSecond_;
    std::int64_t next_ = 0;  // the first slot not yet filled
    bool holding_ = false;   // a picture came before
    double held_ = 0;        // the latest time given
};

// One RealVideo encoding: a constant frame rate made from the source's pictures, each output slot
// showing the picture nearest its time.
//
// Where the content is too hard for the rate even at the coarsest quantizer, the rate control would have
// to leave pictures out (a freeze while the source moves). The small audiences' pictures (cheap to encode
// twice; the large ones keep their speed) are therefore first tried on an encoder of their own, the first
// seconds of them at the coarsest quantizer, and the stream takes the highest frame rate down to a third of
// the plan's at which they fit; the header then tells that rate, and every picture is shown once.
class VideoOut {
  public:
    VideoOut(const VideoPlan& plan, const std::atomic<bool>& stop, FrameSink& sink);

    const VideoPlan& Plan() const { return plan_; }
    std::vector<int>& Streams() { return streams_; }
    AVCodecContext* Codec() { return codec_.get(); }
    // Where this encoder's pictures are scaled; set before the first picture.
    void ScaleWith(ScaledPictures& scaled) { scaled_ = &scaled; }
    // The clip's length as the source tells it (0: unknown); set before the first picture.
    void ExpectSeconds(double seconds) {
        expectedSeconds_ = seconds;
        governor_.ExpectSeconds(seconds);
    }

    // Every decoded picture in order, `seconds` from the start of the clip; `number` counts them from 1.
    void Picture(const AVFrame* picture, double seconds, std::uint64_t number);
    void Finish(double endSeconds);

  private:
    // A picture for the slots from the last one's time on; `scaled` when it is in the output size already.
    void Take(const AVFrame* picture, double seconds, std::uint64_t number, bool scaled);
    // Chooses the stream's frame rate from the pictures held so far, then encodes them.
    void SettleFrameRate();
    // How long a stretch of the first pictures is held to choose the frame rate.
    double ChooseSeconds() const;
    int ChooseFrameRate();
    struct Trial {
        double keyBits = 0;      // of the first picture, a keyframe
        double pictureBits = 0;  // of each picture after it, on average
        bool measured = false;
    };
    // The held pictures encoded at `framesPerSecond` and the coarsest quantizer on an encoder of their own.
    Trial TryFrameRate(int framesPerSecond);
    // The quantizer the pictures of `trial` need to keep the rate at `framesPerSecond`.
    double NeededQuantizer(const Trial& trial, int framesPerSecond) const;
    // Encodes `slots` with the held picture; where the budget is spent, the governor has a slot repeat
    // the picture sent before it. The last slot of the clip always shows the newest picture.
    void EncodeSlots(FrameSlots::Range slots, bool final);
    // The keyframe `decision` for `slot`, its quantizer chosen from what the picture costs as a keyframe.
    RateGovernor::Decision TryKey(std::int64_t slot, bool last, RateGovernor::Decision decision);
    void Scale();
    std::int64_t Collect();

    VideoPlan plan_;
    const std::atomic<bool>& stop_;
    FrameSink& sink_;
    RateGovernor governor_;
    std::vector<int> streams_;
    av::CodecPtr codec_;
    ScaledPictures* scaled_ = nullptr;
    av::FramePtr frame_;    // the picture in the output size
    av::FramePtr pending_;  // the latest source picture
    bool hasPending_ = false;
    bool triedKey_ = false;
    bool pendingScaled_ = false;  // pending_ is in the output size already
    double expectedSeconds_ = 0;
    // The first pictures, scaled, while the frame rate is not chosen yet.
    struct Held {
        av::FramePtr picture;
        double seconds = 0;
        std::uint64_t number = 0;
    };
    std::vector<Held> held_;
    std::size_t heldBytes_ = 0;
    bool choosing_ = false;
    std::uint64_t pendingId_ = 0;
    std::uint64_t scaledId_ = 0;
    FrameSlots slots_;
};

}  // namespace encoder
