#include <gtest/gtest.h>

#include <pthread.h>
#include <QElapsedTimer>
#include <QTest>

#include <filesystem>

#include "encoder/BuiltinEncoder.h"
#include "support/EncoderHarness.h"
#include "support/FileHelpers.h"
#include "support/MediaFixtures.h"

using encoder::ControlError;
using encoder::DispId;
using encoder::DispValue;
using testsupport::ClipRecipe;
using testsupport::MakeClip;

namespace {

std::string MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ControlError& e) {
        return e.what();
    }
    return "(no error)";
}

std::string ShortClip() {
    ClipRecipe recipe;
    recipe.name = "short.avi";
    recipe.seconds = 1;
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    return MakeClip(recipe);
}

}  // namespace

TEST(EncoderControl, UnsetPropertiesKeepTheirDocumentedDefaults) {
    auto control = encoder::CreateBuiltinEncoder();
    auto boolean = [&](DispId id) { return std::get<encoder::VariantBool>(control->GetProperty(id)); };
    EXPECT_EQ(boolean(DispId::InputDoAudio), encoder::kVariantTrue);
    EXPECT_EQ(boolean(DispId::InputDoVideo), encoder::kVariantTrue);
    for (DispId id : {DispId::Target28KModem, DispId::Target56KModem, DispId::TargetSingleISDN,
                      DispId::TargetDualISDN, DispId::TargetDSLCableModem, DispId::TargetLAN,
                      DispId::Target256KDSLCableModem, DispId::Target384KDSLCableModem,
                      DispId::Target512KDSLCableModem, DispId::SureStream, DispId::IsEncoding})
        EXPECT_EQ(boolean(id), encoder::kVariantFalse) << static_cast<int>(id);
    EXPECT_EQ(std::get<std::int32_t>(control->GetProperty(DispId::AudioContent)), 0);
    EXPECT_EQ(std::get<std::int32_t>(control->GetProperty(DispId::VideoQuality)), 0);
    EXPECT_EQ(std::get<std::int32_t>(control->GetProperty(DispId::InputType)), 0);
    for (DispId id : {DispId::InputFilename, DispId::OutputFilename, DispId::TempDirectory, DispId::Title,
                      DispId::Keywords})
        EXPECT_EQ(std::get<std::u16string>(control->GetProperty(id)), u"");

    // Written values read back; any non-zero boolean is true.
    control->PutProperty(DispId::Title, DispValue(std::u16string(u"Grüße 日本")));
    EXPECT_EQ(std::get<std::u16string>(control->GetProperty(DispId::Title)), u"Grüße 日本");
    control->PutProperty(DispId::SureStream, DispValue(encoder::VariantBool{1}));
    EXPECT_EQ(boolean(DispId::SureStream), encoder::kVariantTrue);
    control->PutProperty(DispId::VideoQuality, DispValue(std::int32_t{3}));
    EXPECT_EQ(std::get<std::int32_t>(control->GetProperty(DispId::VideoQuality)), 3);
}

TEST(EncoderControl, RefusesWrongTypesAndValuesWithAMessage) {
    auto control = encoder::CreateBuiltinEncoder();
    EXPECT_EQ(MessageOf([&] { control->PutProperty(DispId::AudioContent, DispValue(std::int32_t{4})); }),
              "The value 4 is out of range for AudioContent (0 to 3).");
    EXPECT_EQ(MessageOf([&] { control->PutProperty(DispId::VideoQuality, DispValue(std::int32_t{-1})); }),
              "The value -1 is out of range for VideoQuality (0 to 3).");
    EXPECT_EQ(MessageOf([&] { control->PutProperty(DispId::InputType, DispValue(std::int32_t{1})); }),
              "The value 1 is out of range for InputType (0 to 0).");
    EXPECT_EQ(MessageOf([&] { control->PutProperty(DispId::Title, DispValue(std::int32_t{1})); }),
              "The property Title takes a text.");
    EXPECT_EQ(MessageOf([&] { control->PutProperty(DispId::SureStream, DispValue(std::u16string(u"yes"))); }),
              "The property SureStream takes true or false.");
    EXPECT_EQ(
        MessageOf([&] { control->PutProperty(DispId::AudioContent, DispValue(encoder::kVariantTrue)); }),
        "The property AudioContent takes a number.");
    EXPECT_EQ(MessageOf([&] { control->PutProperty(DispId::IsEncoding, DispValue(encoder::kVariantTrue)); }),
              "The property IsEncoding can only be read.");
    EXPECT_EQ(MessageOf([&] { control->GetProperty(static_cast<DispId>(4242)); }),
              "The encoder has no property with the id 4242.");
    // A refused value leaves the old one.
    EXPECT_EQ(std::get<std::int32_t>(control->GetProperty(DispId::AudioContent)), 0);
}

TEST(EncoderControl, StartNeedsBothNamesAndAnIdleEncoder) {
    EncoderHarness h;
    EXPECT_EQ(MessageOf([&] { h.Control().StartEncoding(); }),
              "No source file is set. Set InputFilename before starting to encode.");
    h.Control().setInputFilename(BusyMovie());
    EXPECT_EQ(MessageOf([&] { h.Control().StartEncoding(); }),
              "No destination file is set. Set OutputFilename before starting to encode.");
    EXPECT_FALSE(h.Control().IsEncoding());

    h.Set(BusyMovie(), h.Dir() + "out.rm", DispId::Target512KDSLCableModem);
    h.Control().StartEncoding();
    EXPECT_TRUE(h.Control().IsEncoding());
    EXPECT_EQ(MessageOf([&] { h.Control().StartEncoding(); }),
              "The encoder is already encoding a file. Stop it or wait until it has finished.");
    h.Control().StopEncoding();
    EXPECT_FALSE(h.Control().IsEncoding());
    // Nothing of the stopped encode arrives later.
    const int errors = h.Errors(), progress = h.ProgressEvents();
    QTest::qWait(50);
    EXPECT_EQ(h.Errors(), errors);
    EXPECT_EQ(h.ProgressEvents(), progress);
}

TEST(EncoderControl, EventsArriveInOrderOnTheOwnThread) {
    EncoderHarness h;
    h.Set(ShortClip(), h.Dir() + "out.rm");
    QElapsedTimer timer;
    timer.start();
    h.Control().StartEncoding();
    const qint64 startMs = timer.elapsed();
    // Queued: nothing arrives inside the call.
    EXPECT_EQ(h.Started(), 0);
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_LT(startMs, 50);
    EXPECT_EQ(h.Started(), 1);
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    EXPECT_EQ(h.Stopped(), 1) << "the encoder says at once that it is idle";
    const std::vector<int> percents = h.Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_TRUE(h.EventsOnOwnThread());
}

TEST(EncoderControl, StopAtOnceAndInTheMiddleFiftyTimes) {
    EncoderHarness h;
    const std::string destination = h.Dir() + "kept.rm";
    testsupport::WriteBytes(destination, "an earlier file, kept byte for byte");
    h.Set(BusyMovie(), destination, DispId::Target512KDSLCableModem);
    const int threadsBefore = ThreadCount();
    std::vector<qint64> starts, stops;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer timer;
        timer.start();
        h.Control().StartEncoding();
        starts.push_back(timer.elapsed());
        if (i % 2 == 1) {  // in the middle: once the encode has made some progress
            const bool progressed = QTest::qWaitFor(
                [&] {
                    const auto p = h.Percents();
                    return !p.empty() && p.back() >= 5;
                },
                20000);
            ASSERT_TRUE(progressed);
        }
        timer.restart();
        h.Control().StopEncoding();
        stops.push_back(timer.elapsed());
        ASSERT_FALSE(h.Control().IsEncoding());
        h.ClearEvents();
    }
    QTest::qWait(20);
    EXPECT_EQ(h.Errors(), 0);
    EXPECT_EQ(h.ProgressEvents(), 0);
    EXPECT_EQ(h.Stopped(), 0) << "a stopped encode raises nothing more";
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_EQ(testsupport::ReadBytes(destination), "an earlier file, kept byte for byte");
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
    // Within 50 ms nine times in ten even on a busy machine, and never a long wait.
    std::sort(starts.begin(), starts.end());
    std::sort(stops.begin(), stops.end());
    EXPECT_LT(starts[44], 50);
    EXPECT_LT(stops[44], 50);
    EXPECT_LT(starts.back(), 250);
    EXPECT_LT(stops.back(), 250);
    std::cout << "[ figures  ] StartEncoding median " << starts[25] << " ms, slowest " << starts.back()
              << " ms; StopEncoding median " << stops[25] << " ms, slowest " << stops.back() << " ms\n";
}

TEST(EncoderControl, DestroyingTheControlWhileEncodingStopsIt) {
    EncoderHarness h;
    const int threadsBefore = ThreadCount();
    h.Set(BusyMovie(), h.Dir() + "out.rm", DispId::Target512KDSLCableModem);
    h.Control().StartEncoding();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.ProgressEvents() > 0; }, 20000));
    h.Destroy();
    QTest::qWait(10);  // queued events of the gone control are dropped, not delivered
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
    EXPECT_FALSE(std::filesystem::exists(h.Dir() + "out.rm"));
}

TEST(EncoderControl, AFinishedEncodeCanBeFollowedByTheNext) {
    EncoderHarness h;
    h.Set(ShortClip(), h.Dir() + "one.rm");
    ASSERT_TRUE(h.Encode());
    h.Control().setOutputFilename(h.Dir() + "two.rm");
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.Started(), 2);
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    EXPECT_TRUE(std::filesystem::exists(h.Dir() + "one.rm"));
    EXPECT_TRUE(std::filesystem::exists(h.Dir() + "two.rm"));
}

// A source whose times leap two hours ahead after a second: the gap is filled with the last picture,
// which takes a long time; Stop must still answer at once.
TEST(EncoderControl, StopAnswersWhileALongGapInTheSourceIsFilled) {
    EncoderHarness h;
    const std::string source = h.Dir() + "leap.mkv";
    const auto made = testsupport::RunTool(
        "ffmpeg",
        {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=2", "-vf",
         "setpts='if(gte(N,10),PTS+7200/TB,PTS)'", "-fps_mode", "passthrough", "-c:v", "ffv1", source});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    h.Set(source, h.Dir() + "out.rm", DispId::Target512KDSLCableModem);
    h.Control().StartEncoding();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.Started() == 1; }, 5000));
    QTest::qWait(300);
    QElapsedTimer timer;
    timer.start();
    h.Control().StopEncoding();
    EXPECT_LT(timer.elapsed(), 1000);  // waiting for the gap to be filled takes far longer
    EXPECT_FALSE(h.Control().IsEncoding());
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
}

// When the system refuses the encode's thread, Start says so and the control stays idle and usable.
TEST(EncoderControl, AThreadTheSystemRefusesLeavesTheControlIdle) {
    EncoderHarness h;
    h.Set(ShortClip(), h.Dir() + "out.rm");
    pthread_attr_t normal, huge;
    ASSERT_EQ(pthread_getattr_default_np(&normal), 0);
    ASSERT_EQ(pthread_getattr_default_np(&huge), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&huge, std::size_t{1} << 50), 0);  // no stack that large fits
    ASSERT_EQ(pthread_setattr_default_np(&huge), 0);
    std::string message;
    try {
        message = MessageOf([&] { h.Control().StartEncoding(); });
    } catch (const std::exception& e) {
        message = std::string("not the control's error: ") + e.what();
    }
    pthread_setattr_default_np(&normal);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&normal);
    EXPECT_EQ(message.rfind("The encoder cannot start", 0), 0u) << message;
    EXPECT_FALSE(h.Control().IsEncoding());
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
}
