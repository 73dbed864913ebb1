#include "platform/RegistryEdit.h"

#include <optional>
#include <vector>

#include "platform/core/Files.h"
#include "platform/core/Paths.h"
#include "platform/core/TextLines.h"

namespace platform {
namespace reg {
namespace {

bool IsBlank(std::string_view line) {
    return TrimControls(line).empty();
}

struct Hive {
    std::vector<std::string> lines;
    std::string eol;

    explicit Hive(const std::string& text)
        : lines(SplitTextLines(text)), eol(text.find("\r\n") != std::string::npos ? "\r\n" : "\n") {
        if (lines.empty())
            lines.push_back("REGEDIT4");
    }

    std::string Text() const {
        std::string out;
        for (const std::string& line : lines)
            out += line + eol;
        return out;
    }

    // Whether line i opens the wanted key.
    bool Opens(size_t i, RegRoot root, const std::string& wantedKey) const {
        RegRoot lineRoot;
        std::string path;
        return ParseKeyLine(lines[i], lineRoot, path) && lineRoot == root && path == wantedKey;
    }

    // Index of the next key line (understood or not) after i, or the end.
    size_t EndOfKey(size_t i) const {
        for (++i; i < lines.size(); ++i) {
            if (IsKeyLikeLine(lines[i]))
                break;
        }
        return i;
    }

    bool IsValue(size_t i, std::string_view valueName) const {
        std::string name;
        RegValue value;
        return ParseValueLine(lines[i], name, value) && SameTextAscii(name, valueName);
    }
};

// A line break would end the value's line early and let the rest pass for lines of their own.
void RefuseLineBreak(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        throw RegistryError("Cannot store \"" + std::string(text) +
                            "\" in the registry: it holds a line break.");
    }
}

std::string ValueLine(std::string_view valueName, std::string_view value) {
    return (valueName.empty() ? std::string("@") : QuoteString(valueName)) + "=" + QuoteString(value);
}

}  // namespace

std::string SetStringValue(const std::string& text, RegRoot root, std::string_view keyPath,
                           std::string_view valueName, std::string_view value) {
    RefuseLineBreak(keyPath);
    RefuseLineBreak(valueName);
    RefuseLineBreak(value);
    Hive hive(text);
    const std::string wantedKey = NormaliseKeyPath(keyPath);
    std::optional<size_t> firstKeyEnd;
    for (size_t i = 0; i < hive.lines.size(); ++i) {
        if (!hive.Opens(i, root, wantedKey))
            continue;
        size_t end = hive.EndOfKey(i);
        for (size_t j = i + 1; j < end; ++j) {
            if (hive.IsValue(j, valueName)) {
                hive.lines[j] = ValueLine(valueName, value);
                return hive.Text();
            }
        }
        if (!firstKeyEnd) {
            // After the key's last line that is not blank, so the blank line before the next key stays.
            size_t at = end;
            while (at > i + 1 && IsBlank(hive.lines[at - 1]))
                --at;
            firstKeyEnd = at;
        }
        i = end - 1;
    }
    if (firstKeyEnd) {
        hive.lines.insert(hive.lines.begin() + static_cast<std::ptrdiff_t>(*firstKeyEnd),
                          ValueLine(valueName, value));
        return hive.Text();
    }
    if (!IsBlank(hive.lines.back()))
        hive.lines.emplace_back();
    std::string_view path = keyPath;
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    hive.lines.push_back("[" + RootName(root) + "\\" + std::string(path) + "]");
    hive.lines.push_back(ValueLine(valueName, value));
    return hive.Text();
}

std::string DeleteValue(const std::string& text, RegRoot root, std::string_view keyPath,
                        std::string_view valueName) {
    Hive hive(text);
    const std::string wantedKey = NormaliseKeyPath(keyPath);
    bool inKey = false;
    std::vector<std::string> kept;
    for (size_t i = 0; i < hive.lines.size(); ++i) {
        if (IsKeyLikeLine(hive.lines[i]))
            inKey = hive.Opens(i, root, wantedKey);
        if (inKey && hive.IsValue(i, valueName))
            continue;
        kept.push_back(hive.lines[i]);
    }
    hive.lines = std::move(kept);
    return hive.Text();
}

}  // namespace reg

void EditRegistryHive(const std::function<std::string(const std::string&)>& edit) {
    const std::string path = RegistryHivePath();
    RemoveStaleTemporaryFiles(path);
    std::string text = FileExists(path) ? ReadFileBytes(path) : std::string();
    WriteFileAtomically(path, edit(text));
}

}  // namespace platform
