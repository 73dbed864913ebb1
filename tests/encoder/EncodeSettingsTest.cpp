#include <gtest/gtest.h>

#include "encoder/EncodeError.h"
#include "encoder/EncodeSettings.h"
#include "encoder/cook/CookEncoder.h"

using namespace encoder;

namespace {

SourceShape Movie(int width = 320, int height = 240, double fps = 25) {
    SourceShape s;
    s.hasAudio = s.hasVideo = true;
    s.width = width;
    s.height = height;
    s.framesPerSecond = fps;
    return s;
}

EncodeChoice Only(Audience audience) {
    EncodeChoice c;
    c.targets[static_cast<size_t>(audience)] = true;
    return c;
}

const std::uint32_t kBudgets[kAudienceCount] = {20000, 34000, 45000, 80000, 150000, 225000, 350000, 450000};

}  // namespace

TEST(EncodeSettings, EveryCombinationFitsItsAudienceBudget) {
    for (int a = 0; a < kAudienceCount; ++a) {
        for (int content = 0; content < 4; ++content) {
            for (int quality = 0; quality < 4; ++quality) {
                EncodeChoice c = Only(static_cast<Audience>(a));
                c.audioContent = content;
                c.videoQuality = quality;
                const auto plans = PlanEncode(c, Movie(640, 480, 30), "x");
                ASSERT_EQ(plans.size(), 1u);
                const StreamPlan& p = plans[0];
                EXPECT_EQ(p.budget, kBudgets[a]);
                const int spent = p.audio.bitRate + p.video.bitRate + ContainerOverhead(p);
                EXPECT_LE(spent, static_cast<int>(p.budget)) << "audience " << a << " content " << content;
                EXPECT_GE(p.video.bitRate, 5000);
                // AC-3 cannot go below 32 kbit/s, nor use rates other than 32, 44.1 and 48 kHz.
                if (p.audio.codec == AudioCodec::Ac3) {
                    EXPECT_GE(p.audio.bitRate, 32000);
                    EXPECT_TRUE(p.audio.sampleRate == 32000 || p.audio.sampleRate == 44100 ||
                                p.audio.sampleRate == 48000);
                } else if (p.audio.codec == AudioCodec::Cook) {
                    // Cook has a fixed set of rates and layouts: any other fails the encode.
                    EXPECT_TRUE(cook::FindFlavor(p.audio.sampleRate, p.audio.channels, p.audio.bitRate))
                        << "audience " << a << " content " << content;
                } else {
                    EXPECT_EQ(p.audio.sampleRate, 8000);
                    EXPECT_EQ(p.audio.channels, 1);
                }
            }
        }
    }
}

TEST(EncodeSettings, ContentAndQualityColumnsMeanWhatTheySay) {
    EncodeChoice c = Only(Audience::DSL512K);
    c.audioContent = 3;
    EXPECT_EQ(PlanEncode(c, Movie(), "x")[0].audio.channels, 2);
    c.audioContent = 0;
    EXPECT_EQ(PlanEncode(c, Movie(), "x")[0].audio.channels, 1);
    // Slow audiences talk through the 14.4 voice codec, and play music through cook.
    EncodeChoice modem = Only(Audience::Modem28K);
    EXPECT_EQ(PlanEncode(modem, Movie(), "x")[0].audio.codec, AudioCodec::Ra144);
    modem.audioContent = 2;
    EXPECT_EQ(PlanEncode(modem, Movie(), "x")[0].audio.codec, AudioCodec::Cook);

    int fps[4];
    for (int q = 0; q < 4; ++q) {
        EncodeChoice v = Only(Audience::LAN);
        v.videoQuality = q;
        fps[q] = PlanEncode(v, Movie(320, 240, 30), "x")[0].video.framesPerSecond;
    }
    EXPECT_GT(fps[1], fps[0]);  // smoothest
    EXPECT_LT(fps[2], fps[0]);  // sharpest
    EXPECT_LE(fps[3], 1);       // slide show
    // Never more frames than the source has.
    EXPECT_EQ(PlanEncode(Only(Audience::DSL512K), Movie(320, 240, 10), "x")[0].video.framesPerSecond, 10);
}

TEST(EncodeSettings, FrameSizeKeepsAspectInMultiplesOfFour) {
    EXPECT_EQ(FitFrameSize(4000, 3000, 1.0, 160, 120), std::make_pair(160, 120));
    EXPECT_EQ(FitFrameSize(101, 77, 1.0, 320, 240), std::make_pair(100, 76));  // never enlarged
    EXPECT_EQ(FitFrameSize(1920, 1080, 1.0, 320, 240), std::make_pair(320, 180));
    // Anamorphic PAL (16:9 on 720x576) shown at its display aspect.
    const auto [w, h] = FitFrameSize(720, 576, 64.0 / 45.0, 640, 480);
    EXPECT_EQ(w % 4, 0);
    EXPECT_EQ(h % 4, 0);
    EXPECT_NEAR(static_cast<double>(w) / h, 16.0 / 9.0, 0.05);
    for (int width : {17, 33, 99, 250, 719, 1001})
        for (int height : {15, 61, 77, 333}) {
            const auto [fw, fh] = FitFrameSize(width, height, 1.0, 240, 180);
            EXPECT_EQ(fw % 4, 0);
            EXPECT_EQ(fh % 4, 0);
            EXPECT_LE(fw, 240);
            EXPECT_LE(fh, 180);
            EXPECT_GE(fw, 16);
            EXPECT_GE(fh, 16);
        }
}

TEST(EncodeSettings, SingleRateUsesTheHighestAudienceAndSureStreamAllOfThem) {
    EncodeChoice c;
    c.targets[static_cast<size_t>(Audience::Modem56K)] = true;
    c.targets[static_cast<size_t>(Audience::DSL256K)] = true;
    auto plans = PlanEncode(c, Movie(), "x");
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(plans[0].audience, Audience::DSL256K);

    c.sureStream = true;
    plans = PlanEncode(c, Movie(), "x");
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(plans[0].audience, Audience::Modem56K);
    EXPECT_EQ(plans[1].audience, Audience::DSL256K);

    c.targets.fill(true);
    EXPECT_EQ(PlanEncode(c, Movie(), "x").size(), 8u);
}

TEST(EncodeSettings, NothingToEncodeIsRefusedWithAPlainSentence) {
    EncodeChoice none;
    try {
        PlanEncode(none, Movie(), "a.avi");
        FAIL();
    } catch (const EncodeError& e) {
        EXPECT_NE(std::string(e.what()).find("No target audience"), std::string::npos);
    }
    EncodeChoice noVideo = Only(Audience::LAN);
    noVideo.doVideo = false;
    SourceShape silentMovie = Movie();
    silentMovie.hasAudio = false;
    try {
        PlanEncode(noVideo, silentMovie, "a.avi");
        FAIL();
    } catch (const EncodeError& e) {
        EXPECT_NE(std::string(e.what()).find("a.avi holds only video, and video is switched off"),
                  std::string::npos);
    }
    // Dropping the one stream that is there is an error; dropping the other is not.
    EncodeChoice noAudio = Only(Audience::LAN);
    noAudio.doAudio = false;
    const auto plans = PlanEncode(noAudio, Movie(), "a.avi");
    EXPECT_FALSE(plans[0].hasAudio);
    EXPECT_TRUE(plans[0].hasVideo);
}
