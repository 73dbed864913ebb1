#include "extras/ThankFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace extras {

std::vector<std::string> FilterThankLines(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (line.size() >= 2 && line[0] == '/' && line[1] == '/')
            continue;
        kept.push_back(line);
    }
    return kept;
}

std::vector<std::string> ReadThankFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        throw ThankFileError("I/O error: cannot open \"" + path + "\": " + std::strerror(errno));
    }
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    // A folder opens on Linux but fails on the first read: that is unreadable too.
    const bool failed = std::ferror(file) != 0;
    const int err = errno;
    std::fclose(file);
    if (failed) {
        throw ThankFileError("I/O error: cannot read \"" + path + "\": " + std::strerror(err));
    }
    return FilterThankLines(SplitTextLines(text));
}

}  // namespace extras
