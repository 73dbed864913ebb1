#include "settings/Settings.h"

namespace settings {

TSettings Settings;

// Placeholders until the INI store lands.
void LoadSettings(TSettings&, const std::string&, const ClipDefaults&) {}
void SaveSettings(const TSettings&, const std::string&) {}
void IncrementStartCounter(const std::string&) {}

}  // namespace settings
