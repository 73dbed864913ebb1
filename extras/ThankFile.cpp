#include "extras/ThankFile.h"

#include "platform/core/Files.h"

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
    // Plain files only: a pipe or a device under the name must not hang the window.
    std::string text;
    try {
        text = platform::ReadFileBytes(path);
    } catch (const platform::EFileError& e) {
        throw ThankFileError(e.what());
    }
    return FilterThankLines(SplitTextLines(text));
}

}  // namespace extras
