#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file that cannot be opened or written; the text names the file and the system's reason.
class EFileError : public std::runtime_error {
  public:
    EFileError(const std::string& message, int error) : std::runtime_error(message), Error(error) {}
    int Error;  // the system's error number
};

// Reads a whole file; raises EFileError "Cannot open file ..." when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Replaces a file's content as one step: the bytes go to a temporary file in the same folder, which is
// then renamed over the target, so that an interrupted write never leaves a truncated file behind.
// Raises EFileError "Cannot create file ..." when the file cannot be written; the file is then left as
// it was, also when no temporary file can be made beside it.
void WriteFileAtomically(const std::string& path, std::string_view bytes);
// Removes the temporary files that writes by processes that have since ended (killed, or cut off by a power
// failure) left in the folder of `path` (RemoveAbandonedTemporaryFiles). Failures are ignored.
void RemoveStaleTemporaryFiles(const std::string& path);

}  // namespace platform
