#pragma once
#include <string>

namespace platform {

// Whether some application on the desktop takes files of this one's type (judged by its name and content):
// the user's and the system's associations (mimeapps.list) and the installed applications' own claims
// (mimeinfo.cache), for the type and its aliases, as the desktop's opener looks them up. A file nothing
// takes would be handed over for nothing.
bool DesktopHasApplicationFor(const std::string& path);

}  // namespace platform
