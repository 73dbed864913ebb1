#pragma once
#include <string>

namespace platform {

// Where the program's files lie. In the staged build and in a portable copy everything shares the
// executable's folder. An installed tree splits them the usual way: the executables in bin/, the
// installer in libexec/quenzor/, the read-only files in share/quenzor/, and the per-user files in the
// user's configuration folder.
struct ProgramLayout {
    std::string programDirectory;  // the read-only files, with the trailing delimiter
    std::string mainProgram;       // the quenzor executable
    std::string installer;         // real_basic.exe
    bool installed = false;
};

// The layout the executable in `executableDirectory` belongs to: installed when that folder is the tree's
// bin/ or libexec/quenzor/ and the tree's share/quenzor/ exists, otherwise the folder itself.
ProgramLayout LayoutOfExecutable(const std::string& executableDirectory);
// A staged or portable program directory.
ProgramLayout PortableLayout(std::string directory);

// The layout in force: from the running executable's location unless set.
const ProgramLayout& CurrentLayout();
// Tests point the program at scratch folders.
void SetProgramLayout(ProgramLayout layout);

// The directory of the program's own read-only files (face icons, catalogue pages, help, thank.txt,
// Tada.wav), with its trailing delimiter.
const std::string& ProgramDirectory();
// Shorthand for a portable layout in `directory`.
void SetProgramDirectory(std::string directory);

// Directory of the running executable as the system reports it, with its trailing delimiter.
std::string ExecutableDirectory();

// The per-user files (data.ini, the start counter file, the registry hive) lie here, with the trailing
// delimiter: beside the program while the program may write there, as in the staged build or a portable
// copy; otherwise, and always in an installed tree, in UserConfigDirectory(). Chosen once per layout, so
// the settings are saved where they were loaded from.
const std::string& UserFilesDirectory();

// $XDG_CONFIG_HOME/quenzor/ (~/.config/quenzor/ when the variable is unset or not absolute), with the
// trailing delimiter; created, private to the user, when missing.
std::string UserConfigDirectory();

}  // namespace platform
