#pragma once
#include <array>

#include "encoder/Audiences.h"

namespace settings {

// One row of the Scheme list: single-rate, one audience, an audio format and a video quality.
struct SchemePreset {
    const char* text;
    int audioFormat;   // index into the audio format list
    int videoQuality;  // index into the video quality list
    encoder::Audience audience;
};

inline constexpr int SchemePresetCount = 22;
extern const std::array<SchemePreset, SchemePresetCount> SchemePresets;

// The items of the audio format and video quality lists, in value order.
extern const std::array<const char*, 5> AudioFormatTexts;
extern const std::array<const char*, 5> VideoQualityTexts;

}  // namespace settings
