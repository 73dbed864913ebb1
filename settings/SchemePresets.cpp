#include "settings/SchemePresets.h"

namespace settings {

// Audio: 0 Voice Only, 1 Voice with Background Music, 2 Music, 3 Stereo Music, 4 No Audio.
// Video: 0 Normal Motion, 1 Smoothest Motion, 2 Sharpest Image, 3 Slide Show, 4 No Video.
const std::array<SchemePreset, SchemePresetCount> SchemePresets = {{
    {"Audio - Low-Quality Mp3 Music", 2, 4, aud28KModem},
    {"Audio - Normal Mp3 Music", 2, 4, aud56KModem},
    {"Audio - Favor Mp3 Music", 2, 4, audSingleISDN},
    {"Audio - Costful Mp3 Music", 3, 4, aud256KDSL},
    {"Audio - Narrowband Online Music", 2, 4, aud56KModem},
    {"Audio - Wideband Online Music", 2, 4, aud256KDSL},
    {"Audio - Homepage Online Music", 1, 4, aud28KModem},
    {"Video - Static Image (No Sound)", 4, 3, aud28KModem},
    {"Video - Normal Video, VCD", 2, 1, audSingleISDN},
    {"Video - Costful Video [Normal Motion Video], VCD", 2, 0, audDualISDN},
    {"Video - Costful Video [Smoothest Motion Video], VCD", 2, 1, audDualISDN},
    {"Video - Costful Video [Sharpest Image Video], VCD", 2, 2, audDualISDN},
    {"Video - Normal Video, DVD", 2, 1, aud256KDSL},
    {"Video - Costful Video [Normal Motion Video], DVD", 2, 0, aud512KDSL},
    {"Video - Costful Video [Smoothest Motion Video], DVD", 2, 1, aud512KDSL},
    {"Video - Costful Video [Sharpest Image Video], DVD", 2, 2, aud512KDSL},
    {"Video - Low-Quality Video, Homepage Online", 2, 1, aud28KModem},
    {"Video - Low-Quality Video, E-mail", 2, 1, aud56KModem},
    {"Video - Low-Quality Video Online, 56K Modem", 2, 1, aud56KModem},
    {"Video - Middle-Quality Video Online, ISDN Modem", 2, 0, audSingleISDN},
    {"Video - Middle-Quality Video Online, LAN Modem", 2, 0, audCorporateLAN},
    {"Video - High-Quality Video Online, DSL/Cable Modem", 2, 0, aud256KDSL},
}};

const std::array<const char*, 5> AudioFormatTexts = {"Voice Only", "Voice with Background Music", "Music",
                                                     "Stereo Music", "No Audio"};
const std::array<const char*, 5> VideoQualityTexts = {"Normal Motion Video", "Smoothest Motion Video",
                                                      "Sharpest Image Video", "Slide Show", "No Video"};
const std::array<const char*, AudienceCount> AudienceTexts = {"28K Modem",
                                                              "56K Modem",
                                                              "Single ISDN",
                                                              "Dual ISDN",
                                                              "Corporate LAN",
                                                              "256K DSL/Cable Modem",
                                                              "384K DSL/Cable Modem",
                                                              "512K DSL/Cable Modem"};

}  // namespace settings
