#pragma once
#include <array>

#include "encoder/Audiences.h"
#include "encoder/StreamChoices.h"

namespace settings {

// One row of the Scheme list: single-rate, one audience, an audio format and a video quality.
struct SchemePreset {
    const char* text;
    encoder::AudioFormat audioFormat;
    encoder::VideoQuality videoQuality;
    encoder::Audience audience;
};

inline constexpr int SchemePresetCount = 22;
extern const std::array<SchemePreset, SchemePresetCount> SchemePresets;

}  // namespace settings
