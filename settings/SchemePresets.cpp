#include "settings/SchemePresets.h"

namespace settings {

using encoder::Audience;
using encoder::AudioFormat;
using encoder::VideoQuality;

const std::array<SchemePreset, SchemePresetCount> SchemePresets = {{
    {"Audio - Low-Quality Mp3 Music", AudioFormat::Music, VideoQuality::NoVideo, Audience::Modem28K},
    {"Audio - Normal Mp3 Music", AudioFormat::Music, VideoQuality::NoVideo, Audience::Modem56K},
    {"Audio - Favor Mp3 Music", AudioFormat::Music, VideoQuality::NoVideo, Audience::SingleISDN},
    {"Audio - Costful Mp3 Music", AudioFormat::StereoMusic, VideoQuality::NoVideo, Audience::DSL256K},
    {"Audio - Narrowband Online Music", AudioFormat::Music, VideoQuality::NoVideo, Audience::Modem56K},
    {"Audio - Wideband Online Music", AudioFormat::Music, VideoQuality::NoVideo, Audience::DSL256K},
    {"Audio - Homepage Online Music", AudioFormat::VoiceWithMusic, VideoQuality::NoVideo, Audience::Modem28K},
    {"Video - Static Image (No Sound)", AudioFormat::NoAudio, VideoQuality::SlideShow, Audience::Modem28K},
    {"Video - Normal Video, VCD", AudioFormat::Music, VideoQuality::SmoothestMotion, Audience::SingleISDN},
    {"Video - Costful Video [Normal Motion Video], VCD", AudioFormat::Music, VideoQuality::NormalMotion,
     Audience::DualISDN},
    {"Video - Costful Video [Smoothest Motion Video], VCD", AudioFormat::Music, VideoQuality::SmoothestMotion,
     Audience::DualISDN},
    {"Video - Costful Video [Sharpest Image Video], VCD", AudioFormat::Music, VideoQuality::SharpestImage,
     Audience::DualISDN},
    {"Video - Normal Video, DVD", AudioFormat::Music, VideoQuality::SmoothestMotion, Audience::DSL256K},
    {"Video - Costful Video [Normal Motion Video], DVD", AudioFormat::Music, VideoQuality::NormalMotion,
     Audience::DSL512K},
    {"Video - Costful Video [Smoothest Motion Video], DVD", AudioFormat::Music, VideoQuality::SmoothestMotion,
     Audience::DSL512K},
    {"Video - Costful Video [Sharpest Image Video], DVD", AudioFormat::Music, VideoQuality::SharpestImage,
     Audience::DSL512K},
    {"Video - Low-Quality Video, Homepage Online", AudioFormat::Music, VideoQuality::SmoothestMotion,
     Audience::Modem28K},
    {"Video - Low-Quality Video, E-mail", AudioFormat::Music, VideoQuality::SmoothestMotion,
     Audience::Modem56K},
    {"Video - Low-Quality Video Online, 56K Modem", AudioFormat::Music, VideoQuality::SmoothestMotion,
     Audience::Modem56K},
    {"Video - Middle-Quality Video Online, ISDN Modem", AudioFormat::Music, VideoQuality::NormalMotion,
     Audience::SingleISDN},
    {"Video - Middle-Quality Video Online, LAN Modem", AudioFormat::Music, VideoQuality::NormalMotion,
     Audience::LAN},
    {"Video - High-Quality Video Online, DSL/Cable Modem", AudioFormat::Music, VideoQuality::NormalMotion,
     Audience::DSL256K},
}};

}  // namespace settings
