#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace settings {

// The program-wide conversion preferences. Each field bears its data.ini key's name; the keys that begin
// with a digit ("28KModem", "256KDSLCableModem", ...) have a legal identifier here and keep their key.
struct TSettings {
    std::int32_t filetype = 0;       // "filetype": 0 single-rate, 1 SureStream
    bool Modem28K = false;           // "28KModem"
    bool Modem56K = false;           // "56KModem"
    bool SingleISDN = false;         // "SingleISDN"
    bool DualISDN = false;           // "DualISDN"
    bool CorporateLAN = false;       // "CorporateLAN"
    bool DSLCableModem256K = false;  // "256KDSLCableModem"
    bool DSLCableModem384K = false;  // "384KDSLCableModem"
    bool DSLCableModem512K = false;  // "512KDSLCableModem"
    std::int32_t AudioFormat = 0;    // "AudioFormat": 0..4, -1 no choice
    std::int32_t VideoQuality = 0;   // "VideoQuality": 0..4, -1 no choice
    std::string Title;               // "Title"
    std::string Auther;              // "Auther"
    std::string Copyright;           // "Copyright"
    std::string Keywords;            // "Keywords"
    std::string Description;         // "Description"
    std::string TempDirectory;       // "TempDirectory"
    std::int32_t MaxConverFile = 0;  // "MaxConverFile"

    bool operator==(const TSettings&) const = default;
};

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
// Writes the 18 keys to section "option" in save order, replacing the file once.
void SaveSettings(const TSettings& s, const std::string& dataIniPath);

// The two passes of a load and the writes of a save on a store already open; the clip information's
// defaults are those of `clip`.
void ReadClipInformation(TSettings& s, const TIniFile32& ini, const ClipDefaults& clip);
void ReadConversionSettings(TSettings& s, const TIniFile32& ini);
void WriteSettings(const TSettings& s, TIniFile32& ini);
// Adds one to the number in the start counter file when it exists; never creates it.
void IncrementStartCounter(const std::string& counterPath);

}  // namespace settings
