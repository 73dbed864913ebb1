#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits text into lines the way a text-file reader does: LF, CR LF and a lone CR each end a line, and a
// final line without an ending still counts. An empty text has no lines.
std::vector<std::string> SplitTextLines(std::string_view text);

// The text without its leading and trailing blanks and control characters (codes 0 to 32).
std::string_view TrimControls(std::string_view text);

// Equal but for the letter case of A to Z.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace platform
