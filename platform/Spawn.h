#pragma once
#include <string>
#include <vector>

// Starting other programs with the exact bytes of their names and arguments: file names need not be UTF-8,
// and nothing here passes through a command line or a text conversion.
namespace platform {

// The program a command's first word names: the word itself when it holds a "/", else the first executable
// regular file of that name in a folder of PATH. Empty when there is none.
std::string FindProgram(const std::string& name);

// Starts `command` (the program found for its first word, then its arguments, byte for byte) detached: in a
// session of its own, with none of this program's open files but the standard three and default signal
// handling, never waited for and never left behind as a zombie. False when it could not be started.
bool SpawnDetached(const std::vector<std::string>& command);

}  // namespace platform
