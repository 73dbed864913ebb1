#pragma once
#include <array>
#include <cstddef>

#include "encoder/Dispatch.h"

namespace encoder {

// The eight target audiences, slowest first: the order of Preferences' check boxes, of their data.ini keys,
// of the settings applied to the encoder and of a SureStream file's streams.
enum class Audience { Modem28K, Modem56K, SingleISDN, DualISDN, LAN, DSL256K, DSL384K, DSL512K };
inline constexpr int kAudienceCount = 8;

// Every name one audience goes by. Adding an audience touches, besides a value of Audience and a row here:
//  - encoder/Dispatch.h: the dispatch id of the control's property that selects it;
//  - encoder/BuiltinEncoder.cpp: that property in the control's property list (off until set);
//  - encoder/EncodeSettings.cpp: its row in the encoder's plans (budget, audio, frame size, frame rates);
//  - settings/Settings.h: its flag in TSettings and in AudienceFlags (Settings.cpp's OnByDefault says
//    whether a fresh installation aims at it).
// Preferences' check boxes, the data.ini keys, quenzor-convert's names and help, the settings applied to
// the encoder and the file's information follow the table.
struct TargetAudience {
    const char* iniKey;           // its flag's key in data.ini's section "option"
    const char* commandLineName;  // quenzor-convert --audience
    const char* caption;          // Preferences' check box, quenzor-convert --help, a file's information
    DispId property;              // the encoder control's property that selects it
};

// In Audience order.
inline constexpr std::array<TargetAudience, kAudienceCount> kTargetAudiences{{
    {"28KModem", "28k", "28K Modem", DispId::Target28KModem},
    {"56KModem", "56k", "56K Modem", DispId::Target56KModem},
    {"SingleISDN", "single-isdn", "Single ISDN", DispId::TargetSingleISDN},
    {"DualISDN", "dual-isdn", "Dual ISDN", DispId::TargetDualISDN},
    {"CorporateLAN", "lan", "Corporate LAN", DispId::TargetLAN},
    {"256KDSLCableModem", "256k", "256K DSL/Cable Modem", DispId::Target256KDSLCableModem},
    {"384KDSLCableModem", "384k", "384K DSL/Cable Modem", DispId::Target384KDSLCableModem},
    {"512KDSLCableModem", "512k", "512K DSL/Cable Modem", DispId::Target512KDSLCableModem},
}};

constexpr const TargetAudience& TargetAudienceOf(Audience audience) {
    return kTargetAudiences[static_cast<std::size_t>(audience)];
}

}  // namespace encoder
