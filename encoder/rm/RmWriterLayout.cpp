// The RealMedia writer's layout: the figures, the order of the data, the index, and the file written out.
#include <algorithm>
#include <cmath>
#include <limits>

#include "encoder/rm/RmWriterImpl.h"

namespace encoder::rm {

namespace {

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
// a record: the audio stream MPlayer plays therefore gets one record only, at its last keyframe packet
// (for cook the start of its last block) and no earlier than the last record of the video MPlayer plays.
// MPlayer then reads the chunk once, from its start; other readers lose only that stream's seek points,
// and seek by the others'.
void Writer::Impl::IndexPackets(Layout& layout) const {
    layout.index.assign(streams.size(), {});
    std::vector<std::int64_t> lastIndexed(streams.size(), std::numeric_limits<std::int64_t>::min());
    std::vector<IndexRecord> lastKey(streams.size());
    std::uint64_t offset = std::uint64_t{layout.dataOffset} + kDataHeaderSize;
    for (std::uint32_t n = 0; n < layout.order.size(); ++n) {
        const PacketRef& r = layout.order[n];
        const StreamState& s = streams[r.stream];
        const PacketInfo& p = s.packets[r.packet];
        // Sound is indexed at keyframes too: a cook interleave block can only be read from its start.
        const bool point =
            p.key && (s.desc.kind == StreamKind::Video ? p.startsFrame
                                                       : static_cast<std::int64_t>(p.timestamp) >=
                                                             lastIndexed[r.stream] + kAudioIndexSpacingMs);
        const IndexRecord record{p.timestamp, static_cast<std::uint32_t>(offset), n};
        if (point) {
            layout.index[r.stream].push_back(record);
            lastIndexed[r.stream] = p.timestamp;
        }
        if (p.key)
            lastKey[r.stream] = record;
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
    IndexRecord only = lastKey[audio];
    if (!layout.index[video].empty())
        only.timestamp = std::max(only.timestamp, layout.index[video].back().timestamp);
    layout.index[audio] = {only};
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

}  // namespace encoder::rm
