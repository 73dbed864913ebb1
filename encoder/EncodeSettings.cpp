#include "encoder/EncodeSettings.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "encoder/EncodeError.h"
#include "encoder/cook/CookEncoder.h"
#include "encoder/rm/Packetizer.h"

namespace encoder {
namespace {

// The items of the Audio Format and Video Quality lists the encoder codes, the control's values 0 to 3;
// the last item of each switches its stream off before a plan is made.
constexpr int kEncodedChoices = kStreamChoiceCount - 1;
static_assert(kAudioFormats[kEncodedChoices].controlValue == kStreamOff &&
              kVideoQualities[kEncodedChoices].controlValue == kStreamOff);

constexpr AudioPlan Ra144{AudioCodec::Ra144, 8000, 1, 8000};
constexpr AudioPlan Ac3(int kbps, int sampleRate, int channels) {
    return AudioPlan{AudioCodec::Ac3, sampleRate, channels, kbps * 1000};
}
constexpr AudioPlan Cook(int kbps, int sampleRate, int channels) {
    return AudioPlan{AudioCodec::Cook, sampleRate, channels, kbps * 1000};
}

struct AudienceRow {
    int budgetKbps;                                    // total for audio, video and the container
    std::array<AudioPlan, kEncodedChoices> audio;      // by AudioContent: voice, voice+music, music, stereo
    int maxWidth, maxHeight;                           // frame size bound
    std::array<int, kEncodedChoices> framesPerSecond;  // by VideoQuality: normal, smoothest, sharpest, slides
};

// The settings mapping. Audio first takes what its content needs. Voice goes through 14.4 (8 kbit/s,
// 8 kHz mono, a voice codec) wherever AC-3's 32 kbit/s minimum would starve the picture, AC-3 once the
// budget allows. Music goes through cook, a transform codec made for it, where it sounds better than the
// codec the audience had at the same rate or less (bench_music on recorded music, log-spectral distance
// against the source: 18.4 dB against 14.4's 18.8 at 8 kbit/s, 10.3 against AC-3's 17.6 at 32, 4.8
// against 9.3 at 64 mono, 5.0 at 96 stereo against 7.2 for AC-3 at 128), and AC-3 keeps the rates cook
// does not reach (96 kbit/s mono, 160 stereo). Voice with background music takes cook where it replaces
// 14.4 and keeps AC-3, which holds the voice band closer, above. Video gets the rest of the budget (less
// the container's packet headers and a safety margin for the rate control). The video quality column
// trades frames per second against bits per frame: smoothest shows more, smaller-quality frames,
// sharpest fewer and better ones, slide show one frame a second. A source with fewer frames per second
// keeps its own rate.
// TargetDSLCableModem (the generic DSL/cable target) counts as the 256K DSL audience.
// clang-format off
constexpr std::array<AudienceRow, kAudienceCount> kAudiences{{
//  kbit/s audio by content: voice, voice+music, music, stereo music          frame max  fps by quality   Audience
    { 20, {Ra144,             Cook(8, 11025, 1), Cook(8, 11025, 1),  Cook(8, 11025, 1)},   160, 120, {6, 10, 3, 1}},    // Modem28K
    { 34, {Ra144,             Cook(8, 11025, 1), Cook(8, 11025, 1),  Cook(8, 11025, 1)},   176, 144, {8, 12, 4, 1}},    // Modem56K
    { 45, {Ra144,             Cook(8, 11025, 1), Cook(8, 11025, 1),  Cook(8, 11025, 1)},   192, 144, {10, 15, 5, 1}},   // SingleISDN
    { 80, {Ra144,             Ac3(32, 32000, 1), Cook(32, 44100, 1), Cook(32, 44100, 2)},  240, 180, {12, 15, 6, 1}},   // DualISDN
    {150, {Ra144,             Ac3(32, 32000, 1), Cook(48, 44100, 1), Cook(64, 44100, 2)},  320, 240, {15, 20, 8, 1}},   // LAN
    {225, {Ac3(32, 32000, 1), Ac3(48, 32000, 1), Cook(64, 44100, 1), Cook(96, 44100, 2)},  320, 240, {15, 25, 8, 1}},   // DSL256K
    {350, {Ac3(32, 32000, 1), Ac3(64, 44100, 1), Ac3(96, 44100, 1),  Cook(96, 44100, 2)},  480, 360, {20, 30, 10, 1}},  // DSL384K
    {450, {Ac3(48, 32000, 1), Ac3(64, 44100, 1), Ac3(96, 44100, 1),  Ac3(160, 44100, 2)},  640, 480, {25, 30, 12, 1}},  // DSL512K
}};
// clang-format on

// Share of the video's part of the budget the rate control aims at; it overshoots on short clips and
// at scene changes.
constexpr double kVideoRateMargin = 0.85;
// Bytes of a RealMedia packet header, and of the picture header a video packet adds to it.
constexpr int kPacketHeaderBytes = 12;
constexpr int kVideoPacketHeaderBytes = 2;
// The writer groups audio frames into packets of about this many bytes.
constexpr int kAudioPacketBytes = 640;
// Index entries, file headers: a little more per second, whatever the streams.
constexpr int kFileOverheadBits = 800;
// Keyframes are where a player can start after a seek (MPlayer lands on the one before the target), so
// they come as close as the bits allow: a keyframe costs several pictures, so about every
// kKeyFramePictures pictures, but no further apart than kMaxKeyFrameSeconds (a seek lands at most that
// early) and no closer than kMinKeyFrameSeconds. 2 s at 25 fps, 3.2 s at 15 fps, 5 s at 8 fps.
constexpr int kKeyFramePictures = 48;
constexpr double kMinKeyFrameSeconds = 2;
constexpr double kMaxKeyFrameSeconds = 5;

int AudioOverhead(const AudioPlan& audio) {
    int packetsPerSecond = audio.bitRate / 8 / kAudioPacketBytes + 1;
    // Cook's packets are as long as the writer's interleaving makes them.
    if (const cook::Flavor* f = audio.codec == AudioCodec::Cook
                                    ? cook::FindFlavor(audio.sampleRate, audio.channels, audio.bitRate)
                                    : nullptr) {
        const rm::CookInterleave shape = rm::CookInterleaveFor(static_cast<std::uint32_t>(f->frameSamples),
                                                               static_cast<std::uint32_t>(f->sampleRate),
                                                               static_cast<std::uint32_t>(f->frameBytes));
        packetsPerSecond = static_cast<int>(
            std::ceil(static_cast<double>(f->sampleRate) / (f->frameSamples * shape.framesPerPacket)));
    }
    return packetsPerSecond * kPacketHeaderBytes * 8;
}

int VideoOverhead(int framesPerSecond) {
    return framesPerSecond * (kPacketHeaderBytes + kVideoPacketHeaderBytes) * 8;
}

int KeyFrameInterval(int framesPerSecond) {
    return static_cast<int>(std::lround(std::clamp<double>(
        kKeyFramePictures, kMinKeyFrameSeconds * framesPerSecond, kMaxKeyFrameSeconds * framesPerSecond)));
}

}  // namespace

int ContainerOverhead(const StreamPlan& plan) {
    return kFileOverheadBits + (plan.hasAudio ? AudioOverhead(plan.audio) : 0) +
           (plan.hasVideo ? VideoOverhead(plan.video.framesPerSecond) : 0);
}

VideoPlan AtFrameRate(VideoPlan plan, int framesPerSecond) {
    framesPerSecond = std::max(1, framesPerSecond);
    plan.bitRate += static_cast<int>(std::lround(
        (VideoOverhead(plan.framesPerSecond) - VideoOverhead(framesPerSecond)) * kVideoRateMargin));
    plan.framesPerSecond = framesPerSecond;
    plan.keyFrameInterval = KeyFrameInterval(framesPerSecond);
    return plan;
}

std::pair<int, int> FitFrameSize(int width, int height, double sampleAspect, int maxWidth, int maxHeight) {
    if (!(sampleAspect > 0))
        sampleAspect = 1.0;
    const double displayWidth = width * sampleAspect;
    const double displayHeight = height;
    double scale = std::min({1.0, maxWidth / displayWidth, maxHeight / displayHeight});
    // A source narrower than its pixels are wide still never grows past its stored width.
    if (displayWidth * scale > std::max(width, 4))
        scale = std::max(width, 4) / displayWidth;
    auto round4 = [](double v) { return std::max(16, static_cast<int>(v) / 4 * 4); };
    return {std::min(round4(displayWidth * scale), maxWidth),
            std::min(round4(displayHeight * scale), maxHeight)};
}

std::vector<StreamPlan> PlanEncode(const EncodeChoice& choice, const SourceShape& source,
                                   const std::string& sourceName) {
    std::vector<int> selected;
    for (int i = 0; i < kAudienceCount; ++i)
        if (choice.targets[static_cast<size_t>(i)])
            selected.push_back(i);
    if (selected.empty())
        throw EncodeError("No target audience is selected. Choose at least one audience to encode for.");
    const bool audio = choice.doAudio && source.hasAudio;
    const bool video = choice.doVideo && source.hasVideo;
    if (!audio && !video) {
        if (!source.hasAudio && !source.hasVideo)
            throw EncodeError("The source file " + sourceName + " holds neither audio nor video.");
        if (!source.hasVideo)
            throw EncodeError("Nothing is left to encode: the source file " + sourceName +
                              " holds only audio, and audio is switched off.");
        if (!source.hasAudio)
            throw EncodeError("Nothing is left to encode: the source file " + sourceName +
                              " holds only video, and video is switched off.");
        throw EncodeError("Nothing is left to encode: both audio and video are switched off.");
    }
    if (!choice.sureStream || selected.size() == 1)
        selected.erase(selected.begin(), selected.end() - 1);

    const int content = std::clamp(choice.audioContent, 0, kEncodedChoices - 1);
    const int quality = std::clamp(choice.videoQuality, 0, kEncodedChoices - 1);
    std::vector<StreamPlan> plans;
    for (int index : selected) {
        const AudienceRow& row = kAudiences[static_cast<size_t>(index)];
        StreamPlan plan;
        plan.audience = static_cast<Audience>(index);
        plan.budget = static_cast<std::uint32_t>(row.budgetKbps) * 1000;
        plan.hasAudio = audio;
        plan.hasVideo = video;
        int left = static_cast<int>(plan.budget) - kFileOverheadBits;
        if (audio) {
            plan.audio = row.audio[static_cast<size_t>(content)];
            left -= plan.audio.bitRate + AudioOverhead(plan.audio);
        }
        if (video) {
            VideoPlan& v = plan.video;
            // A portrait picture gets the audience's frame turned upright: as many pixels, the same bits.
            const bool portrait =
                source.height > source.width * (source.sampleAspect > 0 ? source.sampleAspect : 1.0);
            std::tie(v.width, v.height) = portrait
                                              ? FitFrameSize(source.width, source.height, source.sampleAspect,
                                                             row.maxHeight, row.maxWidth)
                                              : FitFrameSize(source.width, source.height, source.sampleAspect,
                                                             row.maxWidth, row.maxHeight);
            v.framesPerSecond = row.framesPerSecond[static_cast<size_t>(quality)];
            if (source.framesPerSecond > 0)
                v.framesPerSecond =
                    std::clamp(static_cast<int>(std::lround(source.framesPerSecond)), 1, v.framesPerSecond);
            left -= VideoOverhead(v.framesPerSecond);
            v.bitRate = std::max(2000, static_cast<int>(left * kVideoRateMargin));
            v.keyFrameInterval = KeyFrameInterval(v.framesPerSecond);
        }
        plans.push_back(plan);
    }
    return plans;
}

std::string AudienceName(Audience audience) {
    return TargetAudienceOf(audience).caption;
}

std::string AudioContentName(int audioContent) {
    return kAudioFormats[static_cast<std::size_t>(std::clamp(audioContent, 0, kEncodedChoices - 1))].caption;
}

std::string VideoQualityName(int videoQuality) {
    return kVideoQualities[static_cast<std::size_t>(std::clamp(videoQuality, 0, kEncodedChoices - 1))]
        .caption;
}

}  // namespace encoder
