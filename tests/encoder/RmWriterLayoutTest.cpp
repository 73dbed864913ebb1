// Byte-level checks of what players rely on but FFmpeg does not look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "RmWriterFixtures.h"
#include "encoder/rm/OutputFile.h"
#include "encoder/rm/RmWriter.h"
#include "support/FileHelpers.h"

using namespace rmtest;

namespace {

struct Packet {
    std::size_t offset;
    std::uint16_t length;
    std::uint16_t stream;
    std::uint32_t timestamp;
    std::uint8_t flags;
};

std::vector<Packet> DataPackets(const std::vector<std::uint8_t>& b, const Chunk& data) {
    std::vector<Packet> packets;
    // The chunk leaves its packet count to the readers (0): they read packets to the chunk's end.
    EXPECT_EQ(Be32(b, data.offset + 10), 0u);
    std::size_t at = data.offset + 18;
    while (at + 12 <= data.offset + data.size) {
        Packet p{at, Be16(b, at + 2), Be16(b, at + 4), Be32(b, at + 6), b.at(at + 11)};
        packets.push_back(p);
        at += p.length;
    }
    EXPECT_EQ(at, data.offset + data.size) << "packets fill the data chunk exactly";
    return packets;
}

std::vector<Chunk> AllChunks(const std::vector<std::uint8_t>& b) {
    return HeaderChunks(b);
}

const Chunk& Only(const std::vector<Chunk>& chunks, const std::string& tag) {
    const auto it = std::find_if(chunks.begin(), chunks.end(), [&](const Chunk& c) { return c.tag == tag; });
    EXPECT_NE(it, chunks.end()) << tag;
    return *it;
}

std::vector<Chunk> All(const std::vector<Chunk>& chunks, const std::string& tag) {
    std::vector<Chunk> out;
    for (const Chunk& c : chunks)
        if (c.tag == tag)
            out.push_back(c);
    return out;
}

class Layout : public ::testing::Test {
  protected:
    testsupport::ScratchDir dir;
};

}  // namespace

TEST_F(Layout, HeaderFiguresAreTheFilesOwn) {
    const EncodedStream video = EncodeRv20(160, 120, 29.97, 40, 100000, 12);
    const EncodedStream audio = EncodeAc3(48000, 2, 128000, 1.4);
    const std::string path = dir.File("figures.rm");
    WriteFile(path, {&video, &audio}, {});
    const auto b = ReadByteVector(path);
    const auto chunks = AllChunks(b);

    // Header count: every chunk after the file header.
    EXPECT_EQ(Be32(b, 14), chunks.size() - 1);
    const Chunk& prop = Only(chunks, "PROP");
    const Chunk& data = Only(chunks, "DATA");
    const auto index = All(chunks, "INDX");
    ASSERT_EQ(index.size(), 2u);
    const std::uint32_t maxPacket = Be32(b, prop.offset + 18);
    const std::uint32_t avgPacket = Be32(b, prop.offset + 22);
    const std::uint32_t packetCount = Be32(b, prop.offset + 26);
    const std::uint32_t duration = Be32(b, prop.offset + 30);
    EXPECT_EQ(Be32(b, prop.offset + 38), index[0].offset);
    EXPECT_EQ(Be32(b, prop.offset + 42), data.offset);
    EXPECT_EQ(Be16(b, prop.offset + 46), 3) << "two media streams and the file info";

    const auto packets = DataPackets(b, data);
    ASSERT_EQ(packets.size(), packetCount);
    std::map<std::uint16_t, std::vector<Packet>> byStream;
    std::uint64_t payload = 0;
    std::uint32_t largest = 0;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(packets[i].timestamp, packets[i - 1].timestamp) << "packets interleaved by time";
        }
        byStream[packets[i].stream].push_back(packets[i]);
        payload += packets[i].length - 12u;
        largest = std::max<std::uint32_t>(largest, packets[i].length - 12u);
    }
    EXPECT_EQ(maxPacket, largest);
    EXPECT_EQ(avgPacket, payload / packets.size());
    EXPECT_NEAR(duration, std::max(video.durationMs, audio.durationMs), 2);

    for (const Chunk& c : All(chunks, "MDPR")) {
        const Mdpr m = ReadMdpr(b, c);
        if (m.mime == "logical-fileinfo") {
            EXPECT_EQ(m.name, "");
            continue;
        }
        const auto& mine = byStream[m.number];
        ASSERT_FALSE(mine.empty()) << m.mime;
        std::uint64_t bytes = 0;
        std::uint32_t biggest = 0;
        for (const Packet& p : mine) {
            bytes += p.length;
            biggest = std::max<std::uint32_t>(biggest, p.length - 12u);
        }
        EXPECT_EQ(m.maxPacket, biggest) << m.mime;
        EXPECT_EQ(m.avgPacket, (bytes - 12 * mine.size()) / mine.size()) << m.mime;
        EXPECT_NEAR(m.avgBitRate, bytes * 8000.0 / m.duration, 2) << m.mime;
        EXPECT_GE(m.maxBitRate, m.avgBitRate) << m.mime;
        // The maximum covers the busiest second, wherever it starts.
        for (std::size_t first = 0, last = 0; first < mine.size(); ++first) {
            std::uint64_t second = 0;
            for (last = first; last < mine.size() && mine[last].timestamp < mine[first].timestamp + 1000;
                 ++last)
                second += mine[last].length;
            EXPECT_GE(m.maxBitRate, second * 8) << m.mime << " from " << mine[first].timestamp << " ms";
        }
        EXPECT_EQ(m.start, 0u);
        if (m.mime == "video/x-pn-realvideo") {
            EXPECT_NEAR(m.duration, video.durationMs, 1);
            // VIDO: fourcc, size, 12 bits per pixel, frame rate in 16.16.
            EXPECT_EQ(std::string(b.begin() + m.typeSpecific + 4, b.begin() + m.typeSpecific + 12),
                      "VIDORV20");
            EXPECT_EQ(Be16(b, m.typeSpecific + 12), 160);
            EXPECT_EQ(Be16(b, m.typeSpecific + 14), 120);
            EXPECT_EQ(Be16(b, m.typeSpecific + 16), 12);
            EXPECT_EQ(Be32(b, m.typeSpecific + 22), static_cast<std::uint32_t>(std::lround(29.97 * 65536)));
            EXPECT_EQ(Be32(b, m.typeSpecific + 30), 0x20103001u);
        } else {
            EXPECT_EQ(m.mime, "audio/x-pn-realaudio");
            EXPECT_NEAR(m.duration, audio.durationMs, 1);
            const std::size_t ra = m.typeSpecific;
            EXPECT_EQ(std::string(b.begin() + ra, b.begin() + ra + 4), ".ra\xfd");
            EXPECT_EQ(Be16(b, ra + 4), 4);
            EXPECT_EQ(Be32(b, ra + 18), m.typeSpecificSize - 16) << "header size";
            EXPECT_EQ(Be16(b, ra + 22), 1) << "48 kHz family";
            EXPECT_EQ(Be32(b, ra + 24), audio.desc.audio.frameBytes);
            // Bytes per minute of the codec data itself.
            std::uint64_t codecBytes = 0;
            for (const Frame& f : audio.frames)
                codecBytes += f.bytes.size();
            EXPECT_NEAR(Be32(b, ra + 32), codecBytes * 60000.0 / std::ceil(audio.durationMs), 2);
            EXPECT_EQ(Be16(b, ra + 48), 48000);
            EXPECT_EQ(Be16(b, ra + 54), 2);
            EXPECT_EQ(std::string(b.begin() + ra + 56, b.begin() + ra + 66), std::string("\x04Int0\x04"
                                                                                         "dnet"));
        }
    }

    // Index records point at packets of their stream with the same time, each followed by a closing
    // record at its offset a millisecond before the next point (the last at the file's end); the
    // chain ends with 0.
    for (std::size_t i = 0; i < index.size(); ++i) {
        const Chunk& c = index[i];
        const std::uint32_t records = Be32(b, c.offset + 10);
        const std::uint16_t stream = Be16(b, c.offset + 14);
        EXPECT_EQ(Be32(b, c.offset + 16), i + 1 < index.size() ? index[i + 1].offset : 0u);
        EXPECT_EQ(c.size, 20 + 14 * records);
        ASSERT_GT(records, 0u);
        for (std::uint32_t r = 0; r < records; ++r) {
            const std::size_t at = c.offset + 20 + 14 * r;
            const std::uint32_t ts = Be32(b, at + 2);
            const std::uint32_t offset = Be32(b, at + 6);
            const std::uint32_t number = Be32(b, at + 10);
            ASSERT_LT(number, packets.size());
            EXPECT_EQ(packets[number].offset, offset);
            EXPECT_EQ(packets[number].stream, stream);
            EXPECT_TRUE(packets[number].flags & 2) << "index points are keyframes";
            if (r % 2 == 0) {
                EXPECT_EQ(packets[number].timestamp, ts);
                continue;
            }
            EXPECT_EQ(Be32(b, at + 10 - 14), number) << "a closing record follows its point";
            EXPECT_EQ(ts, r + 1 < records ? Be32(b, at + 14 + 2) - 1 : duration);
        }
    }
}

TEST_F(Layout, LargePicturesAreCutIntoFragmentsThatJoinAgain) {
    const EncodedStream video = EncodeRv20(160, 120, 10, 12, 400000, 6);
    std::size_t largest = 0;
    for (const Frame& f : video.frames)
        largest = std::max(largest, f.bytes.size());
    ASSERT_GT(largest, 600u);

    // Two fragments per large picture: FFmpeg's decoder handles a picture in two parts.
    {
        EncodedStream halves = video;
        halves.desc.maxPacketBytes = static_cast<std::uint32_t>(largest / 2 + 40);
        const std::string path = dir.File("halves.rm");
        WriteFile(path, {&halves}, {});
        const Probe probe = ProbeFile(path);
        ASSERT_TRUE(probe.opened);
        EXPECT_TRUE(probe.errors.empty());
        EXPECT_EQ(probe.streams[0].decodedFrames, static_cast<int>(video.frames.size()));
        const auto b = ReadByteVector(path);
        EXPECT_GT(DataPackets(b, Only(AllChunks(b), "DATA")).size(), video.frames.size());
    }
    // Many small fragments: the demuxer must give back every picture byte for byte.
    EncodedStream small = video;
    small.desc.maxPacketBytes = 200;
    const std::string path = dir.File("small.rm");
    WriteFile(path, {&small}, {});
    AVFormatContext* raw = nullptr;
    ASSERT_EQ(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), 0);
    InputPtr input(raw);
    PacketPtr packet = encoder::av::MakePacket();
    std::size_t n = 0;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        ASSERT_LT(n, video.frames.size());
        // The demuxer puts a table of the fragments before the picture.
        const std::size_t table = 1 + 8 * (packet->data[0] + 1u);
        const std::vector<std::uint8_t> joined(packet->data + table, packet->data + packet->size);
        EXPECT_EQ(joined, video.frames[n].bytes) << "picture " << n;
        EXPECT_EQ(packet->pts, video.frames[n].timestampMs);
        EXPECT_EQ((packet->flags & AV_PKT_FLAG_KEY) != 0, video.frames[n].key);
        ++n;
        av_packet_unref(packet.get());
    }
    EXPECT_EQ(n, video.frames.size());
}

TEST_F(Layout, FileInfoCarriesEveryPropertyAsAString) {
    const EncodedStream audio = EncodeRa144(0.5);
    encoder::rm::ClipInfo info;
    info.fileInfo = {{"Description", "d"}, {"Keywords", "k1, k2"}, {"Creation Date", "1/2/2026 3:04:05"}};
    const std::string path = dir.File("info.rm");
    WriteFile(path, {&audio}, info);
    const auto b = ReadByteVector(path);
    for (const Chunk& c : All(AllChunks(b), "MDPR")) {
        const Mdpr m = ReadMdpr(b, c);
        if (m.mime != "logical-fileinfo")
            continue;
        std::size_t at = m.typeSpecific;
        EXPECT_EQ(Be32(b, at), m.typeSpecificSize);
        EXPECT_EQ(Be16(b, at + 4), 0);  // version
        EXPECT_EQ(Be16(b, at + 6), 0);  // no physical streams
        EXPECT_EQ(Be16(b, at + 8), 0);  // no rules
        ASSERT_EQ(Be16(b, at + 10), 3) << "the given date is not doubled";
        at += 12;
        std::vector<std::pair<std::string, std::string>> seen;
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t size = Be32(b, at);
            const std::size_t nameLength = b[at + 6];
            std::string name(b.begin() + at + 7, b.begin() + at + 7 + nameLength);
            const std::size_t typeAt = at + 7 + nameLength;
            EXPECT_EQ(Be32(b, typeAt), 2u);
            const std::uint16_t valueLength = Be16(b, typeAt + 4);
            std::string value(b.begin() + typeAt + 6, b.begin() + typeAt + 6 + valueLength);
            EXPECT_EQ(value.back(), '\0');
            value.pop_back();
            EXPECT_EQ(size, 7 + nameLength + 6 + valueLength);
            seen.emplace_back(name, value);
            at += size;
        }
        EXPECT_EQ(seen, info.fileInfo);
        return;
    }
    ADD_FAILURE() << "no logical-fileinfo header";
}

TEST(RmSpool, GivesBackWhatWasSpilledToDiskInOrder) {
    testsupport::ScratchDir dir;
    encoder::rm::Spool spool(dir.Path(), dir.File("out.rm"), 1000);
    std::vector<std::uint8_t> all;
    for (int i = 0; i < 500; ++i) {
        std::vector<std::uint8_t> piece(static_cast<std::size_t>(i % 37 + 1), static_cast<std::uint8_t>(i));
        spool.Append(piece);
        all.insert(all.end(), piece.begin(), piece.end());
    }
    ASSERT_EQ(spool.Size(), all.size());
    // Read back in pieces that straddle the file and memory parts.
    encoder::rm::Spool::Reader reader(spool);
    std::vector<std::uint8_t> back;
    std::size_t step = 1;
    while (back.size() < all.size()) {
        const std::size_t n = std::min(step, all.size() - back.size());
        const auto got = reader.Next(n);
        back.insert(back.end(), got.begin(), got.end());
        step = step * 3 % 997 + 1;
    }
    EXPECT_EQ(back, all);
    // Nothing named is left behind in the folder.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
