#include "platform/core/MediaFiles.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "platform/core/Paths.h"
#include "platform/core/TextLines.h"

namespace platform {
namespace {
namespace fs = std::filesystem;

constexpr std::array<const char*, 10> kMediaExtensions = {"avi", "mov", "qt",  "mpg", "mpeg",
                                                          "mpa", "mp2", "mp3", "wav", "au"};

bool Hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

// The media files under `folder`, sorted. Linked folders are not followed, so that a link back up the
// tree cannot make the search endless; a folder that cannot be read is passed over.
std::vector<std::string> MediaFilesUnder(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code kind;
        if (Hidden(path)) {
            if (it->is_directory(kind) && !it->is_symlink(kind))
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(kind) && IsMediaFileName(path.string()))
            found.push_back(path.string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

bool IsMediaFileName(const std::string& path) {
    const std::string name = ExtractFileName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    return std::any_of(kMediaExtensions.begin(), kMediaExtensions.end(),
                       [&](const char* known) { return SameTextAscii(extension, known); });
}

std::vector<std::string> MediaFilesAmong(const std::vector<std::string>& paths) {
    std::vector<std::string> found;
    for (const std::string& path : paths) {
        if (!DirectoryExists(path)) {
            if (IsMediaFileName(path))
                found.push_back(path);
            continue;
        }
        const std::vector<std::string> inFolder = MediaFilesUnder(RemoveTrailingDelimiter(path));
        found.insert(found.end(), inFolder.begin(), inFolder.end());
    }
    return found;
}

}  // namespace platform
