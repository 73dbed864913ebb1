// The 14.4 encoder: whatever sound it is given, every packet is a 20-byte frame of 160 samples stamped as
// the stream promises, FFmpeg's decoder accepts it, and what the encoder tracks as played is what that
// decoder plays, sample for sample (its adaptive codebook and filter never drift from the decoder's).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "encoder/Ra144Stream.h"
#include "encoder/ra144/Ra144Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace {

using encoder::ra144::kFrame;
using encoder::ra144::kPacketBytes;

// Sound enough for a few subblock filters to settle and the adaptive codebook to fill, kept short: an
// encode under the sanitizers is slow.
constexpr int kMaxFrames = 16;
constexpr std::size_t kStreamFrames = 3;

// Pieces of sound of every kind: the input's own samples, silence, full scale, clicks, tones and noise.
void AppendPiece(FuzzInput& in, std::vector<std::int16_t>& pcm) {
    const std::uint8_t kind = in.Byte();
    const std::size_t length = 1 + in.U16() % (3 * kFrame);
    const std::size_t start = pcm.size();
    pcm.resize(start + length);
    std::int16_t* out = pcm.data() + start;
    switch (kind % 7) {
        case 0:
            for (std::size_t i = 0; i < length; ++i)
                out[i] = static_cast<std::int16_t>(in.U16());
            break;
        case 1:
            break;  // silence
        case 2: {
            const std::size_t period = 1 + in.Byte();
            for (std::size_t i = 0; i < length; ++i)
                out[i] = (i / period) % 2 ? std::int16_t{-32768} : std::int16_t{32767};
            break;
        }
        case 3: {
            const std::size_t spacing = 1 + in.U16() % 400;
            const std::int16_t click = (kind & 0x80) ? std::int16_t{-32768} : std::int16_t{32767};
            for (std::size_t i = 0; i < length; i += spacing)
                out[i] = click;
            break;
        }
        case 4: {
            const double step = (1 + in.U16()) * 3.14159265358979 / 32768.0;
            const double amplitude = 32767.0 * (in.Byte() + 1) / 256.0;
            for (std::size_t i = 0; i < length; ++i)
                out[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(step * i)));
            break;
        }
        case 5:
            std::fill(out, out + length, static_cast<std::int16_t>(in.U16()));
            break;
        default: {
            std::vector<std::uint8_t> noise;  // full-range noise that varies with the input
            in.Fill(noise, 2 * length);
            for (std::size_t i = 0; i < length; ++i)
                out[i] = static_cast<std::int16_t>(noise[2 * i] | noise[2 * i + 1] << 8);
            break;
        }
    }
}

struct Decoder {
    Decoder() {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_RA_144);
        FuzzCheck(codec != nullptr, "FFmpeg has the 14.4 decoder");
        context = avcodec_alloc_context3(codec);
        context->sample_rate = 8000;
        av_channel_layout_default(&context->ch_layout, 1);
        FuzzCheck(avcodec_open2(context, codec, nullptr) == 0, "the 14.4 decoder opens");
        packet = av_packet_alloc();
        frame = av_frame_alloc();
    }
    ~Decoder() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
    // The samples the decoder plays for one packet.
    std::vector<std::int16_t> Decode(const std::uint8_t* bytes, int size) {
        FuzzCheck(av_new_packet(packet, size) == 0, "memory for a packet");
        std::memcpy(packet->data, bytes, static_cast<std::size_t>(size));
        FuzzCheck(avcodec_send_packet(context, packet) == 0, "the decoder accepts every packet");
        av_packet_unref(packet);
        std::vector<std::int16_t> samples;
        while (avcodec_receive_frame(context, frame) == 0) {
            FuzzCheck(frame->format == AV_SAMPLE_FMT_S16, "the decoder gives 16-bit samples");
            const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
            samples.insert(samples.end(), s, s + frame->nb_samples);
            av_frame_unref(frame);
        }
        return samples;
    }

    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    FuzzInput in(data, size);
    std::vector<std::int16_t> pcm;
    while (!in.Empty() && pcm.size() < kMaxFrames * kFrame)
        AppendPiece(in, pcm);
    // The caller pads the last frame with silence.
    pcm.resize(std::min<std::size_t>((pcm.size() + kFrame - 1) / kFrame * kFrame, kMaxFrames * kFrame));
    const std::size_t frames = pcm.size() / kFrame;

    encoder::ra144::Encoder encoder;
    Decoder decoder;
    std::vector<encoder::ra144::Encoder::Packet> encoded;
    auto check = [&](const encoder::ra144::Encoder::Packet& bytes) {
        encoded.push_back(bytes);
        const std::vector<std::int16_t> played = decoder.Decode(bytes.data(), kPacketBytes);
        FuzzCheck(played.size() == static_cast<std::size_t>(kFrame), "a packet plays 160 samples");
        FuzzCheck(std::equal(played.begin(), played.end(), encoder.Decoded().begin()),
                  "the encoder's decoded signal is the decoder's, sample for sample");
    };
    for (std::size_t f = 0; f < frames; ++f)
        check(encoder.Encode(pcm.data() + f * kFrame));
    check(encoder.Encode(nullptr));

    // The stream around the encoder, on the first frames (its count and stamps do not depend on more): one
    // packet per frame and the leading one, each the encoder's 20 bytes, a frame apart from a frame before
    // the sound.
    const std::size_t streamFrames = std::min<std::size_t>(frames, kStreamFrames);
    const std::atomic<bool> stop{false};
    encoder::Ra144Stream stream(stop);
    std::vector<encoder::av::PacketPtr> packets;
    for (std::size_t f = 0; f < streamFrames; ++f) {
        stream.Frame(pcm.data() + f * kFrame);
        for (encoder::av::PacketPtr& p : stream.Take())
            packets.push_back(std::move(p));
    }
    for (encoder::av::PacketPtr& p : stream.Finish())
        packets.push_back(std::move(p));
    FuzzCheck(packets.size() == streamFrames + 1, "one packet a frame, and the leading one");
    for (std::size_t n = 0; n < packets.size(); ++n) {
        // The last packet ends the sound early unless the stream had every frame.
        const bool same = n < streamFrames || streamFrames == frames;
        FuzzCheck(packets[n]->size == kPacketBytes &&
                      (!same || std::memcmp(packets[n]->data, encoded[n].data(), kPacketBytes) == 0),
                  "packets are the encoder's 20 bytes");
        FuzzCheck(
            packets[n]->pts == (static_cast<std::int64_t>(n) - 1) * kFrame && packets[n]->duration == kFrame,
            "packets are stamped a frame apart");
    }
    return 0;
}
