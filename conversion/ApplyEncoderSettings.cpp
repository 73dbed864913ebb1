#include "conversion/ApplyEncoderSettings.h"

#include "encoder/Audiences.h"
#include "encoder/StreamChoices.h"

namespace conversion {
namespace {

// An item of the Audio Format or Video Quality list: its control value with the stream on, or the stream
// off with the value left alone. A value outside the list (data.ini's -1, "no choice") changes nothing.
template <typename SetContent, typename SetEnabled>
void ApplyStreamChoice(const std::array<encoder::StreamChoice, encoder::kStreamChoiceCount>& list,
                       std::int32_t item, SetContent setContent, SetEnabled setEnabled) {
    const encoder::StreamChoice* choice = encoder::StreamChoiceAt(list, item);
    if (choice == nullptr)
        return;
    if (choice->controlValue == encoder::kStreamOff) {
        setEnabled(false);
        return;
    }
    setContent(choice->controlValue);
    setEnabled(true);
}

}  // namespace

void ApplyEncoderSettings(TProducerControl& control, const settings::TSettings& s) {
    control.setTempDirectory(s.TempDirectory);
    control.setInputType(0);
    for (std::size_t i = 0; i < encoder::kTargetAudiences.size(); ++i)
        control.SetBool(encoder::kTargetAudiences[i].property, s.*settings::AudienceFlags[i]);
    ApplyStreamChoice(
        encoder::kAudioFormats, s.AudioFormat, [&](std::int32_t v) { control.setAudioContent(v); },
        [&](bool on) { control.setInputDoAudio(on); });
    ApplyStreamChoice(
        encoder::kVideoQualities, s.VideoQuality, [&](std::int32_t v) { control.setVideoQuality(v); },
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
