#include "encoder/CookStream.h"

#include <algorithm>

namespace encoder {

CookStream::CookStream(const cook::Flavor& flavor, const std::atomic<bool>& stop)
    : AudioPackets(stop), encoder_(flavor) {}

std::vector<std::uint8_t> CookStream::SilentFrame() const {
    const cook::Flavor& f = encoder_.Shape();
    // A fresh encoder takes the frame before its first as silence too.
    cook::Encoder fresh(f);
    const std::vector<std::int16_t> silence(static_cast<std::size_t>(f.frameSamples) * f.channels, 0);
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(f.frameBytes));
    fresh.Encode(silence.data(), frame.data());
    return frame;
}

void CookStream::Encode(const std::int16_t* samples) {
    const cook::Flavor& f = encoder_.Shape();
    const std::int64_t pts =
        std::max<std::int64_t>(0, packets_++ - cook::Encoder::kDelayFrames) * f.frameSamples;
    encoder_.Encode(samples, Add(f.frameBytes, pts, f.frameSamples));
}

void CookStream::Frame(const std::int16_t* samples) {
    if (!Stopped())
        Encode(samples);
}

std::vector<av::PacketPtr> CookStream::Finish() {
    const cook::Flavor& f = encoder_.Shape();
    const std::vector<std::int16_t> silence(static_cast<std::size_t>(f.frameSamples) * f.channels, 0);
    for (int i = 0; i < cook::Encoder::kDelayFrames && !Stopped(); ++i)
        Encode(silence.data());
    return Take();
}

}  // namespace encoder
