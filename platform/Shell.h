#pragma once
#include <functional>
#include <string>

namespace platform {

// Hands a file, folder, program or address to the desktop's default action. Never through a command
// line: the target is one argument whatever characters it holds. The result is ignored.
void ShellOpen(const std::string& target);

// Test seam: replaces the real hand-off (an empty function restores it).
using ShellOpenHandler = std::function<void(const std::string&)>;
void SetShellOpenHandler(ShellOpenHandler handler);

// The real hand-off, for the seam's default.
void ShellOpenWithDesktop(const std::string& target);

}  // namespace platform
