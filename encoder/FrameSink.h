#pragma once
// The writer as the encoders share it. Every lane puts its encoded frames here; the encode thread opens
// it before the first picture or samples are posted and finishes the writer after every lane has drained.
#include <cstdint>
#include <mutex>
#include <vector>

#include "encoder/LibavPtr.h"
#include "encoder/rm/RmWriter.h"

namespace encoder {

// One encoded frame on its way to the writer, for every stream it belongs to.
struct Encoded {
    const std::vector<int>* streams;
    std::int64_t timestampMs;
    bool keyFrame;
    av::PacketPtr packet;
};

// The writer as the encoders' threads share it: each frame is written as soon as it is made, so that
// nothing piles up between the encoders and the file, however many frames a stretch of the source gives.
class FrameSink {
  public:
    void Open(rm::Writer& writer) { writer_ = &writer; }
    // Takes `frames` (and leaves the vector empty).
    void Put(std::vector<Encoded>& frames);
    // The video `streams` hold `framesPerSecond` pictures a second, fewer than they were added with.
    void SetFramesPerSecond(const std::vector<int>& streams, double framesPerSecond);

  private:
    std::mutex lock_;
    rm::Writer* writer_ = nullptr;
};

// Takes every packet the encoder has ready and writes it; `timestampMs` maps a packet to its time.
// Returns the bits taken.
template <typename TimeFn>
std::int64_t Receive(AVCodecContext* codec, const std::vector<int>& streams, FrameSink& sink,
                     TimeFn timestampMs) {
    std::vector<Encoded> out;
    std::int64_t bits = 0;
    for (;;) {
        av::PacketPtr packet = av::MakePacket();
        const int rc = avcodec_receive_packet(codec, packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        Check(rc, "The encoder failed");
        const std::int64_t ts = timestampMs(*packet);
        const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        bits += std::int64_t{packet->size} * 8;
        out.push_back(Encoded{&streams, ts, key, std::move(packet)});
    }
    sink.Put(out);
    return bits;
}

}  // namespace encoder
