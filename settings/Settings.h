#pragma once
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "encoder/Audiences.h"

namespace settings {

// The program-wide conversion preferences. Each field bears its data.ini key's name, but for the
// audiences' flags: their keys, some beginning with a digit, are in encoder/Audiences.h.
struct TSettings {
    std::int32_t filetype = 0;  // 0 single-rate, 1 SureStream
    bool Modem28K = false;
    bool Modem56K = false;
    bool SingleISDN = false;
    bool DualISDN = false;
    bool CorporateLAN = false;
    bool DSLCableModem256K = false;
    bool DSLCableModem384K = false;
    bool DSLCableModem512K = false;
    std::int32_t AudioFormat = 0;   // an item of encoder::kAudioFormats, -1 no choice
    std::int32_t VideoQuality = 0;  // an item of encoder::kVideoQualities, -1 no choice
    std::string Title;
    std::string Auther;
    std::string Copyright;
    std::string Keywords;
    std::string Description;
    std::string TempDirectory;
    std::int32_t MaxConverFile = 0;

    bool operator==(const TSettings&) const = default;
};

// Each audience's flag in the record, in encoder::Audience order.
inline constexpr std::array<bool TSettings::*, encoder::kAudienceCount> AudienceFlags{
    &TSettings::Modem28K,          &TSettings::Modem56K,         &TSettings::SingleISDN,
    &TSettings::DualISDN,          &TSettings::CorporateLAN,     &TSettings::DSLCableModem256K,
    &TSettings::DSLCableModem384K, &TSettings::DSLCableModem512K};

// The one settings record of the program.
extern TSettings Settings;

// Clip-information defaults used when data.ini does not exist at all.
struct ClipDefaults {
    std::string title;  // also Auther, Keywords and Description
    std::string copyright;
};

// The encoder's temporary directory until the user picks one: the system's scratch folder.
inline constexpr const char* DefaultTempDirectory = "/tmp/";

// The settings a missing data.ini gives: the clip information from `clip`, everything else fixed.
TSettings DefaultSettings(const ClipDefaults& clip);

// An input/output error of the start counter file; the text is the system's reason, or
// "Invalid numeric input" for a counter that is not a number.
class EInOutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TIniFile32;

// Fills `s` from the INI file at `dataIniPath` (two passes, clip information first). Removes first what
// saves killed earlier left beside the file.
void LoadSettings(TSettings& s, const std::string& dataIniPath, const ClipDefaults& defaults);
// Writes every key of section "option" (filetype, one per audience, the lists, the clip information, the
// temporary directory, the file limit) in save order, replacing the file once.
void SaveSettings(const TSettings& s, const std::string& dataIniPath);

// The two passes of a load and the writes of a save on a store already open; the clip information's
// defaults are those of `clip`.
void ReadClipInformation(TSettings& s, const TIniFile32& ini, const ClipDefaults& clip);
void ReadConversionSettings(TSettings& s, const TIniFile32& ini);
void WriteSettings(const TSettings& s, TIniFile32& ini);
// Adds one to the number in the start counter file when it exists; never creates it.
void IncrementStartCounter(const std::string& counterPath);

}  // namespace settings
