#pragma once
#include <array>

namespace settings {

// The eight target audiences in the order of their check boxes and Settings fields.
enum Audience {
    aud28KModem,
    aud56KModem,
    audSingleISDN,
    audDualISDN,
    audCorporateLAN,
    aud256KDSL,
    aud384KDSL,
    aud512KDSL,
    AudienceCount
};

// One row of the Scheme list: single-rate, one audience, an audio format and a video quality.
struct SchemePreset {
    const char* text;
    int audioFormat;   // index into the audio format list
    int videoQuality;  // index into the video quality list
    Audience audience;
};

inline constexpr int SchemePresetCount = 22;
extern const std::array<SchemePreset, SchemePresetCount> SchemePresets;

// The items of the audio format and video quality lists, in value order.
extern const std::array<const char*, 5> AudioFormatTexts;
extern const std::array<const char*, 5> VideoQualityTexts;
// The captions of the audience check boxes.
extern const std::array<const char*, AudienceCount> AudienceTexts;

}  // namespace settings
