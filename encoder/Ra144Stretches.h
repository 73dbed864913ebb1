#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <vector>

#include "encoder/LibavPtr.h"

namespace encoder {

// How Ra144Stretches cuts the sound, in frames of 20 ms.
struct Ra144StretchShape {
    int stretchFrames = 1500;    // planned length of a stretch
    int joinSearchFrames = 250;  // how far either side of the planned join a quieter place is sought
    int warmUpFrames = 50;       // sound the encoder of a stretch runs over before it
};

// The 14.4 encode on every core. libavcodec's 14.4 encoder searches its codebooks exhaustively and
// takes a core for about a fiftieth of the sound's length, so the sound is cut into stretches that are
// encoded side by side, each by an encoder of its own. Each stretch's encoder is first run over the
// sound just before the stretch (its packets thrown away), so that its filters and its adaptive codebook
// start close to where the encoder of the previous stretch left them. Close, never the same: the two
// encoders made different choices on the way, and for a frame or two after a join the decoder's state
// and the new encoder's differ. Joins are therefore few (one every half minute) and placed where the
// sound is quietest within five seconds of the planned place, where that difference is least heard. The
// packets come out in order, one per frame of 160 samples plus the encoder's leading one, as from one
// encoder.
class Ra144Stretches {
  public:
    static constexpr int kFrameSamples = 160;

    using Shape = Ra144StretchShape;

    // `threads`: stretches encoded at once; 0 for one per core. `stop` is heard between frames.
    explicit Ra144Stretches(const std::atomic<bool>& stop, int threads = 0, Shape shape = {});
    ~Ra144Stretches();  // waits for the stretches under way
    Ra144Stretches(const Ra144Stretches&) = delete;
    Ra144Stretches& operator=(const Ra144Stretches&) = delete;

    // One frame of 160 samples, 8 kHz mono.
    void Frame(const std::int16_t* samples);
    // Packets encoded so far that are next in order; waits only while every thread is busy.
    std::vector<av::PacketPtr> Take();
    // Encodes the rest and returns every packet not yet taken. Throws EncodeError.
    std::vector<av::PacketPtr> Finish();
    // The frames where the stretches after the first begin.
    const std::vector<std::int64_t>& Joins() const { return joins_; }

  private:
    void Dispatch(bool last);
    // The quietest place for the next join near its planned one.
    std::int64_t QuietJoin() const;

    const std::atomic<bool>& stop_;
    const int threads_;
    const Shape shape_;
    std::vector<std::int16_t> samples_;  // from the warm-up of the next stretch on
    std::int64_t firstFrame_ = 0;        // the frame samples_ begins with
    std::int64_t stretchStart_ = 0;      // the first frame of the next stretch
    std::int64_t frames_ = 0;            // frames given so far
    std::deque<std::future<std::vector<av::PacketPtr>>> running_;
    std::vector<std::int64_t> joins_;
};

}  // namespace encoder
