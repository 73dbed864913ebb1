#include "platform/core/Paths.h"

#include <sys/stat.h>

namespace platform {
namespace {
std::string_view::size_type LastDelimiter(std::string_view path) {
    for (auto i = path.size(); i > 0; --i) {
        if (IsPathDelimiter(path[i - 1])) {
            return i - 1;
        }
    }
    return std::string_view::npos;
}
}  // namespace

std::string ExtractFilePath(std::string_view path) {
    auto pos = LastDelimiter(path);
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view path) {
    auto pos = LastDelimiter(path);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ChangeExtToRm(std::string_view path) {
    for (auto i = path.size(); i > 0; --i) {
        char c = path[i - 1];
        if (c == '.') {
            return std::string(path.substr(0, i - 1)) + ".rm";
        }
        if (IsPathDelimiter(c)) {
            break;
        }
    }
    return std::string(path) + ".rm";
}

std::string RemoveTrailingDelimiter(std::string_view path) {
    if (!path.empty() && IsPathDelimiter(path.back())) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino};
}

}  // namespace platform
