#include <cstdint>
#include <cstring>

#include "platform/core/Files.h"
#include "platform/core/Paths.h"
#include "settings/IniFiles32.h"
#include "settings/Settings.h"

namespace settings {

TSettings Settings;

namespace {
constexpr const char* Section = "option";
}  // namespace

TSettings DefaultSettings(const ClipDefaults& clip) {
    TSettings s;
    s.filetype = 1;
    s.Modem56K = true;
    s.DSLCableModem256K = true;
    s.AudioFormat = 0;
    s.VideoQuality = 0;
    s.Title = clip.title;
    s.Auther = clip.title;
    s.Copyright = clip.copyright;
    s.Keywords = clip.title;
    s.Description = clip.title;
    s.TempDirectory = DefaultTempDirectory;
    s.MaxConverFile = 200;
    return s;
}

void ReadClipInformation(TSettings& s, const TIniFile32& ini, const ClipDefaults& clip) {
    s.Title = ini.ReadString(Section, "Title", clip.title);
    s.Auther = ini.ReadString(Section, "Auther", clip.title);
    s.Copyright = ini.ReadString(Section, "Copyright", clip.copyright);
    s.Keywords = ini.ReadString(Section, "Keywords", clip.title);
    s.Description = ini.ReadString(Section, "Description", clip.title);
}

void ReadConversionSettings(TSettings& s, const TIniFile32& ini) {
    s.filetype = ini.ReadInteger(Section, "filetype", 1);
    s.Modem28K = ini.ReadBool(Section, "28KModem", false);
    s.Modem56K = ini.ReadBool(Section, "56KModem", true);
    s.SingleISDN = ini.ReadBool(Section, "SingleISDN", false);
    s.DualISDN = ini.ReadBool(Section, "DualISDN", false);
    s.CorporateLAN = ini.ReadBool(Section, "CorporateLAN", false);
    s.DSLCableModem256K = ini.ReadBool(Section, "256KDSLCableModem", true);
    s.DSLCableModem384K = ini.ReadBool(Section, "384KDSLCableModem", false);
    s.DSLCableModem512K = ini.ReadBool(Section, "512KDSLCableModem", false);
    s.AudioFormat = ini.ReadInteger(Section, "AudioFormat", 0);
    s.VideoQuality = ini.ReadInteger(Section, "VideoQuality", 0);
    s.TempDirectory = ini.ReadString(Section, "TempDirectory", DefaultTempDirectory);
    s.MaxConverFile = ini.ReadInteger(Section, "MaxConverFile", 200);
}

void WriteSettings(const TSettings& s, TIniFile32& ini) {
    ini.WriteInteger(Section, "filetype", s.filetype);
    ini.WriteBool(Section, "28KModem", s.Modem28K);
    ini.WriteBool(Section, "56KModem", s.Modem56K);
    ini.WriteBool(Section, "SingleISDN", s.SingleISDN);
    ini.WriteBool(Section, "DualISDN", s.DualISDN);
    ini.WriteBool(Section, "CorporateLAN", s.CorporateLAN);
    ini.WriteBool(Section, "256KDSLCableModem", s.DSLCableModem256K);
    ini.WriteBool(Section, "384KDSLCableModem", s.DSLCableModem384K);
    ini.WriteBool(Section, "512KDSLCableModem", s.DSLCableModem512K);
    ini.WriteInteger(Section, "AudioFormat", s.AudioFormat);
    ini.WriteInteger(Section, "VideoQuality", s.VideoQuality);
    ini.WriteString(Section, "Title", s.Title);
    ini.WriteString(Section, "Auther", s.Auther);
    ini.WriteString(Section, "Copyright", s.Copyright);
    ini.WriteString(Section, "Keywords", s.Keywords);
    ini.WriteString(Section, "Description", s.Description);
    ini.WriteString(Section, "TempDirectory", s.TempDirectory);
    ini.WriteInteger(Section, "MaxConverFile", s.MaxConverFile);
}

void LoadSettings(TSettings& s, const std::string& dataIniPath, const ClipDefaults& defaults) {
    // A save that was killed left its temporary file; this is the first look at data.ini after a start.
    platform::RemoveStaleTemporaryFiles(dataIniPath);
    const bool exists = platform::FileExists(dataIniPath);
    const ClipDefaults clip = exists ? ClipDefaults{} : defaults;
    // Should a store fail to load, the fields keep these defaults rather than half-loaded values.
    s = DefaultSettings(clip);
    ReadClipInformation(s, TIniFile32(dataIniPath), clip);
    ReadConversionSettings(s, TIniFile32(dataIniPath));
}

void SaveSettings(const TSettings& s, const std::string& dataIniPath) {
    // One replacement of the file for all 18 keys: a save cut short leaves the old file or the new one,
    // never a mix of old and new values.
    TIniFile32 ini(dataIniPath);
    ini.AutoSave = false;
    WriteSettings(s, ini);
    ini.Save();
}

void IncrementStartCounter(const std::string& counterPath) {
    if (!platform::FileExists(counterPath))
        return;
    platform::RemoveStaleTemporaryFiles(counterPath);
    // The counter reports the system's input/output error alone, without the INI store's wording.
    std::string text;
    try {
        text = platform::ReadFileBytes(counterPath);
    } catch (const EFileError& e) {
        throw EInOutError(std::strerror(e.Error));
    }
    // One number: leading blanks and line ends skipped, then the run up to the next blank or control
    // character, at most 32 characters.
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ')
        ++start;
    size_t end = start;
    while (end < text.size() && end - start < 32 && static_cast<unsigned char>(text[end]) > ' ')
        ++end;
    std::int32_t count = 0;
    if (end > start) {
        auto parsed = ParseInt32(std::string_view(text).substr(start, end - start));
        if (!parsed)
            throw EInOutError("Invalid numeric input");
        count = *parsed;
    }
    // A counter at the top of the range stays there instead of turning negative.
    if (count < INT32_MAX)
        ++count;
    try {
        platform::WriteFileAtomically(counterPath, std::to_string(count));
    } catch (const EFileError& e) {
        throw EInOutError(std::strerror(e.Error));
    }
}

}  // namespace settings
