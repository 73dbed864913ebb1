// The RealMedia writer's inner state, shared by its packet intake, its layout and its headers.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "encoder/rm/ByteBuffer.h"
#include "encoder/rm/Chunks.h"
#include "encoder/rm/OutputFile.h"
#include "encoder/rm/Packetizer.h"
#include "encoder/rm/RmWriter.h"

namespace encoder::rm {

constexpr std::uint32_t kPacketHeaderSize = 12;
constexpr std::uint8_t kKeyFrameFlag = 0x02;
// Audio frames are grouped into packets of up to this size and length: few packet headers, yet a
// reader that starts at a video keyframe misses little of the sound around it.
constexpr std::size_t kAudioPacketTarget = 640;
constexpr double kAudioPacketMaxMs = 200;
// Audio index points lie about this far apart.
constexpr std::uint32_t kAudioIndexSpacingMs = 1000;
// Physical streams are numbered from 1. FFmpeg, when it looks for a packet from anywhere but a packet's
// start (every seek), takes the first four bytes of the form 00 00 xx xx for a packet header; the last
// four bytes of many AC-3 packets (zero padding, then the check sum) have that form, and the next
// packet's version field (00 00) then reads as the stream number. With no stream 0 such a false header
// names no stream and is skipped, and the search lands on a true packet.
constexpr std::uint16_t kFirstStreamNumber = 1;

struct PacketInfo {
    std::uint32_t timestamp = 0;
    std::uint32_t size = 0;  // with the packet header
    bool key = false;
    bool startsFrame = false;  // first packet of a picture, or any audio packet
};

struct StreamState {
    StreamDesc desc;
    std::uint16_t number = 0;
    std::unique_ptr<Spool> spool;
    // Audio packets close at this many bytes.
    std::size_t audioPacketTarget = kAudioPacketTarget;
    std::vector<PacketInfo> packets;
    std::int64_t lastTimestamp = -1;
    double endTime = 0;  // ms, end of the last frame
    std::uint64_t codecBytes = 0;
    std::uint32_t pictureNumber = 0;
    // Audio frames waiting to fill a packet (for cook, an interleave block).
    std::vector<std::uint8_t> pending;
    std::int64_t pendingTimestamp = 0;
    double pendingEnd = 0;
    // Cook: the shape of its interleave blocks, and the times of the frames of the block being filled.
    CookInterleave cook;
    std::vector<std::int64_t> blockTimes;

    double FrameDurationMs() const {
        if (desc.kind == StreamKind::Video)
            return desc.video.framesPerSecond > 0 ? 1000.0 / desc.video.framesPerSecond : 0.0;
        if (desc.audio.sampleRate == 0)
            return 0.0;
        return 1000.0 * desc.audio.samplesPerFrame / desc.audio.sampleRate;
    }
};

inline std::uint32_t ClampU32(double v) {
    if (!(v > 0))
        return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(std::llround(v));
}

// A packet in the order the data chunk holds it.
struct PacketRef {
    std::uint32_t timestamp;
    std::uint32_t stream;  // index into the writer's streams
    std::uint32_t packet;  // index into that stream's packets
};

// A logical stream of a multi-rate file: the physical streams of one kind, by rising audience.
struct LogicalStream {
    StreamKind kind;
    std::vector<std::size_t> members;
};

// Everything the header says, worked out from the packets before a byte is written.
struct Layout {
    std::vector<std::size_t> byNumber;  // stream indexes in stream-number order
    std::vector<Figures> figures;       // per stream index
    Figures total;
    std::uint32_t packetCount = 0;
    std::vector<PacketRef> order;  // every packet of the one data chunk, by time
    std::uint64_t dataBytes = 0;   // its packets, headers included
    std::vector<LogicalStream> logicals;
    std::vector<std::vector<IndexRecord>> index;  // per stream index
    std::uint32_t dataOffset = 0;
    std::uint32_t indexOffset = 0;
};

struct Writer::Impl {
    std::string path;
    std::string directory;
    std::unique_ptr<OutputFile> file;
    std::vector<StreamState> streams;
    ClipInfo clip;
    bool begun = false;
    bool finished = false;
    bool multiRate = false;

    void CheckOpen(const char* what) const {
        if (finished || !file)
            throw std::logic_error(std::string("RealMedia writer: ") + what + " after Finish");
    }

    void AppendPacket(StreamState& s, std::int64_t timestamp, bool key, bool startsFrame,
                      std::span<const std::uint8_t> payload);
    void FlushAudio(StreamState& s);
    void WriteAudio(StreamState& s, std::int64_t timestamp, std::span<const std::uint8_t> frame);
    void WriteCook(StreamState& s, std::int64_t timestamp, std::span<const std::uint8_t> frame);
    void WriteVideo(StreamState& s, std::int64_t timestamp, bool key, std::span<const std::uint8_t> frame);
    std::vector<Property> FileInfoProperties() const;

    void Finish();
    bool MultiRate() const;
    void PrepareStreams();
    void LayOut();
    void PlanData(Layout& layout) const;
    void MeasureFile(Layout& layout) const;
    void IndexPackets(Layout& layout) const;
    std::vector<LogicalStream> LogicalStreams(const Layout& layout) const;
    ByteBuffer Header(const Layout& layout) const;
    void PutPhysicalStream(ByteBuffer& h, const Layout& layout, std::size_t i) const;
    void PutLogicalStream(ByteBuffer& h, const Layout& layout, std::size_t l) const;
};

}  // namespace encoder::rm
