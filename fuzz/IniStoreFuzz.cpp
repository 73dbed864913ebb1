// The INI store and the settings on it, with any file and any values. The input is the file's bytes,
// optionally followed by a 0x1E byte and the values to write, separated by 0x1F bytes: the six texts
// (Title, Auther, Copyright, Keywords, Description, TempDirectory), then the numbers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/core/TextLines.h"
#include "settings/IniFiles32.h"
#include "settings/Settings.h"

using settings::TIniFile32;
using settings::TSettings;

namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (;;) {
        const size_t at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

std::string WithoutLineEnds(std::string_view text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return c != '\r' && c != '\n'; });
    return out;
}

// A store on lines held in memory: it never touches a file.
struct MemoryStore : TIniFile32 {
    explicit MemoryStore(const std::vector<std::string>& lines) : TIniFile32(std::string()) {
        AutoSave = false;
        Lines = lines;
    }
};

TSettings Read(const TIniFile32& ini) {
    TSettings s = settings::DefaultSettings({});
    settings::ReadClipInformation(s, ini, {});
    settings::ReadConversionSettings(s, ini);
    return s;
}

// What a read gives back for a written text: one line, without the blanks at its ends, or the default.
std::string ReadBack(const std::string& written, const std::string& def) {
    std::string oneLine;
    for (size_t i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '\r' && i + 1 < written.size() && written[i + 1] == '\n')
            continue;
        oneLine += c == '\r' || c == '\n' ? ' ' : c;
    }
    const std::string_view trimmed = platform::TrimControls(oneLine);
    return trimmed.empty() ? def : std::string(trimmed);
}

size_t Headers(const std::vector<std::string>& lines) {
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), TIniFile32::IsSectionLine));
}

// The lines before the section's header, and those from the next header on: the part a write of the
// section leaves alone.
std::vector<std::string> OutsideSection(const std::vector<std::string>& lines, int header) {
    if (header < 0)
        return lines;
    auto end = std::find_if(lines.begin() + header + 1, lines.end(), TIniFile32::IsSectionLine);
    std::vector<std::string> outside(lines.begin(), lines.begin() + header);
    outside.insert(outside.end(), end, lines.end());
    return outside;
}

std::int32_t Number(const std::vector<std::string>& values, size_t i) {
    if (i >= values.size())
        return static_cast<std::int32_t>(values.size() * 7919u);
    return settings::ParseInt32(values[i]).value_or(static_cast<std::int32_t>(values[i].size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\x1e');
    const std::string_view file = input.substr(0, cut);
    const std::vector<std::string> lines = settings::SplitIniText(file);

    // Load, save, load: the same lines, and every byte but the line ends kept in order.
    const std::string saved = settings::JoinIniText(lines);
    FuzzCheck(settings::SplitIniText(saved) == lines, "a saved file loads back to the same lines");
    FuzzCheck(WithoutLineEnds(saved) == WithoutLineEnds(file), "a save keeps every byte but the line ends");

    // The settings loaded, saved and loaded again are the ones loaded first.
    MemoryStore store(lines);
    const TSettings loaded = Read(store);
    settings::WriteSettings(loaded, store);
    FuzzCheck(Read(store) == loaded, "settings survive a save and a load");

    // Any values written are read back as one line each, and never add a key or section of their own.
    std::vector<std::string> values;
    if (cut != std::string_view::npos)
        values = Split(input.substr(cut + 1), '\x1f');
    values.resize(std::max<size_t>(values.size(), 6));
    TSettings written = settings::DefaultSettings({});
    written.Title = values[0];
    written.Auther = values[1];
    written.Copyright = values[2];
    written.Keywords = values[3];
    written.Description = values[4];
    written.TempDirectory = values[5];
    written.filetype = Number(values, 6);
    written.AudioFormat = Number(values, 7);
    written.VideoQuality = Number(values, 8);
    written.MaxConverFile = Number(values, 9);
    const std::uint32_t bits = static_cast<std::uint32_t>(Number(values, 10));
    written.Modem28K = bits & 1;
    written.SingleISDN = bits & 2;
    written.DSLCableModem512K = bits & 4;

    MemoryStore fresh(lines);
    const int header = fresh.FindSection("option");
    settings::WriteSettings(written, fresh);
    TSettings expected = written;
    expected.Title = ReadBack(written.Title, "");
    expected.Auther = ReadBack(written.Auther, "");
    expected.Copyright = ReadBack(written.Copyright, "");
    expected.Keywords = ReadBack(written.Keywords, "");
    expected.Description = ReadBack(written.Description, "");
    expected.TempDirectory = ReadBack(written.TempDirectory, settings::DefaultTempDirectory);
    FuzzCheck(Read(fresh) == expected, "written values are read back");
    FuzzCheck(Headers(fresh.Lines) == Headers(lines) + (header < 0 ? 1 : 0),
              "a save adds no section but its own");
    FuzzCheck(fresh.Lines.size() <= lines.size() + 18 + (header < 0 ? 2 : 0),
              "a save adds no line but its keys");
    if (header < 0) {
        FuzzCheck(std::equal(lines.begin(), lines.end(), fresh.Lines.begin()),
                  "a new section goes after every line there was");
    } else {
        FuzzCheck(OutsideSection(fresh.Lines, fresh.FindSection("option")) == OutsideSection(lines, header),
                  "lines outside the section stay as they were");
    }
    return 0;
}
