#include <gtest/gtest.h>

#include <memory>

#include "conversion/ApplyEncoderSettings.h"
#include "support/FakeProducer.h"

namespace {
using encoder::DispId;
using Calls = std::vector<std::string>;

class ApplyEncoderSettingsTest : public ::testing::Test {
  protected:
    ApplyEncoderSettingsTest() {
        auto fake = std::make_unique<testsupport::FakeProducer>();
        producer = fake.get();
        control = std::make_unique<conversion::TProducerControl>(std::move(fake));
    }
    // Only the writes that a given stream choice produces (audio/video/kind), in order.
    Calls Writes(const settings::TSettings& s) {
        producer->ClearLog();
        conversion::ApplyEncoderSettings(*control, s);
        return producer->Calls();
    }
    static Calls Tail(const Calls& all, size_t from) { return Calls(all.begin() + from, all.end()); }

    testsupport::FakeProducer* producer = nullptr;
    std::unique_ptr<conversion::TProducerControl> control;
};

// The first ten assignments never vary in kind; the last three depend on the lists.
constexpr size_t kFixedWrites = 10;

TEST_F(ApplyEncoderSettingsTest, DefaultSettingsGiveTheThirteenAssignmentsInOrder) {
    settings::TSettings s;
    s.TempDirectory = "c:\\";
    s.Modem56K = true;
    s.DSLCableModem256K = true;
    s.AudioFormat = 0;
    s.VideoQuality = 0;
    s.filetype = 1;
    EXPECT_EQ(Writes(s),
              (Calls{"TempDirectory=c:\\", "InputType=0", "Target28KModem=false", "Target56KModem=true",
                     "TargetSingleISDN=false", "TargetDualISDN=false", "TargetLAN=false",
                     "Target256KDSLCableModem=true", "Target384KDSLCableModem=false",
                     "Target512KDSLCableModem=false", "AudioContent=0", "InputDoAudio=true", "VideoQuality=0",
                     "InputDoVideo=true", "SureStream=true"}));
    // 3405 is not one of the program's audiences and keeps the control's own value.
    EXPECT_FALSE(producer->Value(DispId::TargetDSLCableModem));
}

TEST_F(ApplyEncoderSettingsTest, EveryAudienceReachesItsOwnProperty) {
    settings::TSettings s;
    s.Modem28K = s.SingleISDN = s.CorporateLAN = s.DSLCableModem384K = true;
    Calls w = Writes(s);
    EXPECT_EQ(Calls(w.begin() + 2, w.begin() + kFixedWrites),
              (Calls{"Target28KModem=true", "Target56KModem=false", "TargetSingleISDN=true",
                     "TargetDualISDN=false", "TargetLAN=true", "Target256KDSLCableModem=false",
                     "Target384KDSLCableModem=true", "Target512KDSLCableModem=false"}));
    s = settings::TSettings{};
    s.DualISDN = s.DSLCableModem512K = s.Modem56K = s.DSLCableModem256K = true;
    w = Writes(s);
    EXPECT_EQ(Calls(w.begin() + 2, w.begin() + kFixedWrites),
              (Calls{"Target28KModem=false", "Target56KModem=true", "TargetSingleISDN=false",
                     "TargetDualISDN=true", "TargetLAN=false", "Target256KDSLCableModem=true",
                     "Target384KDSLCableModem=false", "Target512KDSLCableModem=true"}));
}

TEST_F(ApplyEncoderSettingsTest, StreamListsMapIndexToValueAndLeaveOutOfRangeAlone) {
    settings::TSettings s;
    s.filetype = 0;
    for (int k = 0; k <= 3; ++k) {
        s.AudioFormat = k;
        s.VideoQuality = 3 - k;
        EXPECT_EQ(Tail(Writes(s), kFixedWrites),
                  (Calls{"AudioContent=" + std::to_string(k), "InputDoAudio=true",
                         "VideoQuality=" + std::to_string(3 - k), "InputDoVideo=true", "SureStream=false"}));
    }
    s.AudioFormat = 4;
    s.VideoQuality = 4;
    EXPECT_EQ(Tail(Writes(s), kFixedWrites),
              (Calls{"InputDoAudio=false", "InputDoVideo=false", "SureStream=false"}));
    // Nothing chosen, a hand-edited value, an unknown kind: those properties are not touched at all.
    for (int bad : {-1, 5, 1000}) {
        s.AudioFormat = bad;
        s.VideoQuality = bad;
        s.filetype = bad == -1 ? 7 : bad;
        EXPECT_TRUE(Tail(Writes(s), kFixedWrites).empty()) << bad;
    }
}

TEST_F(ApplyEncoderSettingsTest, UnassignedPropertiesKeepTheirEarlierValues) {
    settings::TSettings s;
    s.AudioFormat = 2;
    s.VideoQuality = 4;
    s.filetype = 1;
    Writes(s);
    s.AudioFormat = 4;   // "No Audio": content stays Music
    s.VideoQuality = 2;  // back from "No Video"
    s.filetype = 7;
    Writes(s);
    EXPECT_EQ(producer->Value(DispId::AudioContent), encoder::DispValue(std::int32_t{2}));
    EXPECT_EQ(producer->Value(DispId::InputDoAudio), encoder::DispValue(encoder::kVariantFalse));
    EXPECT_EQ(producer->Value(DispId::VideoQuality), encoder::DispValue(std::int32_t{2}));
    EXPECT_EQ(producer->Value(DispId::InputDoVideo), encoder::DispValue(encoder::kVariantTrue));
    EXPECT_EQ(producer->Value(DispId::SureStream), encoder::DispValue(encoder::kVariantTrue));
}

TEST_F(ApplyEncoderSettingsTest, TextReachesTheEncoderAsUtf16) {
    settings::TSettings s;
    s.TempDirectory = "/tmp/Müller 音/";
    Writes(s);
    EXPECT_EQ(producer->Value(DispId::TempDirectory), encoder::DispValue(std::u16string(u"/tmp/Müller 音/")));
}

TEST_F(ApplyEncoderSettingsTest, ARefusedWriteStopsTheRemainingAssignments) {
    producer->RefuseProperty(DispId::TargetLAN, "Invalid property value");
    settings::TSettings s;
    producer->ClearLog();
    EXPECT_THROW(conversion::ApplyEncoderSettings(*control, s), encoder::ControlError);
    Calls w = producer->Calls();
    ASSERT_EQ(w.size(), 7u);
    EXPECT_EQ(w.back(), "TargetLAN=false");
}

}  // namespace
