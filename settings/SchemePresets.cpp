#include "settings/SchemePresets.h"

namespace settings {

using encoder::Audience;

// Audio: 0 Voice Only, 1 Voice with Background Music, 2 Music, 3 Stereo Music, 4 No Audio.
// Video: 0 Normal Motion, 1 Smoothest Motion, 2 Sharpest Image, 3 Slide Show, 4 No Video.
const std::array<SchemePreset, SchemePresetCount> SchemePresets = {{
    {"Audio - Low-Quality Mp3 Music", 2, 4, Audience::Modem28K},
    {"Audio - Normal Mp3 Music", 2, 4, Audience::Modem56K},
    {"Audio - Favor Mp3 Music", 2, 4, Audience::SingleISDN},
    {"Audio - Costful Mp3 Music", 3, 4, Audience::DSL256K},
    {"Audio - Narrowband Online Music", 2, 4, Audience::Modem56K},
    {"Audio - Wideband Online Music", 2, 4, Audience::DSL256K},
    {"Audio - Homepage Online Music", 1, 4, Audience::Modem28K},
    {"Video - Static Image (No Sound)", 4, 3, Audience::Modem28K},
    {"Video - Normal Video, VCD", 2, 1, Audience::SingleISDN},
    {"Video - Costful Video [Normal Motion Video], VCD", 2, 0, Audience::DualISDN},
    {"Video - Costful Video [Smoothest Motion Video], VCD", 2, 1, Audience::DualISDN},
    {"Video - Costful Video [Sharpest Image Video], VCD", 2, 2, Audience::DualISDN},
    {"Video - Normal Video, DVD", 2, 1, Audience::DSL256K},
    {"Video - Costful Video [Normal Motion Video], DVD", 2, 0, Audience::DSL512K},
    {"Video - Costful Video [Smoothest Motion Video], DVD", 2, 1, Audience::DSL512K},
    {"Video - Costful Video [Sharpest Image Video], DVD", 2, 2, Audience::DSL512K},
    {"Video - Low-Quality Video, Homepage Online", 2, 1, Audience::Modem28K},
    {"Video - Low-Quality Video, E-mail", 2, 1, Audience::Modem56K},
    {"Video - Low-Quality Video Online, 56K Modem", 2, 1, Audience::Modem56K},
    {"Video - Middle-Quality Video Online, ISDN Modem", 2, 0, Audience::SingleISDN},
    {"Video - Middle-Quality Video Online, LAN Modem", 2, 0, Audience::LAN},
    {"Video - High-Quality Video Online, DSL/Cable Modem", 2, 0, Audience::DSL256K},
}};

const std::array<const char*, 5> AudioFormatTexts = {"Voice Only", "Voice with Background Music", "Music",
                                                     "Stereo Music", "No Audio"};
const std::array<const char*, 5> VideoQualityTexts = {"Normal Motion Video", "Smoothest Motion Video",
                                                      "Sharpest Image Video", "Slide Show", "No Video"};

}  // namespace settings
