#pragma once
#include <string>
#include <vector>

#include "platform/DesktopEntry.h"

namespace platform {

// This program's own desktop entry: a file handed to the desktop must never come back to it.
inline constexpr const char* OwnDesktopEntry = "example.vastrel.Quenzor.desktop";

// An application that the desktop's databases name for a type, read from its desktop entry.
struct DesktopApplication {
    std::string id;         // "vlc.desktop"
    std::string name;       // "VLC media player"
    std::string exec;       // the Exec key, escapes of the key file undone
    bool terminal = false;  // Terminal=true: it runs in a terminal emulator
};

// The applications that open this type (a MIME type such as "video/x-msvideo" or "x-scheme-handler/http"),
// the desktop's choice first: the user's and the system's defaults (mimeapps.list, the current desktop's
// own lists before the common ones), then their added associations, then the installed applications' own
// claims (mimeinfo.cache); the type's aliases and parents, nearest first, follow the type itself.
// Associations the lists remove, entries that are hidden, whose Exec is unusable (DesktopExecArguments) or
// names a program that cannot be found, or whose TryExec program is missing are left out, and so is this
// program under any name (through env, a shell's -c script, the search path and symbolic links). Each file is
// read up to a size limit, so a huge or endless file costs no more than a normal one.
std::vector<DesktopApplication> DesktopApplicationsForType(const std::string& mimeType);

// The type, its aliases and its ancestors, nearest first, each once: a loop of parent types in a user's type
// database ends, and so does a very deep chain.
std::vector<std::string> MimeTypeAndAncestors(const std::string& mimeType);

// The MIME type of a file or folder, judged by its name and content as the desktop does; the name's bytes
// need not be UTF-8.
std::string MimeTypeOfFile(const std::string& path);

// Whether some application on the desktop takes files of this one's type. A file nothing takes would be
// handed over for nothing.
bool DesktopHasApplicationFor(const std::string& path);

}  // namespace platform
