#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <tuple>
#include <vector>

#include "encoder/Audiences.h"
#include "encoder/LibavPtr.h"
#include "encoder/Ra144Stream.h"
#include "encoder/SafeOutput.h"
#include "support/EncoderHarness.h"
#include "support/MediaFixtures.h"

using encoder::DispId;
using testsupport::ClipRecipe;
using testsupport::MakeClip;
using testsupport::Probe;
using testsupport::ProbeInfo;

namespace {

double SourceDuration(const std::string& path) {
    return Probe(path).duration;
}

// Encodes and checks what every good output must be: RealMedia that decodes without error, as long as
// its source, no temporary file left.
ProbeInfo EncodeAndCheck(EncoderHarness& h, const std::string& source, const std::string& destination) {
    EXPECT_TRUE(h.Encode()) << "the encode did not end";
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    EXPECT_EQ(h.Started(), 1);
    const ProbeInfo info = Probe(destination);
    EXPECT_TRUE(info.ok) << info.error;
    EXPECT_EQ(info.formatName, "rm");
    EXPECT_EQ(testsupport::DecodeErrors(destination), "");
    const double expected = SourceDuration(source);
    EXPECT_NEAR(info.duration, expected, expected * 0.02 + 0.07) << source;
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
    return info;
}

}  // namespace

TEST(EncodeOutput, MovieWithSoundBecomesRealVideoAndRealAudioWithItsClipTexts) {
    ClipRecipe recipe;
    recipe.name = "movie.avi";
    recipe.seconds = 6;
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    const std::string source = MakeClip(recipe);
    EncoderHarness h;
    const std::string destination = h.Dir() + "Ünïcödé clip 日本.rm";
    h.Set(source, destination, DispId::Target56KModem);
    auto& c = h.Control();
    c.setTitle("Sommernachtstraum – Ouvertüre");
    c.setAuthor("Åsa Ødegård");
    c.setCopyright("© 2026 Studio Ü");
    c.setDescription("Erste Probe, ¡olé!");
    c.setKeywords("Probe, Orchester, 音楽");
    const ProbeInfo info = EncodeAndCheck(h, source, destination);
    ASSERT_EQ(StreamCount(info, "video"), 1);
    ASSERT_EQ(StreamCount(info, "audio"), 1);
    EXPECT_EQ(FirstStream(info, "video")->codec, "rv20");
    EXPECT_EQ(FirstStream(info, "audio")->codec, "ra_144");
    EXPECT_EQ(FirstStream(info, "video")->width, 160);
    EXPECT_EQ(FirstStream(info, "video")->height, 120);
    EXPECT_EQ(info.tags.at("title"), "Sommernachtstraum – Ouvertüre");
    EXPECT_EQ(info.tags.at("author"), "Åsa Ødegård");
    EXPECT_EQ(info.tags.at("copyright"), "© 2026 Studio Ü");
    EXPECT_EQ(info.tags.at("comment"), "Erste Probe, ¡olé!");
    EXPECT_EQ(info.tags.at("description"), "Erste Probe, ¡olé!");
    EXPECT_EQ(info.tags.at("keywords"), "Probe, Orchester, 音楽");
    // Seeking to the middle lands (FFmpeg says so when it cannot) and decodes.
    const testsupport::ToolResult seek = testsupport::RunTool(
        "ffmpeg",
        {"-v", "warning", "-nostdin", "-ss", "3", "-i", destination, "-map", "0:v", "-f", "null", "-"});
    EXPECT_EQ(seek.err.find("could not seek"), std::string::npos) << seek.err;
}

TEST(EncodeOutput, EveryAudienceStaysWithinItsBudget) {
    const std::string source = TenSecondMovie();
    const double budgets[] = {20000, 34000, 45000, 80000, 150000, 225000, 350000, 450000};
    for (int i = 0; i < 8; ++i) {
        EncoderHarness h;
        const std::string destination = h.Dir() + "out.rm";
        h.Set(source, destination, encoder::kTargetAudiences[i].property);
        h.Control().setAudioContent(i % 4);
        const ProbeInfo info = EncodeAndCheck(h, source, destination);
        const double bitRate = std::filesystem::file_size(destination) * 8.0 / info.duration;
        EXPECT_LE(bitRate, budgets[i] * 1.10) << "audience " << i;
        EXPECT_GE(bitRate, budgets[i] * 0.5) << "audience " << i << " wastes its budget";
        std::cout << "[ figures  ] budget " << budgets[i] / 1000 << " kbit/s: file " << bitRate / 1000
                  << " kbit/s, video " << FirstStream(info, "video")->width << "x"
                  << FirstStream(info, "video")->height << ", audio " << FirstStream(info, "audio")->codec
                  << "\n";
    }
}

namespace {

// The pictures of a video as 8-bit luma planes of its own size (or scaled to `size`, "WxH"), one per
// coded picture, as FFmpeg decodes them.
std::vector<std::string> LumaPictures(const std::string& path, int width, int height,
                                      const std::string& size = "") {
    std::vector<std::string> args = {"-v", "error", "-nostdin", "-i", path, "-map", "0:v", "-vsync", "0"};
    if (!size.empty())
        args.insert(args.end(), {"-vf", "scale=" + size});
    args.insert(args.end(), {"-f", "rawvideo", "-pix_fmt", "gray", "-"});
    const testsupport::ToolResult r = testsupport::RunTool("ffmpeg", args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> pictures;
    const size_t bytes = static_cast<size_t>(width) * height;
    for (size_t at = 0; bytes > 0 && at + bytes <= r.out.size(); at += bytes)
        pictures.push_back(r.out.substr(at, bytes));
    return pictures;
}

double LumaPsnr(const std::string& a, const std::string& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = double(static_cast<std::uint8_t>(a[i])) - static_cast<std::uint8_t>(b[i]);
        sum += d * d;
    }
    return 10 * std::log10(255.0 * 255.0 / std::max(sum / double(a.size()), 1e-3));
}

}  // namespace

// What a viewer sees. A bar that moves 4 pixels each picture of a 23.976 fps source: every output slot
// shows the source picture nearest its time (no lag behind the sound), as many pictures as the frame rate
// times the length. A busy, noisy clip: every audience keeps its budget, the first keyframe is no worse
// than the pictures of the second after it, and no picture freezes.
TEST(EncodeOutput, PicturesKeepTimeTheFirstKeyframeAndTheBudgetOnHardClips) {
    EncoderHarness made;
    const std::string bar = made.Dir() + "bar.mkv";
    const double sourceFps = 24000.0 / 1001;
    ASSERT_EQ(testsupport::RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                              "nullsrc=size=320x240:rate=24000/1001,format=yuv420p,"
                                              "geq=lum='if(lt(abs(X-6-4*N),6),235,16)':cb=128:cr=128",
                                              "-frames:v", "59", "-c:v", "ffv1", bar})
                  .exitCode,
              0);
    for (const auto& [property, fps, width, height] :
         {std::tuple{DispId::TargetLAN, 15, 320, 240}, std::tuple{DispId::Target56KModem, 8, 176, 132}}) {
        SCOPED_TRACE(fps);
        EncoderHarness h;
        const std::string destination = h.Dir() + "out.rm";
        h.Set(bar, destination, property);
        const ProbeInfo info = EncodeAndCheck(h, bar, destination);
        const std::vector<std::string> pictures = LumaPictures(destination, width, height);
        EXPECT_NEAR(static_cast<double>(pictures.size()), SourceDuration(bar) * fps, 1.0);
        double offsets = 0;
        int nearest = 0;
        for (size_t k = 0; k < pictures.size(); ++k) {
            // The bar's middle, in source pixels, tells which source picture this is.
            double weight = 0, sum = 0;
            for (int x = 0; x < width; ++x)
                for (int y = 0; y < height; ++y) {
                    const double v =
                        std::max(0, static_cast<std::uint8_t>(pictures[k][size_t(y) * width + x]) - 128);
                    weight += v;
                    sum += v * x;
                }
            ASSERT_GT(weight, 0) << "picture " << k;
            const double shown = ((sum / weight + 0.5) * 320.0 / width - 6.5) / 4;
            const double due = std::round(static_cast<double>(k) / fps * sourceFps);
            offsets += shown - due;
            nearest += std::abs(shown - due) < 0.5;
        }
        ASSERT_FALSE(pictures.empty());
        EXPECT_NEAR(offsets / double(pictures.size()), 0, 0.25) << "pictures late or early on average";
        EXPECT_GE(nearest, 0.9 * double(pictures.size())) << "pictures not the nearest";
    }

    const std::string busy = made.Dir() + "busy.mkv";
    ASSERT_EQ(
        testsupport::RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                        "testsrc2=size=320x240:rate=25:duration=4,noise=alls=30:allf=t", "-f",
                                        "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=4",
                                        "-c:v", "ffv1", "-c:a", "pcm_s16le", busy})
            .exitCode,
        0);
    const double budgets[] = {20000, 34000, 45000, 80000, 150000, 225000, 350000, 450000};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(encoder::kTargetAudiences[i].caption);
        EncoderHarness h;
        const std::string destination = h.Dir() + "out.rm";
        h.Set(busy, destination, encoder::kTargetAudiences[i].property);
        const ProbeInfo info = EncodeAndCheck(h, busy, destination);
        EXPECT_LE(std::filesystem::file_size(destination) * 8.0 / info.duration, budgets[i] * 1.05);
        const testsupport::ProbeStream* video = FirstStream(info, "video");
        ASSERT_NE(video, nullptr);
        const std::string size = std::to_string(video->width) + "x" + std::to_string(video->height);
        const std::vector<std::string> out = LumaPictures(destination, video->width, video->height);
        const std::vector<std::string> source = LumaPictures(busy, video->width, video->height, size);
        const int fps = static_cast<int>(std::lround(out.size() / info.duration));
        ASSERT_GT(out.size(), static_cast<size_t>(2 * fps));
        ASSERT_EQ(source.size(), 100u);
        auto psnr = [&](size_t k) {
            const size_t n = std::min<size_t>(99, static_cast<size_t>(std::lround(double(k) / fps * 25)));
            return LumaPsnr(out[k], source[n]);
        };
        double after = 0;
        for (int k = 1; k <= fps; ++k)
            after += psnr(static_cast<size_t>(k));
        EXPECT_GE(psnr(0), after / fps) << "the first keyframe is worse than the pictures after it";
        // Too hard for the small audiences' rate: the stream's frame rate is lowered evenly, as its
        // header says, rather than pictures repeated while the source moves (it changes every picture).
        const testsupport::ToolResult rate =
            testsupport::RunTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                             "stream=avg_frame_rate", "-of", "csv=p=0", destination});
        EXPECT_EQ(rate.out, std::to_string(fps) + "/1\n");
        int repeats = 0;
        for (size_t k = 1; k < out.size(); ++k)
            repeats += LumaPsnr(out[k], out[k - 1]) > 55;
        // One may stay still after the first keyframe where that alone takes the first seconds' bits.
        EXPECT_LE(repeats, std::max(1, static_cast<int>(out.size()) / 50))
            << "pictures froze while the source moved";
    }
}

TEST(EncodeOutput, EverySourceKindOfTheJobListIsRead) {
    struct Kind {
        std::string name;
        bool video;
        std::vector<std::string> codecs;
    };
    const Kind kinds[] = {
        {"clip.mov", true, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
        {"clip.qt", true, {"-f", "mov", "-c:v", "mjpeg", "-c:a", "pcm_s16be"}},
        {"clip.mpg", true, {"-r", "25", "-c:v", "mpeg1video", "-c:a", "mp2"}},
        {"clip.mpeg", true, {"-r", "25", "-f", "mpeg", "-c:v", "mpeg2video", "-c:a", "mp2"}},
        {"clip.mp3", false, {}},
        {"clip.mpa", false, {"-f", "mp2", "-c:a", "mp2"}},
        {"clip.mp2", false, {}},
        {"clip.wav", false, {}},
        {"clip.au", false, {}},
    };
    for (const Kind& kind : kinds) {
        ClipRecipe recipe;
        recipe.name = kind.name;
        recipe.seconds = 1.5;
        recipe.video = kind.video;
        recipe.codecArgs = kind.codecs;
        const std::string source = MakeClip(recipe);
        EncoderHarness h;
        const std::string destination = h.Dir() + "out.rm";
        h.Set(source, destination, DispId::TargetLAN);
        h.Control().setAudioContent(2);
        const ProbeInfo info = EncodeAndCheck(h, source, destination);
        EXPECT_EQ(StreamCount(info, "video"), kind.video ? 1 : 0) << kind.name;
        ASSERT_EQ(StreamCount(info, "audio"), 1) << kind.name;
        EXPECT_EQ(FirstStream(info, "audio")->codec, "cook") << kind.name;
    }
}

TEST(EncodeOutput, SwitchedOffStreamsAndSourcesWithOneStream) {
    ClipRecipe silent;
    silent.name = "silent.avi";
    silent.audio = false;
    silent.codecArgs = {"-c:v", "mpeg4"};
    ClipRecipe movie;
    movie.name = "both.avi";
    movie.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    {
        EncoderHarness h;
        h.Set(MakeClip(silent), h.Dir() + "a.rm");
        const ProbeInfo info = EncodeAndCheck(h, MakeClip(silent), h.Dir() + "a.rm");
        EXPECT_EQ(StreamCount(info, "audio"), 0);
        EXPECT_EQ(StreamCount(info, "video"), 1);
    }
    {
        EncoderHarness h;
        h.Set(MakeClip(movie), h.Dir() + "b.rm");
        h.Control().setInputDoVideo(false);
        const ProbeInfo info = EncodeAndCheck(h, MakeClip(movie), h.Dir() + "b.rm");
        EXPECT_EQ(StreamCount(info, "audio"), 1);
        EXPECT_EQ(StreamCount(info, "video"), 0);
    }
    {
        EncoderHarness h;
        h.Set(MakeClip(movie), h.Dir() + "c.rm");
        h.Control().setInputDoAudio(false);
        const ProbeInfo info = EncodeAndCheck(h, MakeClip(movie), h.Dir() + "c.rm");
        EXPECT_EQ(StreamCount(info, "audio"), 0);
        EXPECT_EQ(StreamCount(info, "video"), 1);
    }
    {
        // A clip shorter than two pictures of the output still shows a picture as long as it lasts.
        ClipRecipe blink;
        blink.name = "blink.avi";
        blink.seconds = 0.1;
        blink.fps = 30;
        blink.audio = false;
        blink.codecArgs = {"-c:v", "mpeg4"};
        EncoderHarness h;
        h.Set(MakeClip(blink), h.Dir() + "f.rm", DispId::Target512KDSLCableModem);
        EncodeAndCheck(h, MakeClip(blink), h.Dir() + "f.rm");
        const testsupport::ToolResult r =
            testsupport::RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=r_frame_rate,duration",
                                             "-of", "csv=p=0", h.Dir() + "f.rm"});
        int fps = 0;
        double seconds = 0;
        ASSERT_EQ(std::sscanf(r.out.c_str(), "%d/1,%lf", &fps, &seconds), 2) << r.out;
        const double source = SourceDuration(MakeClip(blink));
        EXPECT_GE(seconds, source - 0.001);
        EXPECT_LT(seconds, source + 1.0 / fps);
    }
    {
        // Nothing left: a sentence, and no file.
        EncoderHarness h;
        h.Set(MakeClip(silent), h.Dir() + "d.rm");
        h.Control().setInputDoVideo(false);
        ASSERT_TRUE(h.Encode());
        EXPECT_EQ(h.Errors(), 1);
        EXPECT_NE(h.LastError().find("holds only video, and video is switched off"), std::string::npos)
            << h.LastError();
        EXPECT_FALSE(std::filesystem::exists(h.Dir() + "d.rm"));
    }
    {
        EncoderHarness h;
        h.Control().setInputFilename(MakeClip(movie));
        h.Control().setOutputFilename(h.Dir() + "e.rm");
        ASSERT_TRUE(h.Encode());
        EXPECT_EQ(h.LastError(),
                  "No target audience is selected. Choose at least one audience to encode for.");
        EXPECT_FALSE(std::filesystem::exists(h.Dir() + "e.rm"));
    }
}

TEST(EncodeOutput, OddHugeAndManyChannelSourcesAreFitted) {
    struct Case {
        ClipRecipe recipe;
        DispId audience;
        int width, height;
    };
    ClipRecipe odd;
    odd.name = "odd.avi";
    odd.width = 101;
    odd.height = 77;
    odd.codecArgs = {"-c:v", "ffv1", "-c:a", "pcm_s16le"};
    ClipRecipe huge;
    huge.name = "huge.avi";
    huge.width = 4000;
    huge.height = 3000;
    huge.fps = 5;
    huge.seconds = 0.4;
    huge.audio = false;
    huge.codecArgs = {"-c:v", "mjpeg", "-q:v", "20"};
    ClipRecipe surround;
    surround.name = "surround.wav";
    surround.video = false;
    surround.sampleRate = 96000;
    surround.channels = 6;
    const Case cases[] = {{odd, DispId::Target512KDSLCableModem, 100, 76},
                          {huge, DispId::Target512KDSLCableModem, 640, 480},
                          {surround, DispId::Target384KDSLCableModem, 0, 0}};
    for (const Case& c : cases) {
        const std::string source = MakeClip(c.recipe);
        EncoderHarness h;
        h.Set(source, h.Dir() + "out.rm", c.audience);
        h.Control().setAudioContent(3);
        const ProbeInfo info = EncodeAndCheck(h, source, h.Dir() + "out.rm");
        if (c.width) {
            ASSERT_NE(FirstStream(info, "video"), nullptr) << c.recipe.name;
            EXPECT_EQ(FirstStream(info, "video")->width, c.width);
            EXPECT_EQ(FirstStream(info, "video")->height, c.height);
        } else {
            ASSERT_NE(FirstStream(info, "audio"), nullptr);
            EXPECT_EQ(FirstStream(info, "audio")->channels, 2);
        }
    }
}

TEST(EncodeOutput, TheTemporaryFileGoesToTheTemporaryFolder) {
    const std::string source = BusyMovie();
    EncoderHarness h;
    const std::string temp = h.Dir() + "temp/";
    std::filesystem::create_directory(temp);
    std::filesystem::create_directory(h.Dir() + "dest");
    h.Set(source, h.Dir() + "dest/out.rm", DispId::Target512KDSLCableModem);
    h.Control().setTempDirectory(temp);
    h.Control().StartEncoding();
    bool seen =
        QTest::qWaitFor([&] { return !LeftoverTempFiles(temp).empty() || !h.Control().IsEncoding(); }, 30000);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(LeftoverTempFiles(temp).empty())
        << "no temporary file in the temporary folder while encoding";
    EXPECT_TRUE(LeftoverTempFiles(h.Dir() + "dest").empty());
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    EXPECT_TRUE(LeftoverTempFiles(temp).empty());
    EXPECT_TRUE(std::filesystem::exists(h.Dir() + "dest/out.rm"));

    // A temporary folder that is not there: the file is made beside the destination instead.
    EncoderHarness g;
    g.Set(MakeClip(ClipRecipe{}), g.Dir() + "out.rm");
    g.Control().setTempDirectory(g.Dir() + "missing/");
    EncodeAndCheck(g, MakeClip(ClipRecipe{}), g.Dir() + "out.rm");
}

// A temporary folder on another disk than the destination: the file is copied across at the end. A Stop
// then leaves the old destination as it was and no copy behind.
TEST(EncodeOutput, AStopDuringTheCopyToAnotherDiskKeepsTheOldDestination) {
    testsupport::ScratchDir temp;
    const std::filesystem::path other = "/dev/shm";
    struct stat a {
    }, b{};
    if (::stat(temp.Path().c_str(), &a) != 0 || ::stat(other.c_str(), &b) != 0 || a.st_dev == b.st_dev ||
        ::access(other.c_str(), W_OK) != 0)
        GTEST_SKIP() << "no second writable disk here";
    QTemporaryDir destDir(QString::fromStdString((other / "quenzor-copy-XXXXXX").string()));
    ASSERT_TRUE(destDir.isValid());
    const std::string destination = destDir.filePath("out.rm").toStdString();
    for (const bool stopped : {true, false}) {
        testsupport::WriteBytes(destination, "the old file");
        std::atomic<bool> stop{stopped};
        {
            encoder::TempOutput output(destination, temp.Path());
            ASSERT_TRUE(output.InTemporaryDirectory());
            testsupport::WriteBytes(output.Path(), "the new file");
            EXPECT_EQ(output.Commit(stop), !stopped);
        }
        EXPECT_EQ(testsupport::ReadBytes(destination), stopped ? "the old file" : "the new file");
        EXPECT_TRUE(LeftoverTempFiles(temp.Path()).empty());
        EXPECT_TRUE(LeftoverTempFiles(destDir.path().toStdString()).empty());
    }
}

TEST(EncodeOutput, TheGenericDslTargetStandsForThe256KAudience) {
    const std::string source = MakeClip(ClipRecipe{});
    EncoderHarness h;
    h.Set(source, h.Dir() + "dsl.rm", DispId::TargetDSLCableModem);
    h.Control().setAudioContent(3);
    const ProbeInfo info = EncodeAndCheck(h, source, h.Dir() + "dsl.rm");
    ASSERT_NE(FirstStream(info, "audio"), nullptr);
    EXPECT_EQ(FirstStream(info, "audio")->codec, "cook");
    EXPECT_EQ(FirstStream(info, "audio")->channels, 2);
    ASSERT_TRUE(info.tags.count("target audiences"));
    EXPECT_NE(info.tags.at("target audiences").find("256K DSL/Cable Modem"), std::string::npos);
}

TEST(EncodeOutput, ProgressFollowsTheFileSizeWhenTheDurationIsUnknown) {
    ClipRecipe recipe;
    recipe.name = "raw.m4v";  // a bare MPEG-4 video stream: no container, no duration
    recipe.seconds = 5;
    recipe.width = 320;
    recipe.height = 240;
    recipe.fps = 10;
    recipe.audio = false;
    recipe.codecArgs = {"-c:v", "mpeg4", "-q:v", "2", "-f", "m4v"};
    const std::string source = MakeClip(recipe);
    ASSERT_EQ(Probe(source).duration, 0.0);
    EncoderHarness h;
    h.Set(source, h.Dir() + "raw.rm");
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    const std::vector<int> percents = h.Percents();
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_GE(std::set<int>(percents.begin(), percents.end()).size(), 4u);
    EXPECT_EQ(h.LastDuration(), 0);
}

TEST(EncodeOutput, VideoQualityTradesFramesPerSecond) {
    ClipRecipe recipe;
    recipe.name = "quality.avi";
    recipe.seconds = 4;
    recipe.fps = 25;
    recipe.audio = false;
    recipe.codecArgs = {"-c:v", "mpeg4"};
    const std::string source = MakeClip(recipe);
    auto frames = [&](int quality) {
        EncoderHarness h;
        h.Set(source, h.Dir() + "q.rm", DispId::TargetLAN);
        h.Control().setVideoQuality(quality);
        EncodeAndCheck(h, source, h.Dir() + "q.rm");
        const auto r = testsupport::RunTool(
            "ffprobe", {"-v", "error", "-count_packets", "-select_streams", "v:0", "-show_entries",
                        "stream=nb_read_packets", "-of", "csv=p=0", h.Dir() + "q.rm"});
        return std::atoi(r.out.c_str());
    };
    const int normal = frames(0), smoothest = frames(1), sharpest = frames(2), slides = frames(3);
    EXPECT_GT(smoothest, normal);
    EXPECT_LT(sharpest, normal);
    EXPECT_LE(slides, 5);  // one a second
    EXPECT_GE(slides, 4);
}

// Our 14.4 encoder: one 20-byte packet a frame after the leading one, as libavcodec's encoder gives them;
// a decoder plays exactly what the encoder tracked (its adaptive codebook and filter memory are the
// decoder's, or the encoder drifts away from what is heard); and the sound is as close to the source as
// from libavcodec's encoder. The sound: a gliding tone with a tremolo, noise bursts, a full-scale square
// wave that drives the decoder's filter into its overflow, and silence.
TEST(EncodeOutput, FourteenFourEncoderIsHeardAsItTracksAndAsWellAsLibavcodecs) {
    constexpr int kFrame = encoder::Ra144Stream::kFrameSamples;
    constexpr int kFrames = 200;
    std::vector<std::int16_t> sound(static_cast<std::size_t>(kFrames) * kFrame);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = i / 8000.0;
        double v = 6000 * std::sin(2 * M_PI * (200 + 40 * std::sin(t)) * t) *
                   (0.6 + 0.4 * std::sin(2 * M_PI * 3 * t));
        noise = noise * 1664525u + 1013904223u;
        if (std::fmod(t, 0.5) < 0.05)
            v += static_cast<int>(noise >> 20) - 2048;
        if (t >= 2.5 && t < 3.0)
            v = std::fmod(t, 0.01) < 0.005 ? 32767 : -32768;
        if (t >= 3.5)
            v = 0;
        sound[i] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    using Packets = std::vector<encoder::av::PacketPtr>;
    auto decode = [&](const Packets& packets) {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_RA_144);
        encoder::av::CodecPtr c = encoder::av::MakeCodec(codec);
        c->sample_rate = 8000;
        av_channel_layout_default(&c->ch_layout, 1);
        EXPECT_EQ(avcodec_open2(c.get(), codec, nullptr), 0);
        std::vector<std::int16_t> decoded;
        encoder::av::FramePtr frame = encoder::av::MakeFrame();
        for (const auto& p : packets) {
            EXPECT_EQ(p->size, 20);
            EXPECT_EQ(avcodec_send_packet(c.get(), p.get()), 0);
            while (avcodec_receive_frame(c.get(), frame.get()) >= 0) {
                const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
                decoded.insert(decoded.end(), s, s + frame->nb_samples);
                av_frame_unref(frame.get());
            }
        }
        return decoded;
    };
    // Segmental SNR of the sounding frames, the decoded sound being one frame late.
    auto snr = [&](const std::vector<std::int16_t>& decoded) {
        double sum = 0;
        int count = 0;
        for (std::size_t f = 0; f < kFrames; ++f) {
            double signal = 0, error = 0;
            for (std::size_t i = f * kFrame; i < (f + 1) * kFrame; ++i) {
                const double d = double(sound[i]) - decoded[i + kFrame];
                signal += double(sound[i]) * sound[i];
                error += d * d;
            }
            if (signal > 0)
                sum += std::clamp(10 * std::log10(signal / std::max(error, 1.0)), -10.0, 35.0), ++count;
        }
        return sum / count;
    };

    std::atomic<bool> stop{false};
    encoder::Ra144Stream stream(stop);
    encoder::ra144::Encoder tracking;
    Packets ours;
    std::vector<std::int16_t> tracked;
    for (int f = 0; f <= kFrames; ++f) {
        const std::int16_t* samples =
            f < kFrames ? sound.data() + static_cast<std::size_t>(f) * kFrame : nullptr;
        if (samples)
            stream.Frame(samples);
        tracking.Encode(samples);
        tracked.insert(tracked.end(), tracking.Decoded().begin(), tracking.Decoded().end());
        for (auto& p : samples ? stream.Take() : stream.Finish())
            ours.push_back(std::move(p));
    }
    ASSERT_EQ(ours.size(), static_cast<std::size_t>(kFrames) + 1)
        << "one packet a frame, after the leading one";
    EXPECT_EQ(ours[1]->pts, 0);
    EXPECT_TRUE(ours[1]->flags & AV_PKT_FLAG_KEY);
    const std::vector<std::int16_t> decoded = decode(ours);
    ASSERT_EQ(decoded.size(), ours.size() * kFrame);
    const auto drift = std::mismatch(tracked.begin(), tracked.end(), decoded.begin());
    EXPECT_EQ(drift.first, tracked.end())
        << "the decoder drifted at sample " << drift.first - tracked.begin();

    Packets theirs;
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RA_144);
        encoder::av::CodecPtr c = encoder::av::MakeCodec(codec);
        c->sample_fmt = AV_SAMPLE_FMT_S16;
        c->sample_rate = 8000;
        av_channel_layout_default(&c->ch_layout, 1);
        ASSERT_EQ(avcodec_open2(c.get(), codec, nullptr), 0);
        encoder::av::FramePtr frame = encoder::av::MakeFrame();
        for (int f = 0; f <= kFrames; ++f) {
            if (f < kFrames) {
                frame->format = AV_SAMPLE_FMT_S16;
                frame->nb_samples = kFrame;
                av_channel_layout_default(&frame->ch_layout, 1);
                ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
                std::memcpy(frame->data[0], sound.data() + static_cast<std::size_t>(f) * kFrame, kFrame * 2);
            }
            ASSERT_EQ(avcodec_send_frame(c.get(), f < kFrames ? frame.get() : nullptr), 0);
            av_frame_unref(frame.get());
            for (encoder::av::PacketPtr p = encoder::av::MakePacket();
                 avcodec_receive_packet(c.get(), p.get()) >= 0; p = encoder::av::MakePacket())
                theirs.push_back(std::move(p));
        }
    }
    ASSERT_EQ(theirs.size(), ours.size());
    const double oursSnr = snr(decoded), theirsSnr = snr(decode(theirs));
    EXPECT_GT(oursSnr, theirsSnr - 0.3) << "libavcodec's: " << theirsSnr;

    // Stopped: no more frames are encoded.
    stop = true;
    stream.Frame(sound.data());
    EXPECT_TRUE(stream.Finish().empty());
}

// Cook keeps sound and picture together: a click in the source is heard within a few milliseconds of its
// time, through FFmpeg's demuxer and decoder (which plays nothing for the first two frames) and its
// player's clock, at the slowest flavor (256-sample frames at 11 kHz) and the fastest (1024 at 44.1 kHz),
// with clicks in several interleave blocks.
TEST(EncodeOutput, CookClicksAreHeardAtTheirTimes) {
    EncoderHarness made;
    const std::string source = made.Dir() + "clicks.wav";
    const double clicks[] = {0.25, 1.5, 2.83, 4.1};
    std::string expression;
    for (const double t : clicks)
        expression += (expression.empty() ? "" : "+") + std::string("between(t,") + std::to_string(t) + "," +
                      std::to_string(t + 0.004) + ")*0.8*sin(2*PI*1500*t)";
    ASSERT_EQ(
        testsupport::RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                        "aevalsrc='" + expression + "':s=44100:d=5", "-ac", "2", source})
            .exitCode,
        0);
    // Where the loudest 2 ms of the decoded sound lie around each click, counted from time 0.
    auto heard = [&](const std::string& path) {
        const testsupport::ToolResult r = testsupport::RunTool(
            "ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-map", "0:a", "-af",
                       "aresample=async=1:first_pts=0", "-ac", "1", "-ar", "44100", "-f", "s16le", "-"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::vector<double> at;
        const auto* s = reinterpret_cast<const std::int16_t*>(r.out.data());
        const std::size_t n = r.out.size() / 2;
        for (const double t : clicks) {
            double best = -1;
            std::size_t where = 0;
            for (std::size_t i = static_cast<std::size_t>((t - 0.15) * 44100);
                 i < static_cast<std::size_t>((t + 0.15) * 44100) && i + 88 < n; ++i) {
                double energy = 0;
                for (std::size_t k = i; k < i + 88; ++k)
                    energy += double(s[k]) * s[k];
                if (energy > best)
                    best = energy, where = i;
            }
            at.push_back(static_cast<double>(where) / 44100);
        }
        return at;
    };
    const std::vector<double> original = heard(source);
    for (const auto& [audience, content] :
         {std::pair{DispId::Target28KModem, 2}, std::pair{DispId::TargetLAN, 3}}) {
        EncoderHarness h;
        const std::string destination = h.Dir() + "clicks.rm";
        h.Set(source, destination, audience);
        h.Control().setAudioContent(content);
        const ProbeInfo info = EncodeAndCheck(h, source, destination);
        ASSERT_EQ(FirstStream(info, "audio")->codec, "cook");
        const std::vector<double> decoded = heard(destination);
        for (std::size_t i = 0; i < decoded.size(); ++i)
            EXPECT_NEAR(decoded[i], original[i], 0.004) << "click at " << clicks[i] << " s";
    }
}
