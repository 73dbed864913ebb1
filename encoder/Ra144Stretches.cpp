#include "encoder/Ra144Stretches.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "encoder/EncodeError.h"

namespace encoder {
namespace {

void Check(int rc, const char* what) {
    if (rc < 0)
        throw EncodeError(std::string(what) + ": " + av::ErrorText(rc) + ".");
}

av::CodecPtr OpenEncoder() {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RA_144);
    if (!codec)
        throw EncodeError("The RealAudio encoder is missing from this installation.");
    av::CodecPtr c = av::MakeCodec(codec);
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = 8000;
    av_channel_layout_default(&c->ch_layout, 1);
    c->bit_rate = 8000;
    c->time_base = AVRational{1, 8000};
    Check(avcodec_open2(c.get(), codec, nullptr), "Cannot start the RealAudio encoder");
    return c;
}

void Drain(AVCodecContext* codec, std::vector<av::PacketPtr>& packets) {
    for (;;) {
        av::PacketPtr packet = av::MakePacket();
        const int rc = avcodec_receive_packet(codec, packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        Check(rc, "The RealAudio encoder failed");
        packets.push_back(std::move(packet));
    }
}

// Encodes the frames of `samples` (which begin at frame `first`) and keeps the packets of the frames
// from `from` on. The encoder gives each frame's packet one frame late, as it looks ahead into the next
// frame: its n-th packet is of frame first + n - 1, its first packet (n = 0) the leading one. `last`: the
// sound ends with these samples, so the encoder is flushed for the final frame.
std::vector<av::PacketPtr> EncodeStretch(std::vector<std::int16_t> samples, std::int64_t first,
                                         std::int64_t from, bool last, const std::atomic<bool>& stop) {
    constexpr int kFrame = Ra144Stretches::kFrameSamples;
    av::CodecPtr codec = OpenEncoder();
    av::FramePtr frame = av::MakeFrame();
    std::vector<av::PacketPtr> packets;
    const std::int64_t count = static_cast<std::int64_t>(samples.size()) / kFrame;
    for (std::int64_t i = 0; i < count && !stop; ++i) {
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = 8000;
        frame->nb_samples = kFrame;
        av_channel_layout_default(&frame->ch_layout, 1);
        Check(av_frame_get_buffer(frame.get(), 0), "Out of memory for the audio");
        std::memcpy(frame->data[0], samples.data() + i * kFrame, kFrame * sizeof(std::int16_t));
        frame->pts = (first + i) * kFrame;
        Check(avcodec_send_frame(codec.get(), frame.get()), "The RealAudio encoder failed");
        av_frame_unref(frame.get());
        Drain(codec.get(), packets);
    }
    if (last && !stop) {
        Check(avcodec_send_frame(codec.get(), nullptr), "The RealAudio encoder failed");
        Drain(codec.get(), packets);
    }
    // Packet n is of frame first + n - 1; the stretch's own frames begin at `from`.
    const std::int64_t skip =
        std::min<std::int64_t>(from - first + (from == 0 ? 0 : 1), static_cast<std::int64_t>(packets.size()));
    packets.erase(packets.begin(), packets.begin() + skip);
    return packets;
}

}  // namespace

Ra144Stretches::Ra144Stretches(const std::atomic<bool>& stop, int threads, Shape shape)
    : stop_(stop),
      threads_(threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))),
      shape_(shape) {}

Ra144Stretches::~Ra144Stretches() {
    for (auto& stretch : running_)
        if (stretch.valid())
            stretch.wait();
}

void Ra144Stretches::Frame(const std::int16_t* samples) {
    samples_.insert(samples_.end(), samples, samples + kFrameSamples);
    ++frames_;
    // A stretch is handed out once the frames where it may end have come, and the one after them: the
    // encoder looks into the next frame.
    if (frames_ >= stretchStart_ + shape_.stretchFrames + shape_.joinSearchFrames + 1)
        Dispatch(false);
}

std::int64_t Ra144Stretches::QuietJoin() const {
    // The new encoder's first frames carry what it differs from the old one in.
    constexpr int kAfter = 3;
    std::int64_t best = stretchStart_ + shape_.stretchFrames;
    double quietest = -1;
    for (std::int64_t j = best - shape_.joinSearchFrames; j + kAfter <= best + shape_.joinSearchFrames; ++j) {
        const std::int16_t* s = samples_.data() + (j - firstFrame_) * kFrameSamples;
        double energy = 0;
        for (int i = 0; i < kAfter * kFrameSamples; ++i)
            energy += double(s[i]) * s[i];
        if (quietest < 0 || energy < quietest) {
            quietest = energy;
            best = j;
        }
    }
    return best;
}

void Ra144Stretches::Dispatch(bool last) {
    const std::int64_t end = last ? frames_ : QuietJoin();  // the stretch's frames end
    const std::int64_t fed = last ? frames_ : end + 1;      // the encoder is given these
    std::vector<std::int16_t> part(
        samples_.begin(),
        samples_.begin() + static_cast<std::ptrdiff_t>((fed - firstFrame_) * kFrameSamples));
    running_.push_back(std::async(std::launch::async, EncodeStretch, std::move(part), firstFrame_,
                                  stretchStart_, last, std::cref(stop_)));
    stretchStart_ = end;
    if (!last)
        joins_.push_back(end);
    // Keep the warm-up of the next stretch.
    const std::int64_t keepFrom = std::max<std::int64_t>(firstFrame_, stretchStart_ - shape_.warmUpFrames);
    samples_.erase(samples_.begin(),
                   samples_.begin() + static_cast<std::ptrdiff_t>((keepFrom - firstFrame_) * kFrameSamples));
    firstFrame_ = keepFrom;
}

std::vector<av::PacketPtr> Ra144Stretches::Take() {
    std::vector<av::PacketPtr> out;
    while (!running_.empty() &&
           (static_cast<int>(running_.size()) > threads_ ||
            running_.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
        std::vector<av::PacketPtr> packets = running_.front().get();
        running_.pop_front();
        for (auto& p : packets)
            out.push_back(std::move(p));
    }
    return out;
}

std::vector<av::PacketPtr> Ra144Stretches::Finish() {
    if (frames_ > stretchStart_ || stretchStart_ == 0)
        Dispatch(true);
    std::vector<av::PacketPtr> out;
    while (!running_.empty()) {
        std::vector<av::PacketPtr> packets = running_.front().get();
        running_.pop_front();
        for (auto& p : packets)
            out.push_back(std::move(p));
    }
    return out;
}

}  // namespace encoder
