#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "encoder/LibavPtr.h"
#include "encoder/ra144/Ra144Encoder.h"

namespace encoder {

// The 14.4 encode of one sound, frame by frame, with our own encoder (encoder/ra144): about ten times
// faster than libavcodec's, whose exhaustive codebook search took a core for a fiftieth of the sound's
// length, at the same quality. The packets are those libavcodec's encoder gives, in number and timing: one
// per frame of 160 samples, one frame late, after a leading packet of silence.
class Ra144Stream {
  public:
    static constexpr int kFrameSamples = ra144::kFrame;

    // `stop` is heard between frames: once it is set, frames are no longer encoded.
    explicit Ra144Stream(const std::atomic<bool>& stop) : stop_(stop) {}

    // One frame of 160 samples, 8 kHz mono.
    void Frame(const std::int16_t* samples);
    // The packets encoded since the last call.
    std::vector<av::PacketPtr> Take();
    // Encodes the last frame and returns every packet not yet taken. Throws EncodeError.
    std::vector<av::PacketPtr> Finish();

  private:
    void Encode(const std::int16_t* samples);

    const std::atomic<bool>& stop_;
    ra144::Encoder encoder_;
    std::int64_t packets_ = 0;
    std::vector<av::PacketPtr> ready_;
};

}  // namespace encoder
