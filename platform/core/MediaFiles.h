#pragma once
#include <string>
#include <vector>

namespace platform {

// Whether a file name ends in one of the ten source types' extensions (any letter case).
bool IsMediaFileName(const std::string& path);

// The media files among files and folders, in the order given: files of the ten types as they are,
// folders searched through (sub-folders too, names in byte order) for them. Hidden files and folders and
// linked folders are passed over; anything else is left out. Names are kept byte for byte.
std::vector<std::string> MediaFilesAmong(const std::vector<std::string>& paths);

}  // namespace platform
