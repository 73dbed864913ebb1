#pragma once
#include <string>

namespace settings {

// The folder browser shared by the Preferences and Output File dialogs. It starts at `directory` when
// that names an existing folder and offers real folders only. On a choice the path replaces `directory`
// and the result is true; on cancel `directory` is left as it was.
bool BrowseForDirectory(const std::string& caption, std::string& directory);

}  // namespace settings
