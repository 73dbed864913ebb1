#include "settings/IniFiles32.h"

#include "platform/core/Files.h"
#include "platform/core/Paths.h"
#include "platform/core/TextLines.h"

namespace settings {
namespace {

constexpr char SectionOpen = '[';
constexpr char SectionClose = ']';
constexpr char Separator = '=';

// Only lines holding a separator can match a key; a line without one has no key at all.
bool KeyMatches(std::string_view line, std::string_view key) {
    return line.find(Separator) != std::string_view::npos && TIniFile32::KeyOfLine(line) == key;
}

// The text as one line: each line break becomes one blank.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (hex) {
        std::uint32_t bits = static_cast<std::uint32_t>(value);
        if (negative)
            bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    if (negative) {
        if (value > 2147483648ull)
            return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > 2147483647ull)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::vector<std::string> SplitIniText(std::string_view bytes) {
    return platform::SplitTextLines(bytes);
}

std::string JoinIniText(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TIniFile32::TIniFile32(std::string fileName) : FileName(std::move(fileName)) {
    if (platform::FileExists(FileName))
        Load();
}

TIniFile32::~TIniFile32() = default;

void TIniFile32::Load() {
    Lines = SplitIniText(platform::ReadFileBytes(FileName));
}

void TIniFile32::Save() {
    platform::WriteFileAtomically(FileName, JoinIniText(Lines));
}

bool TIniFile32::IsSectionLine(std::string_view line) {
    line = platform::TrimControls(line);
    return !line.empty() && line.front() == SectionOpen && line.back() == SectionClose;
}

std::string_view TIniFile32::KeyOfLine(std::string_view line) {
    auto pos = line.find(Separator);
    return pos == std::string_view::npos ? std::string_view() : platform::TrimControls(line.substr(0, pos));
}

std::string_view TIniFile32::ValueOfLine(std::string_view line) {
    auto pos = line.find(Separator);
    return pos == std::string_view::npos ? std::string_view() : platform::TrimControls(line.substr(pos + 1));
}

int TIniFile32::FindSection(std::string_view section) const {
    std::string header;
    header.reserve(section.size() + 2);
    header += SectionOpen;
    header += section;
    header += SectionClose;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (platform::SameTextAscii(Lines[i], header))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TIniFile32::ReadString(std::string_view section, std::string_view key,
                                   const std::string& def) const {
    int header = FindSection(section);
    if (header < 0)
        return def;
    for (size_t i = static_cast<size_t>(header) + 1; i < Lines.size(); ++i) {
        const std::string& line = Lines[i];
        if (IsSectionLine(line))
            break;
        if (KeyMatches(line, key)) {
            std::string_view value = ValueOfLine(line);
            return value.empty() ? def : std::string(value);
        }
    }
    return def;
}

std::int32_t TIniFile32::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const {
    std::string text = ReadString(section, key, std::string());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return ParseInt32(text).value_or(def);
}

bool TIniFile32::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile32::WriteString(std::string_view rawSection, std::string_view rawKey, std::string_view value) {
    // A folder name may hold a line break; written raw, it would add keys of its own to the file.
    const std::string section = OneLine(rawSection);
    const std::string key = OneLine(rawKey);
    std::string line = key;
    line += Separator;
    line += OneLine(value);

    int header = FindSection(section);
    if (header < 0) {
        Lines.emplace_back();
        Lines.push_back(SectionOpen + section + SectionClose);
        if (!key.empty())
            Lines.push_back(std::move(line));
    } else {
        size_t i = static_cast<size_t>(header) + 1;
        while (i < Lines.size() && !IsSectionLine(Lines[i]) && !KeyMatches(Lines[i], key))
            ++i;
        if (!key.empty()) {
            if (i < Lines.size() && !IsSectionLine(Lines[i])) {
                Lines[i] = std::move(line);
            } else {
                Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(i), std::move(line));
            }
        }
    }
    if (AutoSave)
        Save();
}

void TIniFile32::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile32::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace settings
