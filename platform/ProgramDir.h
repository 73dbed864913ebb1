#pragma once
#include <string>

namespace platform {

// The directory of the running executable, with its trailing delimiter. Every file the program reads or
// writes by itself lies here.
const std::string& ProgramDirectory();

// Fixed once at start-up from the executable's location; tests point it at a scratch folder.
void SetProgramDirectory(std::string directory);

// Directory of the running executable as the system reports it, with its trailing delimiter.
std::string ExecutableDirectory();

}  // namespace platform
