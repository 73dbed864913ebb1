#pragma once
#include <functional>
#include <string>

namespace platform {

// Hands a document to the desktop: an address goes to its handler, a file or folder opens in the desktop's
// application for its type, never in this program. Nothing handed over here is ever run, whatever its
// permission bits or content: on some mounted file systems every media file carries the execute bit. When no
// application takes the type, or the one chosen cannot start, a message says so. The file's name goes to the
// application byte for byte, whether or not it is UTF-8.
void ShellOpen(const std::string& target);

// Runs a program: only the encoder's installer and the repair tool, each on the path it was given. Started
// detached, with no arguments and never through a command line, so the path is one argument whatever
// characters it holds. The result is ignored.
void RunProgram(const std::string& path);

// Test seam: replaces both real hand-offs, documents and programs alike (an empty function restores them),
// so a test sees every target that leaves the program, in order.
using ShellOpenHandler = std::function<void(const std::string&)>;
void SetShellOpenHandler(ShellOpenHandler handler);

// The real hand-offs, for the seam's default. The desktop's databases are read on a worker thread; the
// application is started and any message shown later, on the application object's thread, from its event
// loop (at once when there is no application object).
void ShellOpenWithDesktop(const std::string& target);
// Waits until every hand-off begun by ShellOpenWithDesktop has started its application or shown its message.
// Called on the application object's thread.
void FinishDesktopLookups();
void StartProgramDetached(const std::string& path);

// How the real document hand-off treats a target.
enum class ShellAction {
    Nothing,    // empty, or no such file or folder: ignored
    OpenUrl,    // an address with a scheme (http:, https:, mailto:, file:)
    OpenLocal,  // an existing file or folder: the desktop's default application, never run
};
ShellAction ClassifyShellTarget(const std::string& target);

}  // namespace platform
