#include "platform/core/FileNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

std::string CutUtf8(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    auto continuation = [&](std::size_t at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
    std::size_t start = limit;
    while (start > 0 && limit - start < 3 && continuation(start))
        --start;
    const bool splitsCharacter = static_cast<unsigned char>(text[start]) >= 0xC0;
    return text.substr(0, splitsCharacter ? start : limit);
}

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Runs of U+FFFD as one: decoders differ in how many they make of a broken sequence.
std::string Collapsed(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, kReplacement.size()) == kReplacement) {
            out += kReplacement;
            while (text.substr(at, kReplacement.size()) == kReplacement)
                at += kReplacement.size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The one entry of `folder` that reads as `shown`; "" when none or several do.
std::string EntryReadAs(const std::string& folder, const std::string& shown) {
    struct Closer {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, Closer> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return {};
    const std::string wanted = Collapsed(shown);
    std::string found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (Collapsed(ReadableName(name)) != wanted)
            continue;
        if (!found.empty())
            return {};
        found = name;
    }
    return found;
}

}  // namespace

int Utf8Sequence(std::string_view text, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    int length = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + static_cast<std::size_t>(length) > text.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        const std::uint8_t next = byte(at + static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string ReadableName(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = Utf8Sequence(bytes, at, code);
        if (length == 0) {
            out += kReplacement;
            ++at;
        } else {
            out.append(bytes.substr(at, static_cast<std::size_t>(length)));
            at += static_cast<std::size_t>(length);
        }
    }
    return out;
}

std::string NativePath(const std::string& shown) {
    if (shown.find(kReplacement) == std::string::npos || Exists(shown))
        return shown;
    std::string path = shown.starts_with('/') ? "/" : "";
    for (std::size_t at = 0; at <= shown.size();) {
        std::size_t end = shown.find('/', at);
        if (end == std::string::npos)
            end = shown.size();
        const std::string part = shown.substr(at, end - at);
        at = end + 1;
        if (part.empty())
            continue;
        std::string name = part;
        if (part.find(kReplacement) != std::string::npos && !Exists(path + part)) {
            name = EntryReadAs(path, part);
            if (name.empty())
                return shown;
        }
        path += name;
        if (end < shown.size())
            path += '/';
    }
    return path;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace platform
