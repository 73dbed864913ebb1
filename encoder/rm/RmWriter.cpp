#include "encoder/rm/RmWriter.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>

#include "encoder/rm/ByteBuffer.h"
#include "encoder/rm/Chunks.h"
#include "encoder/rm/OutputFile.h"
#include "encoder/rm/Packetizer.h"

namespace encoder::rm {

namespace {

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
    // Audio frames waiting to fill a packet.
    std::vector<std::uint8_t> pending;
    std::int64_t pendingTimestamp = 0;
    double pendingEnd = 0;

    double FrameDurationMs() const {
        if (desc.kind == StreamKind::Video)
            return desc.video.framesPerSecond > 0 ? 1000.0 / desc.video.framesPerSecond : 0.0;
        if (desc.audio.sampleRate == 0)
            return 0.0;
        return 1000.0 * desc.audio.samplesPerFrame / desc.audio.sampleRate;
    }
};

std::string DirectoryOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string CreationDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::uint32_t ClampU32(double v) {
    if (!(v > 0))
        return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(std::llround(v));
}

// Bits of the busiest second: the most packet bytes, headers included, whose times lie within any
// 1000 ms, wherever that second starts. `sizeAt(n)` and `timeAt(n)` give packet n of `count`, in time
// order.
template <typename Size, typename Time>
std::uint32_t BusiestSecondBits(std::size_t count, Size sizeAt, Time timeAt) {
    std::uint64_t window = 0;
    std::uint64_t busiest = 0;
    std::size_t first = 0;
    for (std::size_t n = 0; n < count; ++n) {
        window += sizeAt(n);
        while (timeAt(n) - timeAt(first) >= 1000)
            window -= sizeAt(first++);
        busiest = std::max(busiest, window);
    }
    return ClampU32(busiest * 8.0);
}

// True header figures of one stream, from the packets it really holds.
Figures MeasureStream(const StreamState& s) {
    Figures f;
    if (s.packets.empty())
        return f;
    std::uint64_t total = 0;
    std::uint32_t maxPayload = 0;
    for (const PacketInfo& p : s.packets) {
        total += p.size;
        maxPayload = std::max(maxPayload, p.size - kPacketHeaderSize);
    }
    const std::uint64_t count = s.packets.size();
    const double duration = std::max(1.0, std::ceil(s.endTime));
    f.duration = ClampU32(duration);
    f.startTime = s.packets.front().timestamp;
    f.avgBitRate = ClampU32(total * 8.0 * 1000.0 / duration);
    f.maxBitRate =
        std::max(f.avgBitRate, BusiestSecondBits(
                                   s.packets.size(), [&](std::size_t n) { return s.packets[n].size; },
                                   [&](std::size_t n) { return s.packets[n].timestamp; }));
    f.maxPacketSize = maxPayload;
    f.avgPacketSize = static_cast<std::uint32_t>((total - count * kPacketHeaderSize) / count);
    // Preroll: how long a player must buffer, receiving at the average rate, so that no packet
    // arrives after its time.
    double received = 0;
    double worst = 0;
    if (f.avgBitRate > 0) {
        for (const PacketInfo& p : s.packets) {
            received += p.size;
            worst = std::max(worst, received * 8000.0 / f.avgBitRate - p.timestamp);
        }
    }
    f.preroll = ClampU32(worst);
    return f;
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

}  // namespace

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
                      std::span<const std::uint8_t> payload) {
        ByteBuffer header;
        header.U16(0);
        header.U16(static_cast<std::uint16_t>(payload.size() + kPacketHeaderSize));
        header.U16(s.number);
        header.U32(static_cast<std::uint32_t>(timestamp));
        header.U8(0);
        header.U8(key ? kKeyFrameFlag : 0);
        s.spool->Append(header.Data());
        s.spool->Append(payload);
        s.packets.push_back({static_cast<std::uint32_t>(timestamp),
                             static_cast<std::uint32_t>(payload.size() + kPacketHeaderSize), key,
                             startsFrame});
    }

    void FlushAudio(StreamState& s) {
        if (s.pending.empty())
            return;
        // Audio packets are all marked as keyframes: both codecs can start decoding at any of them.
        AppendPacket(s, s.pendingTimestamp, true, true, s.pending);
        s.pending.clear();
    }

    void WriteAudio(StreamState& s, std::int64_t timestamp, std::span<const std::uint8_t> frame) {
        const double duration = s.FrameDurationMs();
        // A gap or overlap in the timestamps starts a new packet so every packet's time stays exact;
        // a millisecond or two is only the rounding of the caller's times.
        const bool continuous = std::fabs(static_cast<double>(timestamp) - s.pendingEnd) <= 2.0;
        if (frame.size() > kMaxPacketPayload)
            throw WriteError("An audio frame of " + std::to_string(frame.size()) +
                             " bytes is too large for a RealMedia file.");
        if (!s.pending.empty() && (!continuous || s.pending.size() + frame.size() > s.audioPacketTarget))
            FlushAudio(s);
        if (s.pending.empty()) {
            s.pendingTimestamp = timestamp;
            s.pendingEnd = static_cast<double>(timestamp);
        }
        if (s.desc.codec == Codec::RealAudioAc3)
            AppendSwappedWords(s.pending, frame);
        else
            s.pending.insert(s.pending.end(), frame.begin(), frame.end());
        s.pendingEnd += duration;
        if (s.pending.size() >= s.audioPacketTarget ||
            s.pendingEnd - s.pendingTimestamp >= kAudioPacketMaxMs - 0.5)
            FlushAudio(s);
    }

    void WriteVideo(StreamState& s, std::int64_t timestamp, bool key, std::span<const std::uint8_t> frame) {
        std::vector<std::vector<std::uint8_t>> packets;
        try {
            const std::size_t limit = s.desc.maxPacketBytes ? s.desc.maxPacketBytes : kMaxPacketPayload;
            packets = PacketizeVideoFrame(frame, static_cast<std::uint8_t>(s.pictureNumber), limit);
        } catch (const std::length_error&) {
            throw WriteError("A video frame of " + std::to_string(frame.size()) +
                             " bytes is too large for a RealMedia file.");
        }
        ++s.pictureNumber;
        for (std::size_t i = 0; i < packets.size(); ++i)
            AppendPacket(s, timestamp, key, i == 0, packets[i]);
    }

    std::vector<Property> FileInfoProperties() const {
        std::vector<Property> properties;
        bool hasDate = false;
        for (const auto& [name, value] : clip.fileInfo) {
            properties.push_back({name, true, 0, value});
            hasDate = hasDate || name == "Creation Date";
        }
        if (!hasDate)
            properties.push_back({"Creation Date", true, 0, CreationDate()});
        return properties;
    }

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

namespace {

// ASM rule book of one logical stream: two rules (keyframes, other frames) per physical stream,
// each stream chosen while the listener's bandwidth lies between its audience and the next one.
std::string RuleBook(const std::vector<const StreamState*>& members, const std::vector<Figures>& figures,
                     bool video) {
    std::string book;
    for (std::size_t j = 0; j < members.size(); ++j) {
        std::string condition;
        const std::uint32_t low = members[j]->desc.audienceBitRate;
        const bool hasLow = j > 0;
        const bool hasHigh = j + 1 < members.size();
        if (hasLow)
            condition = "($Bandwidth >= " + std::to_string(low) + ")";
        if (hasHigh) {
            if (!condition.empty())
                condition += " && ";
            condition += "($Bandwidth < " + std::to_string(members[j + 1]->desc.audienceBitRate) + ")";
        }
        const std::string guard = condition.empty() ? "" : "#" + condition + ",";
        const std::string keyRule = std::to_string(2 * j);
        book += guard + "Priority=" + (video ? "9" : "5") +
                ",AverageBandwidth=" + std::to_string(figures[j].avgBitRate) + ",PNMKeyFrameRule=T;";
        book += guard + "Priority=5,AverageBandwidth=0,PNMNonKeyFrameRule=T,OnDepend=\"" + keyRule +
                "\",OffDepend=\"" + keyRule + "\";";
    }
    return book;
}

// The stream of `kind` a reader choosing by bit rate plays (MPlayer): the first, by number, of those
// with the highest average bit rate. streams.size() when there is none.
std::size_t TopStream(const std::vector<StreamState>& streams, const Layout& layout, StreamKind kind) {
    std::size_t best = streams.size();
    for (const std::size_t i : layout.byNumber)
        if (streams[i].desc.kind == kind &&
            (best == streams.size() || layout.figures[i].avgBitRate > layout.figures[best].avgBitRate))
            best = i;
    return best;
}

}  // namespace

bool Writer::Impl::MultiRate() const {
    for (const StreamKind kind : {StreamKind::Audio, StreamKind::Video}) {
        std::vector<std::uint32_t> audiences;
        for (const StreamState& s : streams)
            if (s.desc.kind == kind)
                audiences.push_back(s.desc.audienceBitRate);
        std::sort(audiences.begin(), audiences.end());
        if (std::adjacent_find(audiences.begin(), audiences.end(), std::not_equal_to<>()) != audiences.end())
            return true;
    }
    return false;
}

void Writer::Impl::PrepareStreams() {
    // All streams together keep a bounded amount in memory, however many audiences there are.
    const std::size_t share = std::max<std::size_t>(1u << 20, (32u << 20) / streams.size());
    for (StreamState& s : streams)
        s.spool->SetMemoryLimit(share);
    multiRate = MultiRate();
    if (!multiRate)
        return;
    // Top audience first, audio before video: VLC and GStreamer's players play the first stream of
    // each kind, so a local viewer sees the best the file holds.
    std::vector<std::size_t> order(streams.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const StreamState& x = streams[a];
        const StreamState& y = streams[b];
        if (x.desc.audienceBitRate != y.desc.audienceBitRate)
            return x.desc.audienceBitRate > y.desc.audienceBitRate;
        return x.desc.kind == StreamKind::Audio && y.desc.kind == StreamKind::Video;
    });
    for (std::size_t n = 0; n < order.size(); ++n)
        streams[order[n]].number = static_cast<std::uint16_t>(kFirstStreamNumber + n);
    // GStreamer hands a whole 14.4 packet to the decoder of a stream it does not play; that decoder
    // takes the first frame and reports the rest as an error, and a few such errors end playback. A
    // 14.4 stream after the first audio stream therefore carries one frame per packet.
    bool firstAudio = true;
    for (const std::size_t i : order) {
        StreamState& s = streams[i];
        if (s.desc.kind != StreamKind::Audio)
            continue;
        if (!firstAudio && s.desc.codec == Codec::RealAudio144 && s.desc.audio.frameBytes > 0)
            s.audioPacketTarget = s.desc.audio.frameBytes;
        firstAudio = false;
    }
}

// Every packet of every stream goes into one data chunk, interleaved by time (ties in stream order).
// Readers that know nothing of multi-rate files read one chunk from the file properties' data offset to
// the end (FFmpeg cannot cross a second chunk's header), and every stream's data starts there.
void Writer::Impl::PlanData(Layout& layout) const {
    for (std::size_t i = 0; i < streams.size(); ++i)
        for (std::uint32_t pi = 0; pi < streams[i].packets.size(); ++pi) {
            const PacketInfo& p = streams[i].packets[pi];
            layout.order.push_back({p.timestamp, static_cast<std::uint32_t>(i), pi});
            layout.dataBytes += p.size;
        }
    std::stable_sort(layout.order.begin(), layout.order.end(), [&](const PacketRef& a, const PacketRef& b) {
        return a.timestamp != b.timestamp ? a.timestamp < b.timestamp
                                          : streams[a.stream].number < streams[b.stream].number;
    });
}

// Whole-file figures: everything the file holds.
void Writer::Impl::MeasureFile(Layout& layout) const {
    Figures& total = layout.total;
    std::uint64_t payloadBytes = 0;
    double endTime = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        total.preroll = std::max(total.preroll, layout.figures[i].preroll);
        total.maxPacketSize = std::max(total.maxPacketSize, layout.figures[i].maxPacketSize);
        endTime = std::max(endTime, streams[i].endTime);
        for (const PacketInfo& p : streams[i].packets) {
            payloadBytes += p.size - kPacketHeaderSize;
            ++layout.packetCount;
        }
    }
    const double duration = std::max(1.0, std::ceil(endTime));
    total.duration = ClampU32(duration);
    total.avgBitRate = ClampU32(layout.dataBytes * 8.0 * 1000.0 / duration);
    auto packetOf = [&](std::size_t n) -> const PacketInfo& {
        return streams[layout.order[n].stream].packets[layout.order[n].packet];
    };
    total.maxBitRate =
        std::max(total.avgBitRate, BusiestSecondBits(
                                       layout.order.size(), [&](std::size_t n) { return packetOf(n).size; },
                                       [&](std::size_t n) { return packetOf(n).timestamp; }));
    total.avgPacketSize =
        layout.packetCount ? static_cast<std::uint32_t>(payloadBytes / layout.packetCount) : 0;
}

// Index records: keyframes of video, a point a second for audio; offsets from the file start.
//
// Each point is followed by a closing record at the same offset, stamped a millisecond before the next
// point (the last one at the end of the file). FFmpeg seeks between the two records around the target
// and searches the bytes between their offsets for a packet header, reading from inside packets, where
// the end of many AC-3 frames looks like a header of some length: it skips that length and often
// runs off the end of the file ("could not seek"). With the records around every target at one offset
// there is nothing to search, and the seek lands on the point before the target. Other readers take
// the last record at or before the target, which has the point's offset.
//
// A multi-rate file with sound and picture is read by MPlayer from two positions, one per stream it
// plays, switching whenever a packet passes its stream's next index record. With both streams in one
// chunk, every switch goes back in the file and plays packets again, unless one of the two never passes
// a record: the audio stream MPlayer plays therefore gets one record only, at its last packet and no
// earlier than the last record of the video MPlayer plays. MPlayer then reads the chunk once, from its
// start; other readers lose only that stream's seek points, and seek by the others'.
void Writer::Impl::IndexPackets(Layout& layout) const {
    layout.index.assign(streams.size(), {});
    std::vector<std::int64_t> lastIndexed(streams.size(), std::numeric_limits<std::int64_t>::min());
    std::vector<IndexRecord> lastPacket(streams.size());
    std::uint64_t offset = std::uint64_t{layout.dataOffset} + kDataHeaderSize;
    for (std::uint32_t n = 0; n < layout.order.size(); ++n) {
        const PacketRef& r = layout.order[n];
        const StreamState& s = streams[r.stream];
        const PacketInfo& p = s.packets[r.packet];
        const bool point =
            s.desc.kind == StreamKind::Video
                ? p.key && p.startsFrame
                : static_cast<std::int64_t>(p.timestamp) >= lastIndexed[r.stream] + kAudioIndexSpacingMs;
        const IndexRecord record{p.timestamp, static_cast<std::uint32_t>(offset), n};
        if (point) {
            layout.index[r.stream].push_back(record);
            lastIndexed[r.stream] = p.timestamp;
        }
        lastPacket[r.stream] = record;
        offset += p.size;
    }
    for (std::vector<IndexRecord>& records : layout.index) {
        std::vector<IndexRecord> closed;
        for (std::size_t k = 0; k < records.size(); ++k) {
            closed.push_back(records[k]);
            const std::int64_t until = k + 1 < records.size() ? std::int64_t{records[k + 1].timestamp} - 1
                                                              : std::int64_t{layout.total.duration};
            if (until > records[k].timestamp)
                closed.push_back(
                    {static_cast<std::uint32_t>(until), records[k].offset, records[k].packetNumber});
        }
        records = std::move(closed);
    }
    const std::size_t audio = TopStream(streams, layout, StreamKind::Audio);
    const std::size_t video = TopStream(streams, layout, StreamKind::Video);
    if (!multiRate || audio == streams.size() || video == streams.size() || streams[audio].packets.empty())
        return;
    IndexRecord only = lastPacket[audio];
    if (!layout.index[video].empty())
        only.timestamp = std::max(only.timestamp, layout.index[video].back().timestamp);
    layout.index[audio] = {only};
}

std::vector<LogicalStream> Writer::Impl::LogicalStreams(const Layout& layout) const {
    std::vector<LogicalStream> logicals;
    if (!multiRate)
        return logicals;
    for (const StreamKind kind : {StreamKind::Audio, StreamKind::Video}) {
        LogicalStream l{kind, {}};
        for (const std::size_t i : layout.byNumber)
            if (streams[i].desc.kind == kind)
                l.members.push_back(i);
        // The rule book reads from the slowest audience up.
        std::stable_sort(l.members.begin(), l.members.end(), [&](std::size_t a, std::size_t b) {
            return streams[a].desc.audienceBitRate < streams[b].desc.audienceBitRate;
        });
        if (!l.members.empty())
            logicals.push_back(std::move(l));
    }
    return logicals;
}

void Writer::Impl::PutPhysicalStream(ByteBuffer& h, const Layout& layout, std::size_t i) const {
    const StreamState& s = streams[i];
    if (s.desc.kind == StreamKind::Audio) {
        const auto bytesPerMinute = ClampU32(s.codecBytes * 60000.0 / std::max(1.0, std::ceil(s.endTime)));
        PutMediaProperties(
            h, s.number, layout.figures[i], "Audio Stream",
            multiRate ? "audio/x-pn-multirate-realaudio" : "audio/x-pn-realaudio",
            AudioTypeSpecific(s.desc, bytesPerMinute, static_cast<std::uint32_t>(s.codecBytes)));
    } else {
        PutMediaProperties(h, s.number, layout.figures[i], "Video Stream",
                           multiRate ? "video/x-pn-multirate-realvideo" : "video/x-pn-realvideo",
                           VideoTypeSpecific(s.desc));
    }
}

void Writer::Impl::PutLogicalStream(ByteBuffer& h, const Layout& layout, std::size_t l) const {
    const LogicalStream& logical = layout.logicals[l];
    std::vector<std::uint16_t> numbers;
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint16_t> rules;
    std::vector<const StreamState*> members;
    std::vector<Figures> memberFigures;
    Figures f;
    for (const std::size_t i : logical.members) {
        const Figures& m = layout.figures[i];
        numbers.push_back(streams[i].number);
        offsets.push_back(layout.dataOffset);
        rules.push_back(streams[i].number);
        rules.push_back(streams[i].number);
        members.push_back(&streams[i]);
        memberFigures.push_back(m);
        f.maxBitRate = std::max(f.maxBitRate, m.maxBitRate);
        f.avgBitRate = std::max(f.avgBitRate, m.avgBitRate);
        f.maxPacketSize = std::max(f.maxPacketSize, m.maxPacketSize);
        f.avgPacketSize = std::max(f.avgPacketSize, m.avgPacketSize);
        f.preroll = std::max(f.preroll, m.preroll);
        f.duration = std::max(f.duration, m.duration);
    }
    const bool video = logical.kind == StreamKind::Video;
    const std::vector<Property> properties = {
        {"ASMRuleBook", true, 0, RuleBook(members, memberFigures, video)}};
    PutMediaProperties(
        h, static_cast<std::uint16_t>(kFirstStreamNumber + streams.size() + l), f, "",
        video ? "logical-video/x-pn-multirate-realvideo" : "logical-audio/x-pn-multirate-realaudio",
        LogicalStreamData(numbers, offsets, rules, properties));
}

// The headers before the data. A multi-rate file names its logical streams before the physical ones:
// MPlayer knows a file is multi-rate only once it has read a logical stream, and picks the stream it
// plays while it reads the physical ones.
ByteBuffer Writer::Impl::Header(const Layout& layout) const {
    const auto physicalCount = static_cast<std::uint16_t>(streams.size());
    const auto streamCount = static_cast<std::uint16_t>(physicalCount + layout.logicals.size() + 1);
    const auto fileInfoNumber = static_cast<std::uint16_t>(kFirstStreamNumber + streamCount - 1);
    // Properties, content, every stream header, the data chunk and one index per physical stream.
    const auto headerCount = static_cast<std::uint32_t>(2 + streamCount + 1 + physicalCount);
    ByteBuffer h;
    PutFileHeader(h, headerCount);
    FileProperties prop;
    prop.figures = layout.total;
    prop.packetCount = layout.packetCount;
    prop.indexOffset = layout.indexOffset;
    prop.dataOffset = layout.dataOffset;
    prop.streamCount = streamCount;
    prop.flags = kFlagSaveAllowed | kFlagPerfectPlay | kFlagDownloadAllowed;
    PutProperties(h, prop);
    PutContent(h, clip);
    auto putFileInfo = [&] {
        Figures infoFigures;
        infoFigures.duration = layout.total.duration;
        PutMediaProperties(h, fileInfoNumber, infoFigures, "", "logical-fileinfo",
                           LogicalStreamData({}, {}, {}, FileInfoProperties()));
    };
    if (multiRate) {
        putFileInfo();
        for (std::size_t l = 0; l < layout.logicals.size(); ++l)
            PutLogicalStream(h, layout, l);
    }
    for (const std::size_t i : layout.byNumber)
        PutPhysicalStream(h, layout, i);
    if (!multiRate)
        putFileInfo();
    return h;
}

void Writer::Impl::LayOut() {
    Layout layout;
    layout.byNumber.resize(streams.size());
    for (std::size_t i = 0; i < streams.size(); ++i) {
        layout.byNumber[streams[i].number - kFirstStreamNumber] = i;
        layout.figures.push_back(MeasureStream(streams[i]));
    }
    PlanData(layout);
    MeasureFile(layout);
    layout.logicals = LogicalStreams(layout);

    // The index goes between the headers and the data, so that the data runs to the end of the file:
    // VLC reads packets until the file ends, and would read an index after them as packets (its
    // first bytes as a packet length). Neither the header's size nor the number of index records
    // depends on the offsets written into them.
    const std::uint64_t indexOffset = Header(layout).Size();
    IndexPackets(layout);
    std::uint64_t dataOffset = indexOffset;
    for (const auto& records : layout.index)
        dataOffset += IndexChunkSize(records.size());
    if (dataOffset + kDataHeaderSize + layout.dataBytes > 0xFFFFFFFFull)
        throw WriteError("The file \"" + path + "\" would be larger than a RealMedia file can be (4 GB).");
    layout.dataOffset = static_cast<std::uint32_t>(dataOffset);
    layout.indexOffset = static_cast<std::uint32_t>(indexOffset);
    IndexPackets(layout);

    file->Write(Header(layout).Data());
    // VLC seeks by the first index of the chain alone: the pictures' keyframes come first (the sound
    // MPlayer plays may have a single record).
    std::vector<std::size_t> chain = layout.byNumber;
    std::stable_partition(chain.begin(), chain.end(),
                          [&](std::size_t i) { return streams[i].desc.kind == StreamKind::Video; });
    auto next = layout.indexOffset;
    for (std::size_t n = 0; n < chain.size(); ++n) {
        const std::size_t i = chain[n];
        next += IndexChunkSize(layout.index[i].size());
        ByteBuffer chunk;
        PutIndex(chunk, streams[i].number, layout.index[i], n + 1 < chain.size() ? next : 0);
        file->Write(chunk.Data());
    }
    ByteBuffer dataHeader;
    PutDataHeader(dataHeader, static_cast<std::uint32_t>(kDataHeaderSize + layout.dataBytes));
    file->Write(dataHeader.Data());
    std::vector<Spool::Reader> readers;
    readers.reserve(streams.size());
    for (const StreamState& s : streams)
        readers.emplace_back(*s.spool);
    for (const PacketRef& r : layout.order)
        file->Write(readers[r.stream].Next(streams[r.stream].packets[r.packet].size));
}

void Writer::Impl::Finish() {
    // Whatever happens, no file stays open once Finish has returned or thrown.
    struct Release {
        Impl& impl;
        ~Release() {
            impl.finished = true;
            impl.file.reset();
            for (StreamState& s : impl.streams)
                s.spool.reset();
        }
    } release{*this};
    for (StreamState& s : streams)
        FlushAudio(s);
    LayOut();
    file->Close();
}

Writer::Writer(const std::string& path) : impl_(std::make_unique<Impl>()) {
    impl_->path = path;
    impl_->directory = DirectoryOf(path);
    impl_->file = std::make_unique<OutputFile>(path);
}

Writer::~Writer() = default;

int Writer::AddStream(const StreamDesc& desc) {
    impl_->CheckOpen("AddStream");
    if (impl_->begun)
        throw std::logic_error("RealMedia writer: AddStream after Begin");
    const bool videoCodec = desc.codec == Codec::RealVideo20;
    const bool audioCodec = desc.codec == Codec::RealAudio144 || desc.codec == Codec::RealAudioAc3;
    if (desc.kind == StreamKind::Video ? !videoCodec : !audioCodec)
        throw std::invalid_argument("RealMedia writer: the codec does not fit the stream's kind");
    if (desc.kind == StreamKind::Audio && (desc.audio.sampleRate == 0 || desc.audio.channels == 0))
        throw std::invalid_argument("RealMedia writer: audio stream without sample rate or channels");
    if (desc.kind == StreamKind::Video && (desc.video.width == 0 || desc.video.height == 0))
        throw std::invalid_argument("RealMedia writer: video stream without a picture size");
    if (impl_->streams.size() >= 0xFFF0)
        throw std::invalid_argument("RealMedia writer: too many streams");
    StreamState s;
    s.desc = desc;
    s.number = static_cast<std::uint16_t>(kFirstStreamNumber + impl_->streams.size());
    s.spool = std::make_unique<Spool>(impl_->directory, impl_->path);
    impl_->streams.push_back(std::move(s));
    return static_cast<int>(impl_->streams.size() - 1);
}

void Writer::Begin(const ClipInfo& info) {
    impl_->CheckOpen("Begin");
    if (impl_->begun)
        throw std::logic_error("RealMedia writer: Begin called twice");
    if (impl_->streams.empty())
        throw std::logic_error("RealMedia writer: Begin without streams");
    impl_->clip = info;
    impl_->PrepareStreams();
    impl_->begun = true;
}

void Writer::WriteFrame(int stream, std::int64_t timestampMs, bool keyFrame,
                        std::span<const std::uint8_t> frame) {
    impl_->CheckOpen("WriteFrame");
    if (!impl_->begun)
        throw std::logic_error("RealMedia writer: WriteFrame before Begin");
    if (stream < 0 || static_cast<std::size_t>(stream) >= impl_->streams.size())
        throw std::out_of_range("RealMedia writer: no such stream");
    StreamState& s = impl_->streams[static_cast<std::size_t>(stream)];
    if (timestampMs < 0 || timestampMs > 0xFFFFFFFFll)
        throw std::out_of_range("RealMedia writer: timestamp out of range");
    if (frame.empty())
        return;
    // A frame stamped earlier than its predecessor (rounding in the source's times) takes the
    // predecessor's time: packet times within a stream must never go back.
    timestampMs = std::max(timestampMs, s.lastTimestamp);
    s.lastTimestamp = timestampMs;
    s.codecBytes += frame.size();
    if (s.desc.kind == StreamKind::Audio)
        impl_->WriteAudio(s, timestampMs, frame);
    else
        impl_->WriteVideo(s, timestampMs, keyFrame, frame);
    s.endTime = std::max(s.endTime, static_cast<double>(timestampMs) + s.FrameDurationMs());
}

void Writer::StopWhen(const std::atomic<bool>& stop) {
    impl_->CheckOpen("StopWhen");
    impl_->file->StopWhen(&stop);
}

void Writer::Finish() {
    impl_->CheckOpen("Finish");
    if (!impl_->begun)
        throw std::logic_error("RealMedia writer: Finish before Begin");
    impl_->Finish();
}

}  // namespace encoder::rm
