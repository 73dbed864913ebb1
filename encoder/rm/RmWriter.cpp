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

// True header figures of one stream, from the packets it really holds.
Figures MeasureStream(const StreamState& s) {
    Figures f;
    if (s.packets.empty())
        return f;
    std::uint64_t total = 0;
    std::uint32_t maxPayload = 0;
    std::map<std::uint32_t, std::uint64_t> perSecond;
    for (const PacketInfo& p : s.packets) {
        total += p.size;
        maxPayload = std::max(maxPayload, p.size - kPacketHeaderSize);
        perSecond[p.timestamp / 1000] += p.size;
    }
    const std::uint64_t count = s.packets.size();
    const double duration = std::max(1.0, std::ceil(s.endTime));
    f.duration = ClampU32(duration);
    f.startTime = s.packets.front().timestamp;
    f.avgBitRate = ClampU32(total * 8.0 * 1000.0 / duration);
    std::uint64_t busiest = 0;
    for (const auto& [second, bytes] : perSecond)
        busiest = std::max(busiest, bytes);
    f.maxBitRate = std::max(f.avgBitRate, ClampU32(busiest * 8.0));
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
        if (!s.pending.empty() && (!continuous || s.pending.size() + frame.size() > kAudioPacketTarget))
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
        if (s.pending.size() >= kAudioPacketTarget ||
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
};

namespace {

// One data chunk of the file: the streams whose packets it holds, interleaved by time.
struct DataPlan {
    std::vector<std::size_t> streams;
    struct Ref {
        std::uint32_t timestamp;
        std::uint32_t stream;
        std::uint32_t packet;
    };
    std::vector<Ref> order;
    std::uint64_t bytes = 0;  // packets only
    std::uint32_t offset = 0;
};

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
    // Lowest audience first, audio before video: plain readers list the lowest rate first.
    std::vector<std::size_t> order(streams.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const StreamState& x = streams[a];
        const StreamState& y = streams[b];
        if (x.desc.audienceBitRate != y.desc.audienceBitRate)
            return x.desc.audienceBitRate < y.desc.audienceBitRate;
        return x.desc.kind == StreamKind::Audio && y.desc.kind == StreamKind::Video;
    });
    for (std::size_t n = 0; n < order.size(); ++n)
        streams[order[n]].number = static_cast<std::uint16_t>(n);
}

void Writer::Impl::LayOut() {
    std::vector<Figures> figures;
    for (const StreamState& s : streams)
        figures.push_back(MeasureStream(s));

    // Which streams share a data chunk. Single-rate: all of them. Multi-rate: every physical stream
    // has its own, except that the lowest audience's audio and video share the last one, which the
    // file properties point at: a reader that knows nothing of multi-rate files plays that one.
    std::vector<DataPlan> chunks;
    std::size_t primary = 0;
    std::vector<std::size_t> byNumber(streams.size());
    for (std::size_t i = 0; i < streams.size(); ++i)
        byNumber[streams[i].number] = i;
    if (!multiRate) {
        chunks.push_back({byNumber, {}, 0, 0});
    } else {
        std::vector<std::size_t> lowest;
        for (const StreamKind kind : {StreamKind::Audio, StreamKind::Video}) {
            std::size_t best = streams.size();
            for (const std::size_t i : byNumber)
                if (streams[i].desc.kind == kind &&
                    (best == streams.size() ||
                     streams[i].desc.audienceBitRate < streams[best].desc.audienceBitRate))
                    best = i;
            if (best < streams.size())
                lowest.push_back(best);
        }
        for (const std::size_t i : byNumber)
            if (std::find(lowest.begin(), lowest.end(), i) == lowest.end())
                chunks.push_back({{i}, {}, 0, 0});
        primary = chunks.size();
        chunks.push_back({lowest, {}, 0, 0});
    }
    std::vector<std::size_t> chunkOf(streams.size());
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        DataPlan& chunk = chunks[c];
        for (const std::size_t si : chunk.streams) {
            chunkOf[si] = c;
            for (std::uint32_t pi = 0; pi < streams[si].packets.size(); ++pi) {
                const PacketInfo& p = streams[si].packets[pi];
                chunk.order.push_back({p.timestamp, static_cast<std::uint32_t>(si), pi});
                chunk.bytes += p.size;
            }
        }
        // Interleave by time; ties keep stream order.
        std::stable_sort(
            chunk.order.begin(), chunk.order.end(), [&](const DataPlan::Ref& a, const DataPlan::Ref& b) {
                return a.timestamp != b.timestamp ? a.timestamp < b.timestamp
                                                  : streams[a.stream].number < streams[b.stream].number;
            });
    }

    // Whole-file figures: everything the file holds.
    Figures total;
    std::uint64_t dataBytes = 0;
    std::uint64_t payloadBytes = 0;
    std::uint32_t packetCount = 0;
    std::map<std::uint32_t, std::uint64_t> perSecond;
    double endTime = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        total.preroll = std::max(total.preroll, figures[i].preroll);
        total.maxPacketSize = std::max(total.maxPacketSize, figures[i].maxPacketSize);
        endTime = std::max(endTime, streams[i].endTime);
        for (const PacketInfo& p : streams[i].packets) {
            dataBytes += p.size;
            payloadBytes += p.size - kPacketHeaderSize;
            perSecond[p.timestamp / 1000] += p.size;
            ++packetCount;
        }
    }
    const double duration = std::max(1.0, std::ceil(endTime));
    total.duration = ClampU32(duration);
    total.avgBitRate = ClampU32(dataBytes * 8.0 * 1000.0 / duration);
    std::uint64_t busiest = 0;
    for (const auto& [second, bytes] : perSecond)
        busiest = std::max(busiest, bytes);
    total.maxBitRate = std::max(total.avgBitRate, ClampU32(busiest * 8.0));
    total.avgPacketSize = packetCount ? static_cast<std::uint32_t>(payloadBytes / packetCount) : 0;

    // Logical streams of a multi-rate file: one per kind, its physical streams by rising audience.
    struct Logical {
        StreamKind kind;
        std::vector<std::size_t> members;
    };
    std::vector<Logical> logicals;
    if (multiRate)
        for (const StreamKind kind : {StreamKind::Audio, StreamKind::Video}) {
            Logical l{kind, {}};
            for (const std::size_t i : byNumber)
                if (streams[i].desc.kind == kind)
                    l.members.push_back(i);
            if (!l.members.empty())
                logicals.push_back(std::move(l));
        }
    const auto physicalCount = static_cast<std::uint16_t>(streams.size());
    const auto fileInfoNumber = static_cast<std::uint16_t>(physicalCount + logicals.size());
    const auto headerCount =
        static_cast<std::uint32_t>(2 + physicalCount + logicals.size() + 1 + chunks.size() + physicalCount);

    auto buildHeader = [&]() {
        ByteBuffer h;
        PutFileHeader(h, headerCount);
        FileProperties prop;
        prop.figures = total;
        prop.packetCount = packetCount;
        prop.indexOffset = 0;
        prop.dataOffset = chunks[primary].offset;
        prop.streamCount = fileInfoNumber + 1;
        prop.flags = kFlagSaveAllowed | kFlagPerfectPlay | kFlagDownloadAllowed;
        PutProperties(h, prop);
        PutContent(h, clip);
        for (const std::size_t i : byNumber) {
            const StreamState& s = streams[i];
            if (s.desc.kind == StreamKind::Audio) {
                const auto bytesPerMinute =
                    ClampU32(s.codecBytes * 60000.0 / std::max(1.0, std::ceil(s.endTime)));
                PutMediaProperties(
                    h, s.number, figures[i], "Audio Stream",
                    multiRate ? "audio/x-pn-multirate-realaudio" : "audio/x-pn-realaudio",
                    AudioTypeSpecific(s.desc, bytesPerMinute, static_cast<std::uint32_t>(s.codecBytes)));
            } else {
                PutMediaProperties(h, s.number, figures[i], "Video Stream",
                                   multiRate ? "video/x-pn-multirate-realvideo" : "video/x-pn-realvideo",
                                   VideoTypeSpecific(s.desc));
            }
        }
        for (std::size_t l = 0; l < logicals.size(); ++l) {
            const Logical& logical = logicals[l];
            std::vector<std::uint16_t> numbers;
            std::vector<std::uint32_t> offsets;
            std::vector<std::uint16_t> rules;
            std::vector<const StreamState*> members;
            std::vector<Figures> memberFigures;
            Figures f;
            for (const std::size_t i : logical.members) {
                numbers.push_back(streams[i].number);
                offsets.push_back(chunks[chunkOf[i]].offset);
                rules.push_back(streams[i].number);
                rules.push_back(streams[i].number);
                members.push_back(&streams[i]);
                memberFigures.push_back(figures[i]);
                f.maxBitRate = std::max(f.maxBitRate, figures[i].maxBitRate);
                f.avgBitRate = std::max(f.avgBitRate, figures[i].avgBitRate);
                f.maxPacketSize = std::max(f.maxPacketSize, figures[i].maxPacketSize);
                f.avgPacketSize = std::max(f.avgPacketSize, figures[i].avgPacketSize);
                f.preroll = std::max(f.preroll, figures[i].preroll);
                f.duration = std::max(f.duration, figures[i].duration);
            }
            const bool video = logical.kind == StreamKind::Video;
            std::vector<Property> properties = {
                {"ASMRuleBook", true, 0, RuleBook(members, memberFigures, video)}};
            PutMediaProperties(
                h, static_cast<std::uint16_t>(physicalCount + l), f, "",
                video ? "logical-video/x-pn-multirate-realvideo" : "logical-audio/x-pn-multirate-realaudio",
                LogicalStreamData(numbers, offsets, rules, properties));
        }
        Figures infoFigures;
        infoFigures.duration = total.duration;
        PutMediaProperties(h, fileInfoNumber, infoFigures, "", "logical-fileinfo",
                           LogicalStreamData({}, {}, {}, FileInfoProperties()));
        return h;
    };

    // Offsets: the header's size does not depend on the offsets written into it.
    std::uint64_t position = buildHeader().Size();
    for (DataPlan& chunk : chunks) {
        if (position > 0xFFFFFFFFull)
            break;
        chunk.offset = static_cast<std::uint32_t>(position);
        position += kDataHeaderSize + chunk.bytes;
    }
    const std::uint64_t indexOffset = position;
    // Index records: keyframes of video, a point a second for audio; offsets from the file start.
    std::vector<std::vector<IndexRecord>> index(streams.size());
    for (const DataPlan& chunk : chunks) {
        std::vector<std::int64_t> lastIndexed(streams.size(), std::numeric_limits<std::int64_t>::min());
        std::uint64_t offset = std::uint64_t{chunk.offset} + kDataHeaderSize;
        for (std::uint32_t n = 0; n < chunk.order.size(); ++n) {
            const DataPlan::Ref& r = chunk.order[n];
            const StreamState& s = streams[r.stream];
            const PacketInfo& p = s.packets[r.packet];
            const bool point =
                s.desc.kind == StreamKind::Video
                    ? p.key && p.startsFrame
                    : static_cast<std::int64_t>(p.timestamp) >= lastIndexed[r.stream] + kAudioIndexSpacingMs;
            if (point) {
                index[r.stream].push_back({p.timestamp, static_cast<std::uint32_t>(offset), n});
                lastIndexed[r.stream] = p.timestamp;
            }
            offset += p.size;
        }
    }
    for (const auto& records : index)
        position += IndexChunkSize(records.size());
    if (position > 0xFFFFFFFFull)
        throw WriteError("The file \"" + path + "\" would be larger than a RealMedia file can be (4 GB).");

    ByteBuffer header = buildHeader();
    header.PatchU32(18 + 10 + 28, static_cast<std::uint32_t>(indexOffset));  // PROP index offset
    file->Write(header.Data());
    std::vector<Spool::Reader> readers;
    readers.reserve(streams.size());
    for (const StreamState& s : streams)
        readers.emplace_back(*s.spool);
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        const DataPlan& chunk = chunks[c];
        ByteBuffer dataHeader;
        PutDataHeader(dataHeader, static_cast<std::uint32_t>(kDataHeaderSize + chunk.bytes),
                      static_cast<std::uint32_t>(chunk.order.size()),
                      c + 1 < chunks.size() ? chunks[c + 1].offset : 0);
        file->Write(dataHeader.Data());
        for (const DataPlan::Ref& r : chunk.order)
            file->Write(readers[r.stream].Next(streams[r.stream].packets[r.packet].size));
    }
    auto next = static_cast<std::uint32_t>(indexOffset);
    for (std::size_t n = 0; n < byNumber.size(); ++n) {
        const std::size_t i = byNumber[n];
        next += IndexChunkSize(index[i].size());
        ByteBuffer chunk;
        PutIndex(chunk, streams[i].number, index[i], n + 1 < byNumber.size() ? next : 0);
        file->Write(chunk.Data());
    }
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
    if (impl_->streams.size() >= 0xFFFE)
        throw std::invalid_argument("RealMedia writer: too many streams");
    StreamState s;
    s.desc = desc;
    s.number = static_cast<std::uint16_t>(impl_->streams.size());
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

void Writer::Finish() {
    impl_->CheckOpen("Finish");
    if (!impl_->begun)
        throw std::logic_error("RealMedia writer: Finish before Begin");
    impl_->Finish();
}

}  // namespace encoder::rm
