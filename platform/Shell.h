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

// How the real hand-off treats a target.
enum class ShellAction {
    Nothing,       // empty, or no such file or folder: ignored
    OpenUrl,       // an address with a scheme (http:, https:, mailto:, file:)
    OpenLocal,     // an existing file or folder: the desktop's default application
    StartProgram,  // an executable program: started on its own, no arguments
};
ShellAction ClassifyShellTarget(const std::string& target);

// Starts a program detached, with no arguments and no shell in between.
void StartProgramDetached(const std::string& path);

}  // namespace platform
