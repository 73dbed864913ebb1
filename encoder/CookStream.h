#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "encoder/AudioPackets.h"
#include "encoder/cook/CookEncoder.h"

namespace encoder {

// The cook encode of one sound, frame by frame, on the audio lane. Packets come one per frame, in order;
// packet n is stamped (n - cook::Encoder::kDelayFrames) frames from the start, no earlier than 0: every
// decoder plays frame n of what it is given as the sound of input frame n - kDelayFrames and FFmpeg's, the
// one every common player uses, drops the first two frames, so each frame then sounds at its own time. The
// end is followed by the silent frames that bring the last frames out of the decoder.
class CookStream : public AudioPackets {
  public:
    // `stop` is heard between frames: once it is set, frames are no longer encoded.
    CookStream(const cook::Flavor& flavor, const std::atomic<bool>& stop);

    const cook::Flavor& Shape() const { return encoder_.Shape(); }
    std::vector<std::uint8_t> CodecData() const { return encoder_.CodecData(); }
    // A frame that plays silence wherever it stands after silence (the writer fills blocks with it).
    std::vector<std::uint8_t> SilentFrame() const;

    // One frame: Shape().frameSamples samples per channel, interleaved.
    void Frame(const std::int16_t* samples) override;
    // Encodes the closing silence and returns every packet not yet taken. Throws EncodeError.
    std::vector<av::PacketPtr> Finish() override;

  private:
    void Encode(const std::int16_t* samples);

    cook::Encoder encoder_;
    std::int64_t packets_ = 0;
};

}  // namespace encoder
