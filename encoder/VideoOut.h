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

// Which output slots of a constant frame rate the source's pictures fill: each slot shows the latest
// picture that started at or before it, and a slot within a millisecond of the next picture belongs to
// that picture. A picture stamped at or before the one before it fills no slot; one followed by a gap
// fills every slot up to the next.
class FrameSlots {
  public:
    explicit FrameSlots(int framesPerSecond) : framesPerSecond_(framesPerSecond) {}

    struct Range {
        std::int64_t first = 0, end = 0;  // the slots first to end - 1, counted from 0
    };
    // The slots the picture held until now fills when the next one starts at `seconds`.
    Range Until(double seconds) { return Before(seconds - 0.001); }
    // The slots the last picture fills when the clip ends at `endSeconds`: every slot the clip lasts
    // into, so the picture lasts as long as the source, and less than one slot longer, however short
    // the clip (a clip shorter than a slot still has its picture).
    Range Last(double endSeconds) { return Before(std::max(endSeconds - 0.001, 0.0005)); }

  private:
    Range Before(double limit);

    int framesPerSecond_;
    std::int64_t next_ = 0;  // the first slot not yet filled
};

// One RealVideo encoding: a constant frame rate made from the source's pictures, each output slot
// showing the latest picture that started at or before it.
class VideoOut {
  public:
    VideoOut(const VideoPlan& plan, const std::atomic<bool>& stop, FrameSink& sink);

    const VideoPlan& Plan() const { return plan_; }
    std::vector<int>& Streams() { return streams_; }
    AVCodecContext* Codec() { return codec_.get(); }
    // Where this encoder's pictures are scaled; set before the first picture.
    void ScaleWith(ScaledPictures& scaled) { scaled_ = &scaled; }

    // Every decoded picture in order, `seconds` from the start of the clip; `number` counts them from 1.
    void Picture(const AVFrame* picture, double seconds, std::uint64_t number);
    void Finish(double endSeconds);

  private:
    // Encodes the slots up to `seconds`; where the budget is spent, the governor has a slot repeat the
    // picture sent before it. The last slot of the clip always shows the newest picture.
    void EncodeUntil(double seconds, bool final);
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
    std::uint64_t pendingId_ = 0;
    std::uint64_t scaledId_ = 0;
    FrameSlots slots_;
};

}  // namespace encoder
