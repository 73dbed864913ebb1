#pragma once
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The desktop's key files (desktop entries, mimeapps.list, mimeinfo.cache) and Exec keys, as text: no file
// is read and nothing is looked up here.
namespace platform {

// A key file's sections ("[Desktop Entry]", brackets kept) with their keys in order.
using KeyFile = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

// Lines ending in LF, CR LF or CR; blank lines, comments and keys before the first section are left out.
KeyFile ParseKeyFile(std::string_view text);

// The first value of a key in a section with the key file's escapes undone (\s, \n, \t, \r, \\); empty
// when there is none.
std::string KeyFileValue(const KeyFile& file, const std::string& section, const std::string& key);

// A list value (";" between items), each item trimmed, empty items left out.
std::vector<std::string> KeyFileList(const KeyFile& file, const std::string& section, const std::string& key);

// The command line an Exec key makes for one file or address: split as the desktop entry format quotes it,
// the file in place of %f, %F, %u or %U, quoted or not (appended when the key names none), other field codes
// dropped. Empty when the key cannot be parsed, names no program, or its program word is or holds a field
// code: such an entry would run the file itself, or whatever the file's name says.
std::vector<std::string> DesktopExecArguments(const std::string& exec, const std::string& target);

// The programs a command line runs in turn, as they are named: the first word, then the program that an
// `env` (after its assignments and options) or a shell's `-c` script (its first command's first word,
// after assignments and `exec`) goes on to run. Empty for an empty command line.
std::vector<std::string> ProgramsRun(const std::vector<std::string>& command);

}  // namespace platform
