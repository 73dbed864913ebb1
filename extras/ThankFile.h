#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/TextLines.h"

namespace extras {

// Raised when the acknowledgements file cannot be opened or read.
class ThankFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

using platform::SplitTextLines;

// The lines to show from the acknowledgements text: every line except those whose first two characters
// are "//". Lines are kept unchanged, so " // note" and "" stay.
std::vector<std::string> FilterThankLines(const std::vector<std::string>& lines);

// Reads and filters the acknowledgements file; throws ThankFileError naming the file when it is missing
// or unreadable.
std::vector<std::string> ReadThankFile(const std::string& path);

}  // namespace extras
