#include "encoder/FrameSink.h"

#include <span>

namespace encoder {

void FrameSink::Put(std::vector<Encoded>& frames) {
    std::lock_guard guard(lock_);
    for (Encoded& e : frames)
        for (int stream : *e.streams)
            writer_->WriteFrame(
                stream, e.timestampMs, e.keyFrame,
                std::span<const std::uint8_t>(e.packet->data, static_cast<size_t>(e.packet->size)));
    frames.clear();
}

void FrameSink::SetFramesPerSecond(const std::vector<int>& streams, double framesPerSecond) {
    std::lock_guard guard(lock_);
    for (int stream : streams)
        writer_->SetFramesPerSecond(stream, framesPerSecond);
}

}  // namespace encoder
