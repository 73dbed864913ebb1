// The registry hive's reader and the installer's edits of it, with any hive text. The input is the hive,
// optionally followed by a 0x1E byte, one byte choosing the value to set, and the text to set it to.
// Setting a value must make it read back as set and leave every other value as it was; deleting it must
// make it missing and again leave the others.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/EncoderRegistration.h"
#include "platform/RegistryEdit.h"

using namespace platform;

namespace {

struct Probe {
    RegRoot root;
    const char* keyPath;
    const char* valueName;
};

// The values the program reads, and a few others a hive may hold.
const Probe Probes[] = {
    {EncoderValues[0].root, EncoderValues[0].keyPath, EncoderValues[0].valueName},
    {EncoderValues[1].root, EncoderValues[1].keyPath, EncoderValues[1].valueName},
    {EncoderValues[2].root, EncoderValues[2].keyPath, EncoderValues[2].valueName},
    {EncoderValues[3].root, EncoderValues[3].keyPath, EncoderValues[3].valueName},
    {RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
     "Desktop"},
    {RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
     "Programs"},
    {RegRoot::LocalMachine, "\\Software\\Vastrel\\Morbeck", "FilePath"},
    {RegRoot::CurrentUser, "a", ""},
    {RegRoot::ClassesRoot, "a\\b", "x"},
};
constexpr size_t ProbeCount = std::size(Probes);

bool Same(const RegValue& a, const RegValue& b) {
    return a.type == b.type && a.text == b.text && a.dword == b.dword;
}

RegValue Find(std::string_view text, const Probe& p) {
    return reg::FindValue(text, p.root, p.keyPath, p.valueName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\x1e');
    const std::string hive(input.substr(0, cut));
    RegValue before[ProbeCount];
    for (size_t i = 0; i < ProbeCount; ++i)
        before[i] = Find(hive, Probes[i]);
    if (cut == std::string_view::npos || cut + 1 >= input.size())
        return 0;

    const size_t chosen = static_cast<unsigned char>(input[cut + 1]) % ProbeCount;
    const Probe& target = Probes[chosen];
    const std::string value(input.substr(cut + 2));
    std::string set;
    try {
        set = reg::SetStringValue(hive, target.root, target.keyPath, target.valueName, value);
    } catch (const RegistryError&) {
        FuzzCheck(value.find_first_of("\r\n") != std::string::npos,
                  "only a value with a line break is refused");
        return 0;
    }
    const RegValue read = Find(set, target);
    FuzzCheck(read.type == RegValue::Type::String && read.text == value, "a value set reads back as set");
    const std::string deleted = reg::DeleteValue(set, target.root, target.keyPath, target.valueName);
    FuzzCheck(Find(deleted, target).type == RegValue::Type::Missing, "a deleted value is missing");
    for (size_t i = 0; i < ProbeCount; ++i) {
        if (i == chosen)
            continue;
        FuzzCheck(Same(Find(set, Probes[i]), before[i]), "setting a value leaves the others");
        FuzzCheck(Same(Find(deleted, Probes[i]), before[i]), "deleting a value leaves the others");
    }
    return 0;
}
