#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Read-only registry stand-in: a REGEDIT4 text hive, "registry.reg" among the per-user files, read afresh
// at every call so that an installer running beside the program is seen at once.
enum class RegRoot { LocalMachine, ClassesRoot, CurrentUser };

struct RegValue {
    enum class Type { Missing, String, Dword, Other };
    Type type = Type::Missing;
    std::string text;  // the string for Type::String
    std::uint32_t dword = 0;
};

// Raised where a caller asks for a string and the value has another type.
class RegistryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The full path of the hive file.
std::string RegistryHivePath();

// Reads one value; an empty name is the key's default value ("@"). Missing file, key or value: Missing.
RegValue RegReadValue(RegRoot root, std::string_view keyPath, std::string_view valueName);

// A string value, or "" when the file, key or value is missing or the value is not a string.
std::string RegReadString(RegRoot root, std::string_view keyPath, std::string_view valueName);

// Like RegReadString, but a value of another type raises RegistryError.
std::string RegReadStringStrict(RegRoot root, std::string_view keyPath, std::string_view valueName);

// Parsing of the hive text, shared with the installer that edits it.
namespace reg {
// "[HKEY_...\path]" lines name keys; root names and paths compare without case; a leading '\' is ignored.
bool ParseKeyLine(std::string_view line, RegRoot& root, std::string& path);
// Any line that opens with "[", understood or not: it ends the key before it.
bool IsKeyLikeLine(std::string_view line);
// Normalised form of a key path for comparison: no leading '\', lower case.
std::string NormaliseKeyPath(std::string_view path);
// A value line: "name"=... or @=...; gives the name ("" for @) and the value.
bool ParseValueLine(std::string_view line, std::string& name, RegValue& value);
std::string RootName(RegRoot root);
// Quotes a string for a value line.
std::string QuoteString(std::string_view text);
// The value as a read of the hive `text` finds it: in any part of the text that opens the key.
RegValue FindValue(std::string_view text, RegRoot root, std::string_view keyPath, std::string_view valueName);
}  // namespace reg

}  // namespace platform
