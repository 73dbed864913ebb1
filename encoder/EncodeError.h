#pragma once
#include <stdexcept>

namespace encoder {

// An encode that cannot go on. The message is a whole sentence meant for the user, e.g.
// "Cannot read the source file /a/b.avi: Invalid data found when processing input."
class EncodeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace encoder
