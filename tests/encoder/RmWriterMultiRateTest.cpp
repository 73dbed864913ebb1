// Multi-rate (SureStream) files: one physical stream per audience, grouped into logical streams, all in
// one data chunk.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "RmWriterFixtures.h"
#include "encoder/rm/RmWriter.h"
#include "support/FileHelpers.h"

using namespace rmtest;

namespace {

struct Audience {
    std::uint32_t budget;
    const EncodedStream* audio;
    const EncodedStream* video;
};

// Streams handed over audience by audience, video first, as the encoding pipeline does.
std::vector<EncodedStream> Physical(const std::vector<Audience>& audiences) {
    std::vector<EncodedStream> out;
    for (const Audience& a : audiences) {
        if (a.video) {
            out.push_back(*a.video);
            out.back().desc.audienceBitRate = a.budget;
        }
        if (a.audio) {
            out.push_back(*a.audio);
            out.back().desc.audienceBitRate = a.budget;
        }
    }
    return out;
}

// Stream numbers of the packets in the data chunk at `offset`.
std::multiset<std::uint16_t> ChunkStreams(const std::vector<std::uint8_t>& b, std::size_t offset) {
    std::multiset<std::uint16_t> streams;
    EXPECT_EQ(std::string(b.begin() + offset, b.begin() + offset + 4), "DATA");
    std::size_t at = offset + 18;
    while (at + 12 <= offset + Be32(b, offset + 4)) {
        streams.insert(Be16(b, at + 4));
        at += Be16(b, at + 2);
    }
    EXPECT_EQ(at, offset + Be32(b, offset + 4));
    return streams;
}

class MultiRate : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        voice = new EncodedStream(EncodeRa144(2.0));
        music = new EncodedStream(EncodeAc3(44100, 2, 64000, 2.0));
        small = new EncodedStream(EncodeRv20(160, 120, 10, 20, 30000, 10));
        large = new EncodedStream(EncodeRv20(240, 180, 15, 30, 120000, 15));
    }
    static void TearDownTestSuite() {
        delete voice;
        delete music;
        delete small;
        delete large;
    }

    // Writes the file and checks what every multi-rate file must satisfy; returns its bytes.
    std::vector<std::uint8_t> WriteAndCheck(const std::vector<Audience>& audiences) {
        const std::vector<EncodedStream> physical = Physical(audiences);
        std::vector<const EncodedStream*> pointers;
        for (const EncodedStream& s : physical)
            pointers.push_back(&s);
        const std::string path = dir.File("multi.rm");
        WriteFile(path, pointers, {"Title", "", "", "", {{"Keywords", "k"}}});

        const Probe probe = ProbeFile(path);
        EXPECT_TRUE(probe.opened) << probe.openError;
        EXPECT_TRUE(probe.errors.empty()) << Joined(probe.errors);
        EXPECT_EQ(probe.metadata.count("Keywords"), 1u);
        // The top audience, which comes first, plays whole; nothing FFmpeg reads fails to decode.
        const Audience& lowest = audiences.front();
        const Audience& top = audiences.back();
        for (const ProbedStream& s : probe.streams) {
            if (s.type != AVMEDIA_TYPE_AUDIO && s.type != AVMEDIA_TYPE_VIDEO)
                continue;
            EXPECT_EQ(s.decodedFrames >= s.packets, true);
        }
        auto firstOf = [&](AVMediaType type) -> const ProbedStream* {
            for (const ProbedStream& s : probe.streams)
                if (s.type == type && s.packets > 0)
                    return &s;
            return nullptr;
        };
        if (top.audio) {
            const ProbedStream* a = firstOf(AVMEDIA_TYPE_AUDIO);
            EXPECT_TRUE(a && a->decodedFrames == static_cast<int>(top.audio->frames.size()));
        }
        if (top.video) {
            const ProbedStream* v = firstOf(AVMEDIA_TYPE_VIDEO);
            EXPECT_TRUE(v && v->decodedFrames == static_cast<int>(top.video->frames.size()));
        }

        // Seeking to the middle lands on the index point at or before it (a keyframe; with sound alone,
        // a point at most a second earlier) and reads on without error.
        const Probe middle = ProbeFile(path, 1000);
        EXPECT_TRUE(middle.errors.empty()) << Joined(middle.errors);
        for (const ProbedStream& s : middle.streams) {
            if (s.packets == 0)
                continue;
            if (s.type == AVMEDIA_TYPE_VIDEO)
                EXPECT_EQ(s.pts.front(), 1000);
            else if (lowest.video)
                EXPECT_NEAR(s.pts.front(), 1000, 200);
            else
                EXPECT_TRUE(s.pts.front() >= 0 && s.pts.front() <= 1000) << s.pts.front();
        }

        const auto b = ReadByteVector(path);
        const auto headers = MediaHeaders(b);
        std::map<std::uint16_t, std::string> mimeOf;
        for (const Mdpr& m : headers)
            mimeOf[m.number] = m.mime;
        std::size_t logicalCount = 0;
        std::set<std::uint16_t> covered;
        for (const Mdpr& m : headers) {
            if (m.mime.rfind("logical-audio", 0) != 0 && m.mime.rfind("logical-video", 0) != 0)
                continue;
            ++logicalCount;
            const bool video = m.mime == "logical-video/x-pn-multirate-realvideo";
            EXPECT_TRUE(video || m.mime == "logical-audio/x-pn-multirate-realaudio");
            std::size_t at = m.typeSpecific;
            EXPECT_EQ(Be32(b, at), m.typeSpecificSize);
            const std::uint16_t n = Be16(b, at + 6);
            at += 8;
            std::vector<std::uint16_t> numbers;
            for (std::uint16_t i = 0; i < n; ++i)
                numbers.push_back(Be16(b, at + 2 * i));
            at += 2 * n;
            for (std::uint16_t i = 0; i < n; ++i) {
                // Every physical stream's data offset leads to the one data chunk, which holds its packets.
                EXPECT_EQ(Be32(b, at + 4 * i), Be32(b, 18 + 10 + 32));
                const auto streams = ChunkStreams(b, Be32(b, at + 4 * i));
                EXPECT_GT(streams.count(numbers[i]), 0u);
                EXPECT_EQ(mimeOf[numbers[i]],
                          video ? "video/x-pn-multirate-realvideo" : "audio/x-pn-multirate-realaudio");
                covered.insert(numbers[i]);
            }
            at += 4 * n;
            const std::uint16_t rules = Be16(b, at);
            EXPECT_EQ(rules, 2 * n);
            for (std::uint16_t r = 0; r < rules; ++r)
                EXPECT_EQ(Be16(b, at + 2 + 2 * r), numbers[r / 2]);
            at += 2 + 2 * rules;
            EXPECT_EQ(Be16(b, at), 1) << "one property: the rule book";
            const std::string book(
                b.begin() + static_cast<std::ptrdiff_t>(at + 2),
                b.begin() + static_cast<std::ptrdiff_t>(m.typeSpecific + m.typeSpecificSize));
            EXPECT_NE(book.find("ASMRuleBook"), std::string::npos);
            EXPECT_NE(book.find("PNMKeyFrameRule=T"), std::string::npos);
            if (n > 1) {
                EXPECT_NE(book.find("$Bandwidth >= " + std::to_string(audiences[1].budget)),
                          std::string::npos);
            }
        }
        EXPECT_EQ(logicalCount, (lowest.audio ? 1u : 0u) + (lowest.video ? 1u : 0u));
        EXPECT_EQ(covered.size(), physical.size()) << "every physical stream belongs to a logical one";

        // The logical streams come first, so that a reader knows the file is multi-rate before it meets
        // the physical streams: fileinfo, audio, video, then the physical ones, lowest audience first.
        std::vector<std::string> order;
        for (const Mdpr& m : headers)
            order.push_back(m.mime.substr(0, m.mime.find('/')));
        std::vector<std::string> expected = {"logical-fileinfo"};
        if (lowest.audio)
            expected.push_back("logical-audio");
        if (lowest.video)
            expected.push_back("logical-video");
        expected.resize(order.size(), "");
        for (std::size_t i = 1 + logicalCount; i < order.size(); ++i)
            expected[i] = order[i] == "audio" ? "audio" : "video";
        EXPECT_EQ(order, expected);

        // One index per physical stream, chained from the file properties' index offset. In a file with
        // sound and picture, the sound a reader choosing by bit rate plays has one record only.
        std::set<std::uint16_t> indexed;
        std::map<std::uint16_t, std::uint32_t> records;
        for (std::size_t at = Be32(b, 18 + 10 + 28); at != 0; at = Be32(b, at + 16)) {
            EXPECT_EQ(std::string(b.begin() + at, b.begin() + at + 4), "INDX");
            indexed.insert(Be16(b, at + 14));
            records[Be16(b, at + 14)] = Be32(b, at + 10);
        }
        EXPECT_EQ(indexed, covered);
        if (lowest.audio && lowest.video) {
            const Mdpr* top = nullptr;
            for (const Mdpr& m : headers)
                if (m.mime == "audio/x-pn-multirate-realaudio" && (!top || m.avgBitRate > top->avgBitRate))
                    top = &m;
            EXPECT_NE(top, nullptr);
            if (top) {
                EXPECT_EQ(records[top->number], 1u);
            }
        }
        // One data chunk holds every stream's packets; the file properties point at it.
        std::vector<std::size_t> data;
        for (const Chunk& c : HeaderChunks(b))
            if (c.tag == "DATA")
                data.push_back(c.offset);
        EXPECT_EQ(data.size(), 1u);
        if (data.empty())
            return b;
        EXPECT_EQ(Be32(b, data.front() + 14), 0u) << "no next data chunk";
        EXPECT_EQ(Be32(b, 18 + 10 + 32), data.front());
        const auto all = ChunkStreams(b, data.front());
        EXPECT_EQ(std::set<std::uint16_t>(all.begin(), all.end()), covered);
        return b;
    }

    testsupport::ScratchDir dir;
    static EncodedStream* voice;
    static EncodedStream* music;
    static EncodedStream* small;
    static EncodedStream* large;
};

EncodedStream* MultiRate::voice = nullptr;
EncodedStream* MultiRate::music = nullptr;
EncodedStream* MultiRate::small = nullptr;
EncodedStream* MultiRate::large = nullptr;

}  // namespace

TEST_F(MultiRate, TwoAudiences) {
    WriteAndCheck({{34000, voice, small}, {150000, music, large}});
}

TEST_F(MultiRate, ThreeAudiences) {
    WriteAndCheck({{20000, voice, small}, {45000, voice, small}, {225000, music, large}});
}

TEST_F(MultiRate, AllEightAudiences) {
    const auto b = WriteAndCheck({{20000, voice, small},
                                  {34000, voice, small},
                                  {45000, voice, small},
                                  {80000, music, small},
                                  {150000, music, large},
                                  {225000, music, large},
                                  {350000, music, large},
                                  {450000, music, large}});
    std::size_t physical = 0;
    for (const Mdpr& m : MediaHeaders(b))
        physical += m.mime.rfind("audio/", 0) == 0 || m.mime.rfind("video/", 0) == 0;
    EXPECT_EQ(physical, 16u);
}

TEST_F(MultiRate, AudioOnly) {
    WriteAndCheck({{20000, voice, nullptr}, {80000, music, nullptr}});
}

TEST_F(MultiRate, VideoOnly) {
    WriteAndCheck({{34000, nullptr, small}, {150000, nullptr, large}});
}

TEST_F(MultiRate, OneAudienceStaysSingleRate) {
    // The same audience on every stream is a plain file, whatever the figure.
    EncodedStream a = *voice;
    EncodedStream v = *small;
    a.desc.audienceBitRate = v.desc.audienceBitRate = 34000;
    const std::string path = dir.File("single.rm");
    WriteFile(path, {&v, &a}, {});
    for (const Mdpr& m : MediaHeaders(ReadByteVector(path)))
        EXPECT_EQ(m.mime.find("multirate"), std::string::npos) << m.mime;
}
