#include "conversion/ApplyEncoderSettings.h"

#include "encoder/Audiences.h"

namespace conversion {
namespace {

// The audio and video lists share a shape: items 0-3 are the encoder's enumeration values with the
// stream switched on, item 4 switches the stream off and leaves the content value alone.
constexpr std::int32_t kLastContentItem = 3;
constexpr std::int32_t kOffItem = 4;

template <typename SetContent, typename SetEnabled>
void ApplyStreamChoice(std::int32_t item, SetContent setContent, SetEnabled setEnabled) {
    if (item >= 0 && item <= kLastContentItem) {
        setContent(item);
        setEnabled(true);
    } else if (item == kOffItem) {
        setEnabled(false);
    }
}

}  // namespace

void ApplyEncoderSettings(TProducerControl& control, const settings::TSettings& s) {
    control.setTempDirectory(s.TempDirectory);
    control.setInputType(0);
    for (std::size_t i = 0; i < encoder::kTargetAudiences.size(); ++i)
        control.SetBool(encoder::kTargetAudiences[i].property, s.*settings::AudienceFlags[i]);
    ApplyStreamChoice(
        s.AudioFormat, [&](std::int32_t v) { control.setAudioContent(v); },
        [&](bool on) { control.setInputDoAudio(on); });
    ApplyStreamChoice(
        s.VideoQuality, [&](std::int32_t v) { control.setVideoQuality(v); },
        [&](bool on) { control.setInputDoVideo(on); });
    if (s.filetype == 0 || s.filetype == 1)
        control.setSureStream(s.filetype == 1);
}

void ApplyJobProperties(TProducerControl& control, const JobProperties& job) {
    control.setInputFilename(job.source);
    control.setOutputFilename(job.destination);
    control.setTitle(job.title);
    control.setAuthor(job.author);
    control.setCopyright(job.copyright);
    control.setDescription(job.description);
    control.setKeywords(job.keywords);
}

}  // namespace conversion
