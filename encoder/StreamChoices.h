#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace encoder {

// The Audio Format and Video Quality lists. An item's value is its place in its list: the value data.ini's
// AudioFormat and VideoQuality keep, the Scheme presets name and Preferences' lists show. The first four
// items are also the value of the encoder control's AudioContent or VideoQuality property; the last one
// leaves that property alone and switches the stream off instead. Adding an item means a row here and, for
// one the encoder encodes, a column in the encoder's per-audience plans (EncodeSettings.cpp); the window,
// quenzor-convert and the file's information follow the table.
enum class AudioFormat { VoiceOnly, VoiceWithMusic, Music, StereoMusic, NoAudio };
enum class VideoQuality { NormalMotion, SmoothestMotion, SharpestImage, SlideShow, NoVideo };
inline constexpr int kStreamChoiceCount = 5;

// The control's value of an item that switches its stream off rather than choosing how to encode it.
inline constexpr std::int32_t kStreamOff = -1;

struct StreamChoice {
    const char* commandLineName;  // quenzor-convert --audio, --video
    const char* caption;          // Preferences' list, quenzor-convert --help, a file's information
    std::int32_t controlValue;    // the control's AudioContent or VideoQuality, or kStreamOff
};

// In AudioFormat order. The slow audiences code every kind as 14.4 voice; the faster ones give music more
// bits than voice, and stereo music both channels.
inline constexpr std::array<StreamChoice, kStreamChoiceCount> kAudioFormats{{
    {"voice", "Voice Only", 0},
    {"voice-music", "Voice with Background Music", 1},
    {"music", "Music", 2},
    {"stereo-music", "Stereo Music", 3},
    {"none", "No Audio", kStreamOff},
}};

// In VideoQuality order. They trade frames a second against bits a frame: smoothest motion shows the
// most frames, sharpest image fewer and better ones, a slide show one a second.
inline constexpr std::array<StreamChoice, kStreamChoiceCount> kVideoQualities{{
    {"normal", "Normal Motion Video", 0},
    {"smoothest", "Smoothest Motion Video", 1},
    {"sharpest", "Sharpest Image Video", 2},
    {"slide-show", "Slide Show", 3},
    {"none", "No Video", kStreamOff},
}};

// A list's item by its value; null for a value outside the list (data.ini's -1, "no choice", among them).
constexpr const StreamChoice* StreamChoiceAt(const std::array<StreamChoice, kStreamChoiceCount>& list,
                                             int value) {
    return value >= 0 && value < kStreamChoiceCount ? &list[static_cast<std::size_t>(value)] : nullptr;
}

constexpr const StreamChoice& StreamChoiceOf(AudioFormat format) {
    return kAudioFormats[static_cast<std::size_t>(format)];
}
constexpr const StreamChoice& StreamChoiceOf(VideoQuality quality) {
    return kVideoQualities[static_cast<std::size_t>(quality)];
}

}  // namespace encoder
