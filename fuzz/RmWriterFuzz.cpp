// The RealMedia writer: whatever streams, frames, times and texts it is handed, it either refuses with its
// error or writes a file that libavformat opens and reads to the end without complaint, with every stream
// it was given, every 14.4 byte and the clip's texts as they were.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "encoder/rm/OutputFile.h"
#include "encoder/rm/RmWriter.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libavutil/log.h>
}

namespace {

using encoder::rm::Codec;
using encoder::rm::StreamKind;

// Bounds that keep one input within a fraction of a second.
constexpr int kMaxFrames = 3000;
constexpr std::size_t kMaxTotalBytes = 3u << 20;

std::string ScratchFolder() {
    static const std::string folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("quenzor-fuzz-writer-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

// What libavformat says at error level or worse while it reads the file.
std::mutex logMutex;
std::vector<std::string> complaints;

void CollectComplaints(void*, int level, const char* format, va_list args) {
    if (level > AV_LOG_ERROR)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line(text, std::strlen(text));
    std::lock_guard<std::mutex> lock(logMutex);
    complaints.push_back(std::move(line));
}

// Texts of every kind: empty, short, or long enough to reach the limits of the fields they go into.
std::string Text(FuzzInput& in) {
    switch (in.Byte() % 4) {
        case 0:
            return {};
        case 1:
            return in.Bytes(in.Byte());
        case 2: {
            const std::string piece = in.Bytes(1 + in.Byte() % 8);
            std::string text;
            const std::size_t length = 65000 + in.U16() % 1000;
            while (text.size() < length)
                text += piece.empty() ? std::string(1, '\x80') : piece;
            text.resize(length);
            return text;
        }
        default:
            return in.Bytes(in.U16() % 2048);
    }
}

double FramesPerSecond(FuzzInput& in) {
    static const double kRates[] = {
        0,  1,  10,   15,  23.976, 25,    29.97,
        30, 60, 1e-3, 1e9, -5.0,   120.0, std::numeric_limits<double>::quiet_NaN()};
    return kRates[in.Byte() % std::size(kRates)];
}

std::uint32_t Audience(FuzzInput& in) {
    static const std::uint32_t kAudiences[] = {0, 0, 20000, 34000, 45000, 80000, 150000, 0};
    const std::uint8_t pick = in.Byte() % std::size(kAudiences);
    return pick == std::size(kAudiences) - 1 ? in.U32() : kAudiences[pick];
}

encoder::rm::StreamDesc Stream(FuzzInput& in) {
    encoder::rm::StreamDesc d;
    const std::uint8_t kind = in.Byte();
    d.audienceBitRate = Audience(in);
    d.avgBitRate = in.Byte() * 1000u;
    d.maxBitRate = d.avgBitRate;
    if (kind & 1) {
        d.kind = StreamKind::Video;
        d.codec = Codec::RealVideo20;
        d.video.width = (kind & 2) ? in.U16() : 176;
        d.video.height = (kind & 2) ? in.U16() : 144;
        d.video.framesPerSecond = FramesPerSecond(in);
        static const std::uint32_t kPacketLimits[] = {0, 0, 1, 12, 13, 100, 1000, 1400, 65535, 70000};
        const std::uint8_t pick = in.Byte() % (std::size(kPacketLimits) + 1);
        d.maxPacketBytes = pick < std::size(kPacketLimits) ? kPacketLimits[pick] : in.U32();
        const std::string extra = in.Bytes(in.Byte() % 16);
        d.extradata.assign(extra.begin(), extra.end());
    } else if (kind & 2) {
        d.kind = StreamKind::Audio;
        d.codec = Codec::RealAudioAc3;
        static const std::uint32_t kRates[] = {48000, 44100, 32000, 24000, 22050, 16000, 11025, 8000};
        const std::uint8_t pick = in.Byte();
        d.audio.sampleRate = pick < 240 ? kRates[pick % std::size(kRates)] : in.U32();
        d.audio.channels = static_cast<std::uint16_t>((kind & 4) ? in.U16() : 1 + (kind >> 4) % 6);
        d.audio.bitsPerSample = (kind & 8) ? in.U16() : 16;
        d.audio.frameBytes = (kind & 4) ? in.U32() : 2u * (64 + in.Byte() * 4u);
        d.audio.samplesPerFrame = (kind & 4) ? in.U32() : 1536;
    } else {
        d.kind = StreamKind::Audio;
        d.codec = Codec::RealAudio144;
        d.audio.sampleRate = (kind & 4) ? in.U32() : 8000;
        d.audio.channels = static_cast<std::uint16_t>((kind & 4) ? in.U16() : 1);
        d.audio.frameBytes = (kind & 4) ? in.U32() : 20;
        d.audio.samplesPerFrame = (kind & 4) ? in.U32() : 160;
    }
    return d;
}

// Frame sizes: empty, a 14.4 frame, small, and large enough to be cut into many packets or refused.
std::size_t FrameSize(FuzzInput& in, std::uint8_t pick) {
    switch (pick % 8) {
        case 0:
            return 0;
        case 1:
            return 20;
        case 2:
            return in.Byte();
        case 3:
            return in.U16();
        case 4:
            return 60000 + in.U32() % 600000;
        case 5:
            return 1 + in.Byte() % 24;
        default:
            return in.Byte() * 16u;
    }
}

// Times going on by a little, standing still, going back, leaping, or out of every range.
std::int64_t NextTime(FuzzInput& in, std::uint8_t pick, std::int64_t now) {
    switch (pick % 8) {
        case 0:
        case 1:
            return now + in.Byte();
        case 2:
            return now + 20;
        case 3:
            return now;
        case 4:
            return now - in.U16();
        case 5:
            return now + in.U32();
        case 6:
            return static_cast<std::int64_t>(in.U64());
        default:
            return now + in.U16();
    }
}

struct Written {
    Codec codec;
    std::string bytes;  // 14.4 frames as handed in
};

// Reads the file back: opens, holds every stream, reads to the end without an error or a complaint.
void ReadBack(const std::string& path, const std::vector<Written>& streams,
              const encoder::rm::ClipInfo& clip) {
    {
        std::lock_guard<std::mutex> lock(logMutex);
        complaints.clear();
    }
    AVFormatContext* input = nullptr;
    FuzzCheck(avformat_open_input(&input, path.c_str(), nullptr, nullptr) == 0, "libavformat opens the file");
    std::size_t physical = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVMediaType type = input->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO)
            ++physical;
    }
    FuzzCheck(physical == streams.size(), "libavformat finds every stream written");

    // CONT texts: libavformat keeps up to 1023 bytes of each, up to the first zero byte.
    const char* keys[] = {"title", "author", "copyright", "comment"};
    const std::string* texts[] = {&clip.title, &clip.author, &clip.copyright, &clip.comment};
    for (std::size_t k = 0; k < 4; ++k) {
        bool shadowed = false;  // a file-info property of the same name, in any case, replaces it
        for (const auto& [name, value] : clip.fileInfo)
            shadowed = shadowed ||
                       av_strcasecmp(name.substr(0, name.find('\0')).substr(0, 127).c_str(), keys[k]) == 0;
        if (shadowed)
            continue;
        const std::string expected = texts[k]->substr(0, 1023).substr(0, texts[k]->find('\0'));
        const AVDictionaryEntry* tag = av_dict_get(input->metadata, keys[k], nullptr, AV_DICT_MATCH_CASE);
        if ((tag ? std::string(tag->value) : std::string()) != expected)
            std::fprintf(stderr, "%s: %zu bytes read back, %zu expected\n", keys[k],
                         tag ? std::strlen(tag->value) : 0, expected.size());
        FuzzCheck((tag ? std::string(tag->value) : std::string()) == expected, "the clip's texts are kept");
    }

    std::vector<std::string> audio(input->nb_streams);
    AVPacket* packet = av_packet_alloc();
    int rc = 0;
    while ((rc = av_read_frame(input, packet)) >= 0) {
        FuzzCheck(
            packet->stream_index >= 0 && static_cast<unsigned>(packet->stream_index) < input->nb_streams,
            "packets belong to a stream");
        if (input->streams[packet->stream_index]->codecpar->codec_id == AV_CODEC_ID_RA_144)
            audio[static_cast<std::size_t>(packet->stream_index)].append(
                reinterpret_cast<const char*>(packet->data), static_cast<std::size_t>(packet->size));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    FuzzCheck(rc == AVERROR_EOF, "libavformat reads the file to its end");

    // 14.4 streams come back byte for byte (in a multi-rate file in another order: compared as a set).
    std::vector<std::string> wrote144, read144;
    for (const Written& w : streams)
        if (w.codec == Codec::RealAudio144)
            wrote144.push_back(w.bytes);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (input->streams[i]->codecpar->codec_id == AV_CODEC_ID_RA_144)
            read144.push_back(audio[i]);
    std::sort(wrote144.begin(), wrote144.end());
    std::sort(read144.begin(), read144.end());
    FuzzCheck(wrote144 == read144, "14.4 frames are read back as they were written");
    avformat_close_input(&input);
    std::lock_guard<std::mutex> lock(logMutex);
    for (const std::string& c : complaints)
        std::fprintf(stderr, "libavformat: %s", c.c_str());
    FuzzCheck(complaints.empty(), "libavformat reads the file without complaint");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        av_log_set_callback(CollectComplaints);
        ScratchFolder();
        // Registered once the folder's name is made, so it runs while the name still stands.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return true;
    }();
    (void)ready;
    FuzzInput in(data, size);
    const std::string path = ScratchFolder() + "/out.rm";
    std::filesystem::remove(path);

    std::vector<Written> streams;
    encoder::rm::ClipInfo clip;
    bool refused = false;
    try {
        encoder::rm::Writer writer(path);
        const int count = 1 + in.Byte() % 6;
        for (int i = 0; i < count; ++i) {
            const encoder::rm::StreamDesc desc = Stream(in);
            try {
                writer.AddStream(desc);
                streams.push_back({desc.codec, {}});
            } catch (const std::invalid_argument&) {
                // A stream the writer cannot describe is refused before anything is written.
            }
        }
        if (streams.empty())
            return 0;
        clip.title = Text(in);
        clip.author = Text(in);
        clip.copyright = Text(in);
        clip.comment = Text(in);
        for (int i = in.Byte() % 4; i > 0; --i) {
            std::string name = in.Bytes(in.Byte() % 40);
            clip.fileInfo.emplace_back(std::move(name), Text(in));
        }
        writer.Begin(clip);

        std::vector<std::int64_t> now(streams.size(), 0);
        std::size_t total = 0;
        std::vector<std::uint8_t> frame;
        for (int n = 0; n < kMaxFrames && !in.Empty(); ++n) {
            const std::uint8_t op = in.Byte();
            const std::uint8_t shape = in.Byte();
            const std::size_t s = op % streams.size();
            const std::int64_t time = NextTime(in, op >> 3, now[s]);
            const std::size_t bytes = FrameSize(in, shape >> 1);
            if (total + bytes > kMaxTotalBytes)
                break;
            total += bytes;
            in.Fill(frame, bytes);
            try {
                writer.WriteFrame(static_cast<int>(s), time, shape & 1, frame);
            } catch (const std::out_of_range&) {
                continue;  // a time before the file's start or past what the file can hold
            }
            now[s] = std::max(now[s], time);
            if (streams[s].codec == Codec::RealAudio144)
                streams[s].bytes.append(frame.begin(), frame.end());
        }
        writer.Finish();
    } catch (const encoder::rm::WriteError& e) {
        const std::string text = e.what();
        FuzzCheck(!text.empty() && text.back() == '.', "a refusal is a sentence");
        refused = true;
    }
    if (!refused)
        ReadBack(path, streams, clip);
    std::filesystem::remove(path);
    return 0;
}
