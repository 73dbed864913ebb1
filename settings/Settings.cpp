#include <cstdint>
#include <cstring>
#include <variant>
#include <vector>

#include "platform/core/Files.h"
#include "platform/core/Paths.h"
#include "settings/IniFiles32.h"
#include "settings/Settings.h"

namespace settings {

TSettings Settings;

namespace {
constexpr const char* Section = "option";

// One key of section "option": the field of the record it holds and the value a missing key gives. A
// text's default is either fixed or the clip information a missing data.ini takes from the product.
struct Number {
    std::int32_t TSettings::*field;
    std::int32_t fallback;
};
struct Flag {
    bool TSettings::*field;
    bool fallback;
};
struct Text {
    std::string TSettings::*field;
    std::string ClipDefaults::*clip;  // null: the fixed default
    const char* fallback = "";
};
struct Key {
    const char* name;
    std::variant<Number, Flag, Text> value;

    bool IsClipInformation() const {
        const Text* text = std::get_if<Text>(&value);
        return text != nullptr && text->clip != nullptr;
    }
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// A fresh installation aims at two audiences.
bool OnByDefault(encoder::Audience audience) {
    return audience == encoder::Audience::Modem56K || audience == encoder::Audience::DSL256K;
}

// Every key in save order; spelling and order are those of every data.ini ever written.
const std::vector<Key>& Keys() {
    static const std::vector<Key> keys = [] {
        std::vector<Key> keys{{"filetype", Number{&TSettings::filetype, 1}}};
        for (std::size_t i = 0; i < encoder::kTargetAudiences.size(); ++i)
            keys.push_back({encoder::kTargetAudiences[i].iniKey,
                            Flag{AudienceFlags[i], OnByDefault(static_cast<encoder::Audience>(i))}});
        keys.insert(keys.end(),
                    {
                        {"AudioFormat", Number{&TSettings::AudioFormat, 0}},
                        {"VideoQuality", Number{&TSettings::VideoQuality, 0}},
                        {"Title", Text{&TSettings::Title, &ClipDefaults::title}},
                        {"Auther", Text{&TSettings::Auther, &ClipDefaults::title}},
                        {"Copyright", Text{&TSettings::Copyright, &ClipDefaults::copyright}},
                        {"Keywords", Text{&TSettings::Keywords, &ClipDefaults::title}},
                        {"Description", Text{&TSettings::Description, &ClipDefaults::title}},
                        {"TempDirectory", Text{&TSettings::TempDirectory, nullptr, DefaultTempDirectory}},
                        {"MaxConverFile", Number{&TSettings::MaxConverFile, 200}},
                    });
        return keys;
    }();
    return keys;
}

std::string TextDefault(const Text& text, const ClipDefaults& clip) {
    return text.clip != nullptr ? clip.*text.clip : std::string(text.fallback);
}

// Reads the keys that are (or are not) clip information, each with its default.
void ReadKeys(TSettings& s, const TIniFile32& ini, const ClipDefaults& clip, bool clipInformation) {
    for (const Key& key : Keys()) {
        if (key.IsClipInformation() != clipInformation)
            continue;
        std::visit(
            Overloaded{
                [&](const Number& n) { s.*n.field = ini.ReadInteger(Section, key.name, n.fallback); },
                [&](const Flag& f) { s.*f.field = ini.ReadBool(Section, key.name, f.fallback); },
                [&](const Text& t) { s.*t.field = ini.ReadString(Section, key.name, TextDefault(t, clip)); },
            },
            key.value);
    }
}
}  // namespace

TSettings DefaultSettings(const ClipDefaults& clip) {
    TSettings s;
    for (const Key& key : Keys())
        std::visit(Overloaded{
                       [&](const Number& n) { s.*n.field = n.fallback; },
                       [&](const Flag& f) { s.*f.field = f.fallback; },
                       [&](const Text& t) { s.*t.field = TextDefault(t, clip); },
                   },
                   key.value);
    return s;
}

void ReadClipInformation(TSettings& s, const TIniFile32& ini, const ClipDefaults& clip) {
    ReadKeys(s, ini, clip, true);
}

void ReadConversionSettings(TSettings& s, const TIniFile32& ini) {
    ReadKeys(s, ini, ClipDefaults{}, false);
}

void WriteSettings(const TSettings& s, TIniFile32& ini) {
    for (const Key& key : Keys())
        std::visit(Overloaded{
                       [&](const Number& n) { ini.WriteInteger(Section, key.name, s.*n.field); },
                       [&](const Flag& f) { ini.WriteBool(Section, key.name, s.*f.field); },
                       [&](const Text& t) { ini.WriteString(Section, key.name, s.*t.field); },
                   },
                   key.value);
}

void LoadSettings(TSettings& s, const std::string& dataIniPath, const ClipDefaults& defaults) {
    // A save that was killed left its temporary file; this is the first look at data.ini after a start.
    platform::RemoveStaleTemporaryFiles(dataIniPath);
    const bool exists = platform::FileExists(dataIniPath);
    const ClipDefaults clip = exists ? ClipDefaults{} : defaults;
    // Should a store fail to load, the fields keep these defaults rather than half-loaded values.
    s = DefaultSettings(clip);
    ReadClipInformation(s, TIniFile32(dataIniPath), clip);
    ReadConversionSettings(s, TIniFile32(dataIniPath));
}

void SaveSettings(const TSettings& s, const std::string& dataIniPath) {
    // One replacement of the file for all the keys: a save cut short leaves the old file or the new one,
    // never a mix of old and new values.
    TIniFile32 ini(dataIniPath);
    ini.AutoSave = false;
    WriteSettings(s, ini);
    ini.Save();
}

void IncrementStartCounter(const std::string& counterPath) {
    if (!platform::FileExists(counterPath))
        return;
    platform::RemoveStaleTemporaryFiles(counterPath);
    // The counter reports the system's input/output error alone, without the INI store's wording.
    std::string text;
    try {
        text = platform::ReadFileBytes(counterPath);
    } catch (const EFileError& e) {
        throw EInOutError(std::strerror(e.Error));
    }
    // One number: leading blanks and line ends skipped, then the run up to the next blank or control
    // character, at most 32 characters.
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ')
        ++start;
    size_t end = start;
    while (end < text.size() && end - start < 32 && static_cast<unsigned char>(text[end]) > ' ')
        ++end;
    std::int32_t count = 0;
    if (end > start) {
        auto parsed = ParseInt32(std::string_view(text).substr(start, end - start));
        if (!parsed)
            throw EInOutError("Invalid numeric input");
        count = *parsed;
    }
    // A counter at the top of the range stays there instead of turning negative.
    if (count < INT32_MAX)
        ++count;
    try {
        platform::WriteFileAtomically(counterPath, std::to_string(count));
    } catch (const EFileError& e) {
        throw EInOutError(std::strerror(e.Error));
    }
}

}  // namespace settings
