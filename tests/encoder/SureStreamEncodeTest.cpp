#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <filesystem>
#include <tuple>

#include "encoder/EncodeSettings.h"

#include "support/EncoderHarness.h"
#include "support/MediaFixtures.h"

using encoder::DispId;
using testsupport::ClipRecipe;
using testsupport::ProbeInfo;

namespace {

struct Audience {
    DispId id;
    double budget;
};
const Audience kAll[] = {{DispId::Target28KModem, 20000},
                         {DispId::Target56KModem, 34000},
                         {DispId::TargetSingleISDN, 45000},
                         {DispId::TargetDualISDN, 80000},
                         {DispId::TargetLAN, 150000},
                         {DispId::Target256KDSLCableModem, 225000},
                         {DispId::Target384KDSLCableModem, 350000},
                         {DispId::Target512KDSLCableModem, 450000}};

// A SureStream encode for the given audiences (indexes into kAll, slowest first). Checks what every
// multi-rate file must be: readable, the lowest audience at least exposed, every exposed stream
// decoding cleanly; returns the probe.
ProbeInfo EncodeSureStream(EncoderHarness& h, const std::string& source, const std::vector<int>& audiences) {
    const std::string destination = h.Dir() + "multi.rm";
    h.Control().setInputFilename(source);
    h.Control().setOutputFilename(destination);
    h.Control().setSureStream(true);
    for (int a : audiences)
        h.Control().SetBool(kAll[a].id, true);
    EXPECT_TRUE(h.Encode());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    const ProbeInfo info = testsupport::Probe(destination);
    EXPECT_TRUE(info.ok) << info.error;
    EXPECT_EQ(testsupport::DecodeErrors(destination), "");
    EXPECT_EQ(testsupport::DecodeErrors(destination, {}, {"-map", "0:a?", "-map", "0:v?"}), "");
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
    return info;
}

}  // namespace

TEST(SureStreamEncode, EveryAudienceGetsItsOwnStreamsWithinItsBudget) {
    const std::string source = TenSecondMovie();
    for (const std::vector<int>& audiences :
         {std::vector<int>{1, 5}, std::vector<int>{0, 3, 7}, std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}}) {
        EncoderHarness h;
        const ProbeInfo info = EncodeSureStream(h, source, audiences);
        const int n = static_cast<int>(audiences.size());
        ASSERT_GE(StreamCount(info, "video"), 1);
        ASSERT_GE(StreamCount(info, "audio"), 1);
        EXPECT_EQ(FirstStream(info, "video")->codec, "rv20");
        EXPECT_NEAR(info.duration, 10.0, 0.2);
        // Every audience has a picture of its own; audiences with the same sound share one sound
        // stream, in the order of the first audience using it. Streams come fastest audience first.
        encoder::EncodeChoice choice;
        choice.sureStream = true;
        for (int a : audiences)
            choice.targets[static_cast<size_t>(a)] = true;
        const auto plans = encoder::PlanEncode(choice, {true, true, 320, 240, 1.0, 25}, source);
        std::vector<encoder::AudioPlan> sounds;
        std::vector<int> soundOf;
        for (const encoder::StreamPlan& plan : plans) {
            auto it = std::find(sounds.begin(), sounds.end(), plan.audio);
            if (it == sounds.end())
                it = sounds.insert(sounds.end(), plan.audio);
            soundOf.push_back(static_cast<int>(it - sounds.begin()));
        }
        std::vector<const testsupport::ProbeStream*> audio, video;
        std::vector<int> audioIndex, videoIndex;
        for (size_t i = 0; i < info.streams.size(); ++i) {
            if (info.streams[i].type == "audio") {
                audio.push_back(&info.streams[i]);
                audioIndex.push_back(static_cast<int>(i));
            }
            if (info.streams[i].type == "video") {
                video.push_back(&info.streams[i]);
                videoIndex.push_back(static_cast<int>(i));
            }
        }
        for (auto* v : {&audio, &video})
            std::reverse(v->begin(), v->end());
        for (auto* v : {&audioIndex, &videoIndex})
            std::reverse(v->begin(), v->end());
        ASSERT_EQ(audio.size(), sounds.size());
        ASSERT_EQ(static_cast<int>(video.size()), n);
        // Every stream's header figure is true to the packets FFmpeg reads of it.
        const auto bytes = testsupport::PacketBytesByStream(h.Dir() + "multi.rm");
        for (const auto& [kind, streams, indexes] :
             {std::tuple{"audio", &audio, &audioIndex}, std::tuple{"video", &video, &videoIndex}}) {
            for (size_t k = 0; k < streams->size(); ++k) {
                const double measured = 8.0 * bytes.at((*indexes)[k]) / info.duration;
                EXPECT_NEAR(measured, (*streams)[k]->bitRate, measured * 0.05) << kind << " stream " << k;
            }
        }
        int lastWidth = 0;
        for (int k = 0; k < n; ++k) {
            const double rate =
                static_cast<double>(audio[static_cast<size_t>(soundOf[static_cast<size_t>(k)])]->bitRate +
                                    video[static_cast<size_t>(k)]->bitRate);
            const double budget = kAll[audiences[static_cast<size_t>(k)]].budget;
            EXPECT_LE(rate, budget * 1.10) << "audience " << audiences[static_cast<size_t>(k)];
            EXPECT_GT(rate, budget * 0.5) << "audience " << audiences[static_cast<size_t>(k)];
            EXPECT_GE(video[static_cast<size_t>(k)]->width, lastWidth);
            lastWidth = video[static_cast<size_t>(k)]->width;
        }
    }
}

TEST(SureStreamEncode, SourcesWithOneKindOfStream) {
    ClipRecipe song;
    song.name = "multi-song.wav";
    song.video = false;
    ClipRecipe film;
    film.name = "multi-film.avi";
    film.audio = false;
    film.codecArgs = {"-c:v", "mpeg4"};
    {
        EncoderHarness h;
        const ProbeInfo info = EncodeSureStream(h, testsupport::MakeClip(song), {0, 4, 6});
        EXPECT_EQ(StreamCount(info, "video"), 0);
        EXPECT_GE(StreamCount(info, "audio"), 1);
    }
    {
        EncoderHarness h;
        const ProbeInfo info = EncodeSureStream(h, testsupport::MakeClip(film), {0, 4, 6});
        EXPECT_EQ(StreamCount(info, "audio"), 0);
        EXPECT_GE(StreamCount(info, "video"), 1);
    }
}

TEST(SureStreamEncode, OneAudienceOrSingleRateMakesASingleRateFile) {
    const std::string source = BusyMovie();
    EncoderHarness h;
    h.Set(source, h.Dir() + "single.rm", DispId::Target56KModem);
    h.Control().SetBool(DispId::Target512KDSLCableModem, true);  // SureStream off: the highest only
    ASSERT_TRUE(h.Encode());
    const ProbeInfo info = testsupport::Probe(h.Dir() + "single.rm");
    ASSERT_EQ(info.streams.size(), 2u);
    EXPECT_EQ(FirstStream(info, "video")->width, 320);
    EXPECT_EQ(FirstStream(info, "audio")->codec, "ac3");
}

TEST(SureStreamEncode, StopInTheMiddleLeavesNothing) {
    EncoderHarness h;
    const std::string destination = h.Dir() + "multi.rm";
    h.Control().setInputFilename(BusyMovie());
    h.Control().setOutputFilename(destination);
    h.Control().setSureStream(true);
    h.Control().setAudioContent(3);  // stereo music: cook at most audiences
    for (const Audience& a : kAll)
        h.Control().SetBool(a.id, true);
    const int threadsBefore = ThreadCount();
    h.Control().StartEncoding();
    const bool progressed = QTest::qWaitFor(
        [&] {
            const auto p = h.Percents();
            return !p.empty() && p.back() >= 10;
        },
        20000);
    ASSERT_TRUE(progressed);
    h.Control().StopEncoding();
    EXPECT_FALSE(h.Control().IsEncoding());
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_FALSE(std::filesystem::exists(destination));
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
}
