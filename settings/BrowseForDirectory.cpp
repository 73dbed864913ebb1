#include "settings/BrowseForDirectory.h"

#include "platform/Dialogs.h"
#include "platform/core/Paths.h"

namespace settings {

bool BrowseForDirectory(const std::string& caption, std::string& directory) {
    const std::string start = platform::DirectoryExists(directory) ? directory : std::string();
    std::optional<std::string> chosen = platform::FileDialogs::GetExistingDirectory(caption, start);
    if (!chosen)
        return false;
    directory = *chosen;
    return true;
}

}  // namespace settings
