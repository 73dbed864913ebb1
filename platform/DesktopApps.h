#pragma once
#include <string>
#include <vector>

namespace platform {

// This program's own desktop entry: a file handed to the desktop must never come back to it.
inline constexpr const char* OwnDesktopEntry = "example.vastrel.Quenzor.desktop";

// An application that the desktop's databases name for a type, read from its desktop entry.
struct DesktopApplication {
    std::string id;    // "vlc.desktop"
    std::string name;  // "VLC media player"
    std::string exec;  // the Exec key, escapes of the key file undone
};

// The applications that open this type (a MIME type such as "video/x-msvideo" or "x-scheme-handler/http"),
// the desktop's choice first: the user's and the system's defaults (mimeapps.list, the current desktop's
// own lists before the common ones), then their added associations, then the installed applications' own
// claims (mimeinfo.cache); the type's parents follow the type itself. Associations the lists remove, entries
// that are hidden, have no Exec or whose TryExec program is missing are left out, and so is this program.
std::vector<DesktopApplication> DesktopApplicationsForType(const std::string& mimeType);

// The MIME type of a file or folder, judged by its name and content as the desktop does.
std::string MimeTypeOfFile(const std::string& path);

// Whether some application on the desktop takes files of this one's type. A file nothing takes would be
// handed over for nothing.
bool DesktopHasApplicationFor(const std::string& path);

// The command line an Exec key makes for one file or address: split as the desktop entry format quotes it,
// the file in place of %f, %F, %u or %U (appended when the key names none), other field codes dropped.
// Empty when the key cannot be parsed.
std::vector<std::string> DesktopExecArguments(const std::string& exec, const std::string& target);

}  // namespace platform
