#include "platform/Registry.h"

#include <algorithm>

#include "platform/ProgramDir.h"
#include "platform/core/Files.h"
#include "platform/core/TextLines.h"

namespace platform {
namespace reg {
namespace {
// ASCII only, whatever the locale: the installer's edits compare names the same way.
std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

// Reads a quoted string starting at s[0] == '"'; advances pos past the closing quote.
bool ReadQuoted(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '\\' && pos < s.size()) {
            out += s[pos++];
        } else if (c == '"') {
            return true;
        } else {
            out += c;
        }
    }
    return false;
}
}  // namespace

std::string RootName(RegRoot root) {
    switch (root) {
        case RegRoot::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RegRoot::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RegRoot::CurrentUser:
            return "HKEY_CURRENT_USER";
    }
    return {};
}

std::string NormaliseKeyPath(std::string_view path) {
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return Lower(path);
}

bool IsKeyLikeLine(std::string_view line) {
    line = TrimControls(line);
    return !line.empty() && line.front() == '[';
}

bool ParseKeyLine(std::string_view line, RegRoot& root, std::string& path) {
    line = TrimControls(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return false;
    std::string_view inner = line.substr(1, line.size() - 2);
    auto slash = inner.find('\\');
    std::string rootName = Lower(inner.substr(0, slash));
    if (rootName == "hkey_local_machine" || rootName == "hklm") {
        root = RegRoot::LocalMachine;
    } else if (rootName == "hkey_classes_root" || rootName == "hkcr") {
        root = RegRoot::ClassesRoot;
    } else if (rootName == "hkey_current_user" || rootName == "hkcu") {
        root = RegRoot::CurrentUser;
    } else {
        return false;
    }
    path = slash == std::string_view::npos ? std::string() : NormaliseKeyPath(inner.substr(slash + 1));
    return true;
}

bool ParseValueLine(std::string_view line, std::string& name, RegValue& value) {
    line = TrimControls(line);
    size_t pos = 0;
    if (line.empty())
        return false;
    if (line[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, pos, name)) {
        return false;
    }
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    std::string_view rest = line.substr(pos);
    value = RegValue{};
    if (!rest.empty() && rest[0] == '"') {
        size_t p = 0;
        if (!ReadQuoted(rest, p, value.text))
            return false;
        value.type = RegValue::Type::String;
        return true;
    }
    if (Lower(rest.substr(0, 6)) == "dword:") {
        std::string digits(rest.substr(6));
        try {
            size_t used = 0;
            unsigned long v = std::stoul(digits, &used, 16);
            if (used != digits.size() || v > 0xFFFFFFFFul)
                return false;
            value.dword = static_cast<std::uint32_t>(v);
        } catch (...) {
            return false;
        }
        value.type = RegValue::Type::Dword;
        return true;
    }
    value.type = RegValue::Type::Other;  // hex:, hex(2): and the like
    return true;
}

RegValue FindValue(std::string_view text, RegRoot root, std::string_view keyPath,
                   std::string_view valueName) {
    const std::string wantedKey = NormaliseKeyPath(keyPath);
    const std::string wantedName = Lower(valueName);
    bool inKey = false;
    for (const std::string& line : SplitTextLines(text)) {
        RegRoot lineRoot;
        std::string path;
        if (ParseKeyLine(line, lineRoot, path)) {
            inKey = lineRoot == root && path == wantedKey;
            continue;
        }
        // A bracketed line this reader does not understand ("[-HKEY_...]", an unknown root) still ends the
        // key before it: its values must not be taken for that key's.
        if (IsKeyLikeLine(line)) {
            inKey = false;
            continue;
        }
        if (!inKey)
            continue;
        std::string name;
        RegValue value;
        if (ParseValueLine(line, name, value) && Lower(name) == wantedName)
            return value;
    }
    return {};
}

std::string QuoteString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace reg

std::string RegistryHivePath() {
    return UserFilesDirectory() + "registry.reg";
}

RegValue RegReadValue(RegRoot root, std::string_view keyPath, std::string_view valueName) {
    // Read as a plain file only: a pipe or a device in the hive's place must not hang the program.
    std::string text;
    try {
        text = ReadFileBytes(RegistryHivePath());
    } catch (const EFileError&) {
        return {};  // a hive that cannot be read holds no values
    }
    return reg::FindValue(text, root, keyPath, valueName);
}

std::string RegReadString(RegRoot root, std::string_view keyPath, std::string_view valueName) {
    RegValue v = RegReadValue(root, keyPath, valueName);
    return v.type == RegValue::Type::String ? v.text : std::string();
}

std::string RegReadStringStrict(RegRoot root, std::string_view keyPath, std::string_view valueName) {
    RegValue v = RegReadValue(root, keyPath, valueName);
    if (v.type == RegValue::Type::Dword || v.type == RegValue::Type::Other) {
        throw RegistryError("Invalid data type for '" + std::string(valueName) + "'");
    }
    return v.text;
}

}  // namespace platform
