// Our files as the players people have read them: every kind of source the job list takes, single-rate
// and SureStream, through FFmpeg, GStreamer, and MPlayer's and VLC's own RealMedia demuxers
// (tests/readers/check_readers.sh says what each must do).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EncoderHarness.h"
#include "support/MediaFixtures.h"

using encoder::DispId;
using testsupport::ClipRecipe;

namespace {

// Long enough that a seek to the middle has a keyframe after the first to land on (one every 5 s), and
// not whole seconds: a reader's whole-second figure must not pass for the length it plays.
constexpr double kSeconds = 11.6;

enum class Has { Both, Sound, Picture };

struct Case {
    std::string name;  // the source's file name; its extension picks the container
    Has has;
    std::vector<std::string> codecArgs;
    std::vector<DispId> audiences;  // slowest first
    bool sureStream;
    int audioContent;  // 0 voice, 1 voice with music, 2 music, 3 stereo music
    int videoQuality;  // 0 normal, 1 smoothest, 2 sharpest, 3 slide show
};

const std::vector<DispId> kEveryAudience = {DispId::Target28KModem,
                                            DispId::Target56KModem,
                                            DispId::TargetSingleISDN,
                                            DispId::TargetDualISDN,
                                            DispId::TargetLAN,
                                            DispId::Target256KDSLCableModem,
                                            DispId::Target384KDSLCableModem,
                                            DispId::Target512KDSLCableModem};
const std::vector<DispId> kDefaultAudiences = {DispId::Target56KModem, DispId::Target256KDSLCableModem};

std::string MakeSource(const Case& c) {
    ClipRecipe recipe;
    recipe.name = c.name;
    recipe.seconds = kSeconds;
    recipe.video = c.has != Has::Sound;
    recipe.audio = c.has != Has::Picture;
    recipe.width = 320;
    recipe.height = 240;
    recipe.fps = 25;
    recipe.sampleRate = 44100;
    recipe.channels = 2;
    recipe.codecArgs = c.codecArgs;
    return testsupport::MakeClip(recipe);
}

}  // namespace

TEST(ReaderMatrix, EveryReaderPlaysEveryKindOfSourceWhole) {
    const std::vector<Case> cases = {
        // The default settings: SureStream for 56K and 256K.
        {"clip.avi", Has::Both, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}, kDefaultAudiences, true, 0, 0},
        {"picture.mpeg", Has::Picture, {"-c:v", "mpeg2video"}, kDefaultAudiences, true, 0, 3},
        {"sound.mpa", Has::Sound, {"-f", "mp2", "-c:a", "mp2"}, kDefaultAudiences, true, 0, 0},
        // Every audience at once.
        {"clip.qt",
         Has::Both,
         {"-f", "mov", "-c:v", "mjpeg", "-c:a", "pcm_s16be"},
         kEveryAudience,
         true,
         3,
         1},
        {"picture.avi", Has::Picture, {"-c:v", "mpeg4"}, kEveryAudience, true, 0, 0},
        {"sound.mp3", Has::Sound, {"-c:a", "libmp3lame"}, kEveryAudience, true, 2, 0},
        // Three audiences of different sound codecs, and three that share one 14.4 sound.
        {"clip.mpg",
         Has::Both,
         {"-c:v", "mpeg1video", "-c:a", "mp2"},
         {DispId::Target28KModem, DispId::TargetSingleISDN, DispId::TargetLAN},
         true,
         2,
         2},
        {"sound.au",
         Has::Sound,
         {},
         {DispId::Target28KModem, DispId::Target56KModem, DispId::TargetSingleISDN},
         true,
         1,
         0},
        // Single-rate: the 14.4 audiences with and without picture, and the top one.
        {"clip.mov", Has::Both, {"-c:v", "mpeg4", "-c:a", "aac"}, {DispId::Target28KModem}, false, 0, 0},
        {"sound.wav", Has::Sound, {}, {DispId::Target28KModem}, false, 0, 0},
        {"voice.avi", Has::Both, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}, {DispId::TargetLAN}, false, 0, 2},
        {"sound.mp2", Has::Sound, {}, {DispId::Target512KDSLCableModem}, false, 3, 0},
    };
    const std::string check = std::string(QUENZOR_SOURCE_DIR) + "/tests/readers/check_readers.sh";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = MakeSource(c);
        ASSERT_FALSE(source.empty());
        EncoderHarness h;
        const std::string destination = h.Dir() + "out.rm";
        h.Control().setInputFilename(source);
        h.Control().setOutputFilename(destination);
        h.Control().setSureStream(c.sureStream);
        h.Control().setAudioContent(c.audioContent);
        h.Control().setVideoQuality(c.videoQuality);
        for (DispId audience : c.audiences)
            h.Control().SetBool(audience, true);
        ASSERT_TRUE(h.Encode());
        ASSERT_EQ(h.Errors(), 0) << h.LastError();
        const std::string want = c.has == Has::Both ? "av" : c.has == Has::Sound ? "a" : "v";
        // The source's own length: a container may round it up to whole audio frames.
        const double seconds = testsupport::Probe(source).duration;
        const testsupport::ToolResult r =
            testsupport::RunTool(check, {destination, std::to_string(seconds), want}, 300000);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    }
}
