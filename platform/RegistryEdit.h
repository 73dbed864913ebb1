#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace platform {

// Edits of the hive's text. Every line they do not need to touch stays exactly as it was, other keys and
// unknown lines included; the text keeps its line ends (CR LF or LF).
namespace reg {
// Sets a string value; the key is added at the end when the hive lacks it. An empty name is the default.
// The hive has no way to write a line break: a key, name or value holding one raises RegistryError.
std::string SetStringValue(const std::string& text, RegRoot root, std::string_view keyPath,
                           std::string_view valueName, std::string_view value);
// Removes a value wherever its key appears; the key itself stays.
std::string DeleteValue(const std::string& text, RegRoot root, std::string_view keyPath,
                        std::string_view valueName);
}  // namespace reg

// Reads the hive file (a missing one is empty), applies `edit`, and replaces the file as one step, so that
// a reader never sees half a file. Raises platform::EFileError when the file cannot be read or written.
void EditRegistryHive(const std::function<std::string(const std::string&)>& edit);

}  // namespace platform
