#include "encoder/Ra144Stream.h"

#include <cstring>
#include <utility>

#include "encoder/EncodeError.h"

namespace encoder {

void Ra144Stream::Encode(const std::int16_t* samples) {
    const ra144::Encoder::Packet bytes = encoder_.Encode(samples);
    av::PacketPtr packet = av::MakePacket();
    if (av_new_packet(packet.get(), ra144::kPacketBytes) < 0)
        throw EncodeError("Out of memory for the audio.");
    std::memcpy(packet->data, bytes.data(), bytes.size());
    // As libavcodec's encoder stamps them: the leading packet starts a frame before the sound.
    packet->pts = (packets_++ - 1) * kFrameSamples;
    packet->dts = packet->pts;
    packet->duration = kFrameSamples;
    packet->flags |= AV_PKT_FLAG_KEY;
    ready_.push_back(std::move(packet));
}

void Ra144Stream::Frame(const std::int16_t* samples) {
    if (!stop_)
        Encode(samples);
}

std::vector<av::PacketPtr> Ra144Stream::Take() {
    return std::exchange(ready_, {});
}

std::vector<av::PacketPtr> Ra144Stream::Finish() {
    if (!stop_)
        Encode(nullptr);
    return Take();
}

}  // namespace encoder
