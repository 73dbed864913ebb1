#include "platform/EncoderRegistration.h"

#include "platform/RegistryEdit.h"
#include "platform/core/Paths.h"

namespace platform {
namespace {
constexpr const char* ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Read(const EncoderRegistryValue& v) {
    return RegReadString(v.root, v.keyPath, v.valueName);
}
}  // namespace

std::string GetDesktopFolder() {
    return RegReadString(RegRoot::CurrentUser, ShellFoldersKey, "Desktop");
}

std::string GetProgramsFolder() {
    return RegReadString(RegRoot::CurrentUser, ShellFoldersKey, "Programs");
}

std::string GetRealProducerPath() {
    return Read(EncoderValues[0]);
}

bool IsEncoderInstalled() {
    // All four are read, in order, even after one is found missing.
    bool complete = true;
    for (const EncoderRegistryValue& v : EncoderValues) {
        if (Read(v).empty())
            complete = false;
    }
    return complete;
}

void RegisterEncoder(const std::string& programDirectory, const std::string& serverPath) {
    EditRegistryHive([&](std::string text) {
        for (size_t i = 0; i < std::size(EncoderValues); ++i) {
            const EncoderRegistryValue& v = EncoderValues[i];
            const std::string& value = i == 0 ? programDirectory : serverPath;
            text = reg::SetStringValue(text, v.root, v.keyPath, v.valueName, value);
        }
        return text;
    });
}

void UnregisterEncoder() {
    if (!FileExists(RegistryHivePath()))
        return;  // nothing registered, and no hive to create
    EditRegistryHive([](std::string text) {
        for (const EncoderRegistryValue& v : EncoderValues) {
            text = reg::DeleteValue(text, v.root, v.keyPath, v.valueName);
        }
        return text;
    });
}

}  // namespace platform
