#pragma once
#include <sys/types.h>

#include <string>
#include <string_view>

namespace platform {

// Linux paths have one delimiter; the Windows build would add '\\' and ':' here.
inline constexpr char PathDelimiter = '/';
inline bool IsPathDelimiter(char c) {
    return c == PathDelimiter;
}

// Everything up to and including the last delimiter; empty when there is none.
std::string ExtractFilePath(std::string_view path);
// Everything after the last delimiter.
std::string ExtractFileName(std::string_view path);
// Replaces the extension (from the last '.' after the last delimiter) by ".rm", or appends ".rm".
std::string ChangeExtToRm(std::string_view path);
// One trailing delimiter removed; unchanged when the path is empty or does not end in one.
std::string RemoveTrailingDelimiter(std::string_view path);

// A file (not a folder) exists at the path.
bool FileExists(const std::string& path);
// A folder exists at the path.
bool DirectoryExists(const std::string& path);

// Which file a name holds (a link itself, not followed): none, or its device and inode. Two looks that
// differ mean that the name was given to another file in between.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const std::string& path);

}  // namespace platform
