#pragma once
// Tiny media made with libavcodec for the RealMedia writer tests, and a reader that looks at the
// written files through libavformat exactly as FFmpeg's tools do.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "encoder/LibavPtr.h"
#include "encoder/rm/RmWriter.h"

namespace rmtest {

using encoder::av::CodecPtr;
using encoder::av::FramePtr;
using encoder::av::InputPtr;
using encoder::av::PacketPtr;

struct Frame {
    std::vector<std::uint8_t> bytes;
    std::int64_t timestampMs = 0;
    bool key = false;
};

struct EncodedStream {
    encoder::rm::StreamDesc desc;
    std::vector<Frame> frames;
    double durationMs = 0;
};

// RealVideo 2.0 pictures of a moving pattern; `gop` pictures between keyframes.
EncodedStream EncodeRv20(int width, int height, double fps, int count, int bitRate, int gop);
// RealAudio 1.0 (14.4): 8 kHz mono, 20-byte frames of 160 samples.
EncodedStream EncodeRa144(double seconds);
// AC-3 at the given rate and channel count.
EncodedStream EncodeAc3(int sampleRate, int channels, int bitRate, double seconds);
// Cook of one of the codec's flavors, through the encoder's CookStream: frames stamped as the pipeline
// stamps them.
EncodedStream EncodeCook(int sampleRate, int channels, int bitRate, double seconds);

// Writes the streams into `path`, frames interleaved as a pipeline would hand them over.
void WriteFile(const std::string& path, const std::vector<const EncodedStream*>& streams,
               const encoder::rm::ClipInfo& info);

struct ProbedStream {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int id = -1;
    std::int64_t bitRate = 0;
    double durationMs = 0;
    int width = 0, height = 0, sampleRate = 0, channels = 0;
    int packets = 0;
    int decodedFrames = 0;
    std::vector<std::int64_t> pts;
};

struct Probe {
    bool opened = false;
    std::string openError;
    double durationMs = 0;
    std::map<std::string, std::string> metadata;
    std::vector<ProbedStream> streams;
    std::vector<std::string> errors;  // everything libav logged at error level while reading
};

// Opens the file, reads every packet and decodes every audio and video packet; with `seekMs` at 0 or
// more, first seeks there as `ffmpeg -ss` does (default stream, backwards to a keyframe).
Probe ProbeFile(const std::string& path, std::int64_t seekMs = -1);

// The file's bytes as unsigned values, for the field readers below.
std::vector<std::uint8_t> ReadByteVector(const std::string& path);
std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at);
std::uint16_t Be16(const std::vector<std::uint8_t>& b, std::size_t at);

// Offsets of every top-level chunk, walking the headers and following data and index chunks.
struct Chunk {
    std::string tag;
    std::size_t offset = 0;
    std::uint32_t size = 0;
};
std::vector<Chunk> HeaderChunks(const std::vector<std::uint8_t>& file);

// Media properties header fields.
struct Mdpr {
    std::uint16_t number;
    std::uint32_t maxBitRate, avgBitRate, maxPacket, avgPacket, start, preroll, duration;
    std::string name, mime;
    std::size_t typeSpecific;  // offset in the file
    std::uint32_t typeSpecificSize;
};
Mdpr ReadMdpr(const std::vector<std::uint8_t>& file, const Chunk& chunk);
std::vector<Mdpr> MediaHeaders(const std::vector<std::uint8_t>& file);

// Log lines as one text for failure messages.
std::string Joined(const std::vector<std::string>& lines);

int OpenDescriptorCount();

}  // namespace rmtest
