#include "RmWriterFixtures.h"
#include "encoder/CookStream.h"
#include "support/FileHelpers.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <stdexcept>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace rmtest {

namespace {

std::mutex logMutex;
std::vector<std::string>* logSink = nullptr;

void CollectErrors(void* avcl, int level, const char* fmt, va_list args) {
    if (level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line(avcl, level, fmt, args, line, sizeof line, &prefix);
    std::lock_guard<std::mutex> lock(logMutex);
    if (logSink)
        logSink->push_back(line);
}

CodecPtr OpenEncoder(AVCodecID id, const std::function<void(AVCodecContext*)>& setUp) {
    av_log_set_level(AV_LOG_ERROR);  // the encoders' chatter is of no interest here
    const AVCodec* codec = avcodec_find_encoder(id);
    if (!codec)
        throw std::runtime_error("encoder missing");
    CodecPtr ctx(avcodec_alloc_context3(codec));
    ctx->thread_count = 1;
    setUp(ctx.get());
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0)
        throw std::runtime_error("cannot open encoder");
    return ctx;
}

// Sends one frame (or the end) and collects every packet the encoder gives back.
void Drain(AVCodecContext* ctx, AVFrame* frame, std::vector<Frame>& out) {
    if (avcodec_send_frame(ctx, frame) < 0)
        throw std::runtime_error("encoder refused a frame");
    PacketPtr packet = encoder::av::MakePacket();
    while (avcodec_receive_packet(ctx, packet.get()) == 0) {
        Frame f;
        f.bytes.assign(packet->data, packet->data + packet->size);
        f.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        f.timestampMs = packet->pts;  // rescaled by the caller
        out.push_back(std::move(f));
        av_packet_unref(packet.get());
    }
}

EncodedStream EncodeAudio(AVCodecID id, AVSampleFormat format, int sampleRate, int channels, int bitRate,
                          double seconds) {
    CodecPtr ctx = OpenEncoder(id, [&](AVCodecContext* c) {
        c->sample_fmt = format;
        c->sample_rate = sampleRate;
        av_channel_layout_default(&c->ch_layout, channels);
        c->bit_rate = bitRate;
        c->time_base = {1, sampleRate};
    });
    const int frameSize = ctx->frame_size;
    const int frames = static_cast<int>(std::ceil(seconds * sampleRate / frameSize));
    EncodedStream s;
    FramePtr frame = encoder::av::MakeFrame();
    for (int i = 0; i < frames; ++i) {
        av_frame_unref(frame.get());
        frame->format = format;
        frame->nb_samples = frameSize;
        frame->sample_rate = sampleRate;
        av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
        av_frame_get_buffer(frame.get(), 0);
        for (int n = 0; n < frameSize; ++n) {
            const double t = static_cast<double>(i * frameSize + n) / sampleRate;
            const double v = 0.3 * std::sin(2 * M_PI * (300 + 200 * t) * t);
            for (int ch = 0; ch < channels; ++ch) {
                if (format == AV_SAMPLE_FMT_S16)
                    reinterpret_cast<std::int16_t*>(frame->data[0])[n * channels + ch] =
                        static_cast<std::int16_t>(v * 32767);
                else
                    reinterpret_cast<float*>(frame->data[ch])[n] = static_cast<float>(v);
            }
        }
        frame->pts = static_cast<std::int64_t>(i) * frameSize;
        Drain(ctx.get(), frame.get(), s.frames);
    }
    Drain(ctx.get(), nullptr, s.frames);
    // Frame times from the frame count: every codec frame holds frameSize samples.
    for (std::size_t i = 0; i < s.frames.size(); ++i) {
        s.frames[i].timestampMs =
            static_cast<std::int64_t>(std::llround(i * 1000.0 * frameSize / sampleRate));
        s.frames[i].key = true;
    }
    s.durationMs = s.frames.size() * 1000.0 * frameSize / sampleRate;
    s.desc.kind = encoder::rm::StreamKind::Audio;
    s.desc.codec =
        id == AV_CODEC_ID_AC3 ? encoder::rm::Codec::RealAudioAc3 : encoder::rm::Codec::RealAudio144;
    s.desc.avgBitRate = s.desc.maxBitRate = static_cast<std::uint32_t>(ctx->bit_rate);
    s.desc.audio.sampleRate = static_cast<std::uint32_t>(sampleRate);
    s.desc.audio.channels = static_cast<std::uint16_t>(channels);
    s.desc.audio.frameBytes = static_cast<std::uint32_t>(s.frames.front().bytes.size());
    s.desc.audio.samplesPerFrame = static_cast<std::uint32_t>(frameSize);
    return s;
}

}  // namespace

EncodedStream EncodeRv20(int width, int height, double fps, int count, int bitRate, int gop) {
    const AVRational rate = av_d2q(fps, 100000);
    CodecPtr ctx = OpenEncoder(AV_CODEC_ID_RV20, [&](AVCodecContext* c) {
        c->width = width;
        c->height = height;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = av_inv_q(rate);
        c->framerate = rate;
        c->bit_rate = bitRate;
        c->gop_size = gop;
        c->max_b_frames = 0;
    });
    EncodedStream s;
    FramePtr frame = encoder::av::MakeFrame();
    for (int i = 0; i < count; ++i) {
        av_frame_unref(frame.get());
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        av_frame_get_buffer(frame.get(), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                frame->data[0][y * frame->linesize[0] + x] =
                    static_cast<std::uint8_t>((x * 3 + y * 2 + i * 5) ^ ((x / 8 + i) * (y / 8)));
        for (int y = 0; y < height / 2; ++y)
            for (int x = 0; x < width / 2; ++x) {
                frame->data[1][y * frame->linesize[1] + x] = static_cast<std::uint8_t>(128 + x - i);
                frame->data[2][y * frame->linesize[2] + x] = static_cast<std::uint8_t>(128 + y + i);
            }
        frame->pts = i;
        Drain(ctx.get(), frame.get(), s.frames);
    }
    Drain(ctx.get(), nullptr, s.frames);
    for (Frame& f : s.frames)
        f.timestampMs = static_cast<std::int64_t>(std::llround(f.timestampMs * 1000.0 / fps));
    s.durationMs = count * 1000.0 / fps;
    s.desc.kind = encoder::rm::StreamKind::Video;
    s.desc.codec = encoder::rm::Codec::RealVideo20;
    s.desc.avgBitRate = s.desc.maxBitRate = static_cast<std::uint32_t>(bitRate);
    s.desc.video.width = static_cast<std::uint16_t>(width);
    s.desc.video.height = static_cast<std::uint16_t>(height);
    s.desc.video.framesPerSecond = fps;
    return s;
}

EncodedStream EncodeRa144(double seconds) {
    return EncodeAudio(AV_CODEC_ID_RA_144, AV_SAMPLE_FMT_S16, 8000, 1, 8000, seconds);
}

EncodedStream EncodeAc3(int sampleRate, int channels, int bitRate, double seconds) {
    return EncodeAudio(AV_CODEC_ID_AC3, AV_SAMPLE_FMT_FLTP, sampleRate, channels, bitRate, seconds);
}

EncodedStream EncodeCook(int sampleRate, int channels, int bitRate, double seconds) {
    const encoder::cook::Flavor* flavor = encoder::cook::FindFlavor(sampleRate, channels, bitRate);
    if (!flavor)
        throw std::invalid_argument("no such cook flavor");
    const std::atomic<bool> stop{false};
    encoder::CookStream stream(*flavor, stop);
    EncodedStream s;
    auto take = [&](std::vector<PacketPtr> packets) {
        for (const PacketPtr& p : packets)
            s.frames.push_back(
                {std::vector<std::uint8_t>(p->data, p->data + p->size), p->pts * 1000 / sampleRate, true});
    };
    const int frameSamples = flavor->frameSamples;
    const int frames = static_cast<int>(seconds * sampleRate / frameSamples);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frameSamples * channels));
    for (int f = 0; f < frames; ++f) {
        // A chord whose loudness swells, the channels a little apart.
        for (int i = 0; i < frameSamples; ++i) {
            const double t = static_cast<double>(f * frameSamples + i) / sampleRate;
            const double level = 6000 * (1.2 + std::sin(2 * M_PI * 0.7 * t));
            for (int ch = 0; ch < channels; ++ch)
                samples[static_cast<std::size_t>(i * channels + ch)] =
                    static_cast<std::int16_t>(level * (std::sin(2 * M_PI * (330 + 110 * ch) * t) +
                                                       0.5 * std::sin(2 * M_PI * 1245 * t)));
        }
        stream.Frame(samples.data());
        take(stream.Take());
    }
    take(stream.Finish());
    s.durationMs = static_cast<double>(s.frames.size() - encoder::cook::Encoder::kDelayFrames) * 1000.0 *
                   frameSamples / sampleRate;
    s.desc.kind = encoder::rm::StreamKind::Audio;
    s.desc.codec = encoder::rm::Codec::RealAudioCook;
    s.desc.avgBitRate = s.desc.maxBitRate = static_cast<std::uint32_t>(bitRate);
    s.desc.audio.sampleRate = static_cast<std::uint32_t>(sampleRate);
    s.desc.audio.channels = static_cast<std::uint16_t>(channels);
    s.desc.audio.frameBytes = static_cast<std::uint32_t>(flavor->frameBytes);
    s.desc.audio.samplesPerFrame = static_cast<std::uint32_t>(frameSamples);
    s.desc.audio.flavor = static_cast<std::uint16_t>(flavor - encoder::cook::Flavors().data());
    s.desc.extradata = stream.CodecData();
    s.desc.silentFrame = stream.SilentFrame();
    return s;
}

void WriteFile(const std::string& path, const std::vector<const EncodedStream*>& streams,
               const encoder::rm::ClipInfo& info) {
    encoder::rm::Writer writer(path);
    std::vector<int> ids;
    for (const EncodedStream* s : streams)
        ids.push_back(writer.AddStream(s->desc));
    writer.Begin(info);
    // Half-second blocks, stream after stream: the writer has to put the packets in time order.
    std::vector<std::size_t> next(streams.size(), 0);
    for (std::int64_t until = 500;; until += 500) {
        bool left = false;
        for (std::size_t i = 0; i < streams.size(); ++i) {
            const auto& frames = streams[i]->frames;
            while (next[i] < frames.size() && frames[next[i]].timestampMs < until) {
                const Frame& f = frames[next[i]++];
                writer.WriteFrame(ids[i], f.timestampMs, f.key, f.bytes);
            }
            left = left || next[i] < frames.size();
        }
        if (!left)
            break;
    }
    writer.Finish();
}

Probe ProbeFile(const std::string& path, std::int64_t seekMs) {
    Probe probe;
    {
        std::lock_guard<std::mutex> lock(logMutex);
        logSink = &probe.errors;
    }
    av_log_set_callback(CollectErrors);
    struct Restore {
        ~Restore() {
            av_log_set_callback(av_log_default_callback);
            std::lock_guard<std::mutex> lock(logMutex);
            logSink = nullptr;
        }
    } restore;

    AVFormatContext* raw = nullptr;
    const int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (rc < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(rc, text, sizeof text);
        probe.openError = text;
        return probe;
    }
    InputPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return probe;
    probe.opened = true;
    if (input->duration != AV_NOPTS_VALUE)
        probe.durationMs = input->duration / 1000.0;
    const AVDictionaryEntry* tag = nullptr;
    while ((tag = av_dict_get(input->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        probe.metadata[tag->key] = tag->value;

    std::vector<CodecPtr> decoders;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        ProbedStream ps;
        ps.type = st->codecpar->codec_type;
        ps.codec = st->codecpar->codec_id;
        ps.id = st->id;
        ps.bitRate = st->codecpar->bit_rate;
        if (st->duration != AV_NOPTS_VALUE)
            ps.durationMs = st->duration * av_q2d(st->time_base) * 1000.0;
        ps.width = st->codecpar->width;
        ps.height = st->codecpar->height;
        ps.sampleRate = st->codecpar->sample_rate;
        ps.channels = st->codecpar->ch_layout.nb_channels;
        probe.streams.push_back(ps);
        CodecPtr dec;
        if (ps.type == AVMEDIA_TYPE_AUDIO || ps.type == AVMEDIA_TYPE_VIDEO) {
            const AVCodec* codec = avcodec_find_decoder(ps.codec);
            if (codec) {
                dec.reset(avcodec_alloc_context3(codec));
                avcodec_parameters_to_context(dec.get(), st->codecpar);
                dec->thread_count = 1;
                if (avcodec_open2(dec.get(), codec, nullptr) < 0)
                    dec.reset();
            }
        }
        decoders.push_back(std::move(dec));
    }
    if (seekMs >= 0 && av_seek_frame(input.get(), -1, seekMs * 1000, AVSEEK_FLAG_BACKWARD) < 0)
        probe.errors.push_back("seek failed");
    PacketPtr packet = encoder::av::MakePacket();
    FramePtr frame = encoder::av::MakeFrame();
    auto receive = [&](unsigned index) {
        while (avcodec_receive_frame(decoders[index].get(), frame.get()) == 0) {
            ++probe.streams[index].decodedFrames;
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        const auto index = static_cast<unsigned>(packet->stream_index);
        ProbedStream& ps = probe.streams[index];
        ++ps.packets;
        ps.pts.push_back(packet->pts == AV_NOPTS_VALUE
                             ? AV_NOPTS_VALUE
                             : av_rescale_q(packet->pts, input->streams[index]->time_base, {1, 1000}));
        if (decoders[index]) {
            if (avcodec_send_packet(decoders[index].get(), packet.get()) < 0)
                probe.errors.push_back("decoder refused a packet");
            receive(index);
        }
        av_packet_unref(packet.get());
    }
    for (unsigned i = 0; i < decoders.size(); ++i)
        if (decoders[i]) {
            avcodec_send_packet(decoders[i].get(), nullptr);
            receive(i);
        }
    return probe;
}

std::vector<std::uint8_t> ReadByteVector(const std::string& path) {
    const std::string bytes = testsupport::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (std::uint32_t{b.at(at)} << 24) | (std::uint32_t{b.at(at + 1)} << 16) |
           (std::uint32_t{b.at(at + 2)} << 8) | b.at(at + 3);
}

std::uint16_t Be16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>((b.at(at) << 8) | b.at(at + 1));
}

std::vector<Chunk> HeaderChunks(const std::vector<std::uint8_t>& file) {
    std::vector<Chunk> chunks;
    std::size_t at = 0;
    while (at + 10 <= file.size()) {
        Chunk c;
        c.tag.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                     file.begin() + static_cast<std::ptrdiff_t>(at + 4));
        c.offset = at;
        c.size = Be32(file, at + 4);
        chunks.push_back(c);
        if (c.size < 10)
            break;
        at += c.size;
    }
    return chunks;
}

Mdpr ReadMdpr(const std::vector<std::uint8_t>& b, const Chunk& c) {
    Mdpr m{};
    std::size_t at = c.offset + 10;
    m.number = Be16(b, at);
    m.maxBitRate = Be32(b, at + 2);
    m.avgBitRate = Be32(b, at + 6);
    m.maxPacket = Be32(b, at + 10);
    m.avgPacket = Be32(b, at + 14);
    m.start = Be32(b, at + 18);
    m.preroll = Be32(b, at + 22);
    m.duration = Be32(b, at + 26);
    at += 30;
    m.name.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 1),
                  b.begin() + static_cast<std::ptrdiff_t>(at + 1 + b[at]));
    at += 1 + b[at];
    m.mime.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 1),
                  b.begin() + static_cast<std::ptrdiff_t>(at + 1 + b[at]));
    at += 1 + b[at];
    m.typeSpecificSize = Be32(b, at);
    m.typeSpecific = at + 4;
    return m;
}

std::vector<Mdpr> MediaHeaders(const std::vector<std::uint8_t>& file) {
    std::vector<Mdpr> out;
    for (const Chunk& c : HeaderChunks(file))
        if (c.tag == "MDPR")
            out.push_back(ReadMdpr(file, c));
    return out;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

int OpenDescriptorCount() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace rmtest
