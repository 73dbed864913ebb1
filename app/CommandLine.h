#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace app {

// What the command line asks before any window opens, so that it needs no display: --help and --version
// answer on `out` (status 0); an option that neither this program nor Qt takes is a usage error on `err`
// (status 2). nullopt: start the window. `arguments` include the program's name first.
std::optional<int> AnswerCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                     std::ostream& err);

}  // namespace app
