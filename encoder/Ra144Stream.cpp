#include "encoder/Ra144Stream.h"

#include <cstring>

namespace encoder {

void Ra144Stream::Encode(const std::int16_t* samples) {
    const ra144::Encoder::Packet bytes = encoder_.Encode(samples);
    // As libavcodec's encoder stamps them: the leading packet starts a frame before the sound.
    std::memcpy(Add(ra144::kPacketBytes, (packets_++ - 1) * kFrameSamples, kFrameSamples), bytes.data(),
                bytes.size());
}

void Ra144Stream::Frame(const std::int16_t* samples) {
    if (!Stopped())
        Encode(samples);
}

std::vector<av::PacketPtr> Ra144Stream::Finish() {
    if (!Stopped())
        Encode(nullptr);
    return Take();
}

}  // namespace encoder
