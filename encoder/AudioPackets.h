#pragma once
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "encoder/EncodeError.h"
#include "encoder/LibavPtr.h"

namespace encoder {

// What our own audio encoders (Ra144Stream, CookStream) share on the audio lane: Stop is heard between
// frames, and the packets made are kept, in order, until taken.
class AudioPackets {
  public:
    virtual ~AudioPackets() = default;

    // One frame of the codec's samples per channel, interleaved.
    virtual void Frame(const std::int16_t* samples) = 0;
    // Encodes what is left and returns every packet not yet taken. Throws EncodeError.
    virtual std::vector<av::PacketPtr> Finish() = 0;
    // The packets encoded since the last call.
    std::vector<av::PacketPtr> Take() { return std::exchange(ready_, {}); }

  protected:
    explicit AudioPackets(const std::atomic<bool>& stop) : stop_(stop) {}

    bool Stopped() const { return stop_; }
    // A new packet of `bytes`, kept for Take: every frame of ours can be decoded on its own. Returns its
    // bytes to fill. Throws EncodeError.
    std::uint8_t* Add(int bytes, std::int64_t pts, int duration) {
        av::PacketPtr packet = av::MakePacket();
        if (av_new_packet(packet.get(), bytes) < 0)
            throw EncodeError("Out of memory for the audio.");
        packet->pts = pts;
        packet->dts = pts;
        packet->duration = duration;
        packet->flags |= AV_PKT_FLAG_KEY;
        ready_.push_back(std::move(packet));
        return ready_.back()->data;
    }

  private:
    const std::atomic<bool>& stop_;
    std::vector<av::PacketPtr> ready_;
};

}  // namespace encoder
