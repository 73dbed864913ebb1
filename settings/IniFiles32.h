#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Files.h"

namespace settings {

using platform::EFileError;

// The program's own INI file class. The whole file is held as a list of lines and rescanned on every call;
// every write rewrites the file, unless AutoSave is off. The file's bytes are taken as they are: no code
// page conversion, NUL bytes included, so a load followed by a save gives back the bytes that were read
// (with CR LF line ends).
class TIniFile32 {
  public:
    // Loads the file when one exists at the path; a missing file gives an empty store.
    explicit TIniFile32(std::string fileName);
    virtual ~TIniFile32();
    TIniFile32(const TIniFile32&) = delete;
    TIniFile32& operator=(const TIniFile32&) = delete;

    void Load();
    void Save();

    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // A line break (CR LF, CR or LF) in the section, key or value is written as one blank: a value can
    // never start another line, key or section of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    const std::string FileName;
    std::vector<std::string> Lines;
    // Off: writes change Lines only, and one Save afterwards replaces the file once for all of them.
    bool AutoSave = true;

    // Index of the first line that is exactly "[section]" (letter case aside), or -1.
    int FindSection(std::string_view section) const;
    static bool IsSectionLine(std::string_view line);
    // The trimmed text before the first "=" ("" for a line without one), and the trimmed text after it.
    static std::string_view KeyOfLine(std::string_view line);
    static std::string_view ValueOfLine(std::string_view line);
};

// The integer syntax of the INI store and the start counter: optional leading blanks, an optional sign,
// decimal digits, or hexadecimal digits after "$", "x", "X" or "0x". Hexadecimal up to FFFFFFFF is taken
// as its 32-bit two's-complement value; decimal must fit a signed 32-bit integer. Anything else: nullopt.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// Splits file bytes into lines: a line ends at CR, LF or CR LF, and a last line without an end counts. Every
// other byte, NUL included, belongs to its line.
std::vector<std::string> SplitIniText(std::string_view bytes);
// Joins lines with a CR LF after every one, the last included.
std::string JoinIniText(const std::vector<std::string>& lines);

}  // namespace settings
