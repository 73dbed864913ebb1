#pragma once
#include <functional>
#include <string>

namespace extras {

// Where the maker's media-repair tool registers its program file (HKEY_LOCAL_MACHINE, never written here).
inline constexpr const char* MorbeckKey = "\\Software\\Vastrel\\Morbeck";
inline constexpr const char* MorbeckPathValue = "FilePath";

struct FixDecision {
    enum class Action { StartTool, ShowPrompt };
    Action action = Action::ShowPrompt;
    std::string toolPath;  // for StartTool: run exactly as registered
};

// Reads the registry afresh. A registered path that names an existing file starts the tool; no key, no
// value, an empty value, or a path that no longer names a file shows the download prompt instead of
// failing silently. A value that is not a string throws platform::RegistryError.
FixDecision DecideFix();

// The Fix command: starts the tool as a program or calls showPrompt. A registry read error is
// reported in an error box and neither happens.
void RunFixCommand(const std::function<void()>& showPrompt);

}  // namespace extras
