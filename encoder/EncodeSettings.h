#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/Audiences.h"
#include "encoder/StreamChoices.h"

namespace encoder {

enum class AudioCodec { Ra144, Ac3, Cook };

struct AudioPlan {
    AudioCodec codec = AudioCodec::Ra144;
    int sampleRate = 8000;
    int channels = 1;
    int bitRate = 8000;  // bits per second of the codec's frames

    bool operator==(const AudioPlan&) const = default;
};

struct VideoPlan {
    int width = 0;
    int height = 0;
    int framesPerSecond = 0;
    int bitRate = 0;           // what the rate control aims at, bits per second
    int keyFrameInterval = 0;  // in frames

    bool operator==(const VideoPlan&) const = default;
};

// What one audience's streams look like.
struct StreamPlan {
    Audience audience = Audience::Modem28K;
    std::uint32_t budget = 0;  // the audience's total budget, bits per second
    bool hasAudio = false;
    bool hasVideo = false;
    AudioPlan audio;
    VideoPlan video;
};

// The encoder settings as the control's properties give them.
struct EncodeChoice {
    std::array<bool, kAudienceCount> targets{};  // indexed by Audience
    int audioContent = 0;                        // a control value of kAudioFormats
    int videoQuality = 0;                        // a control value of kVideoQualities
    bool doAudio = true;
    bool doVideo = true;
    bool sureStream = false;
};

// What the source offers; the picture as it is shown, turned upright as its display matrix says.
struct SourceShape {
    bool hasAudio = false;
    bool hasVideo = false;
    int width = 0;
    int height = 0;
    double sampleAspect = 1.0;   // pixel aspect ratio, 1 for square pixels
    double framesPerSecond = 0;  // 0 when unknown
};

// One plan per audience to encode: the highest selected audience for a single-rate file, every
// selected audience (slowest first) for SureStream. Throws EncodeError when no audience is selected or
// nothing is left to encode.
std::vector<StreamPlan> PlanEncode(const EncodeChoice& choice, const SourceShape& source,
                                   const std::string& sourceName);

// The output frame size for a source frame within a bounding box: the source's display aspect ratio,
// multiples of 4, never larger than the source (nor than the box).
std::pair<int, int> FitFrameSize(int width, int height, double sampleAspect, int maxWidth, int maxHeight);

// Bits per second the container spends beside the codecs' frames (packet headers, index, file headers).
int ContainerOverhead(const StreamPlan& plan);

// `plan` at a lower frame rate: what the fewer packet headers leave goes to the pictures, and keyframes
// come as the rule for that rate has them.
VideoPlan AtFrameRate(VideoPlan plan, int framesPerSecond);

// Names for the file's information header.
std::string AudienceName(Audience audience);
std::string AudioContentName(int audioContent);
std::string VideoQualityName(int videoQuality);

}  // namespace encoder
