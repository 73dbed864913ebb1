#pragma once
#include <string>
#include <vector>

#include "settings/Settings.h"

namespace cli {

// What one run of quenzor-convert is asked to do.
struct Options {
    // The run-wide settings and the clip information every file gets, as the window would hold them.
    settings::TSettings settings;
    std::vector<std::string> sources;
    std::string outputDirectory;  // empty: each destination beside its source
    bool overwrite = false;
    int jobs = 1;
    bool json = false;
    bool quiet = false;
};

// The most encodes at once: each holds a decoder, an encoder and a thread of its own.
inline constexpr int kMaxJobs = 32;

// The end of reading the command line: options to run with, or the text to print and the status to exit
// with (--help and --version print to standard output and exit 0; a usage error prints to standard error
// and exits 2).
struct ParsedCommandLine {
    bool run = false;
    Options options;
    int exitCode = 0;
    std::string out;
    std::string err;
};

// Reads the arguments (the program name first) the way GNU tools do: options and files in any order,
// "--" ends the options, long options may be abbreviated. File names are taken byte for byte. Defaults
// come from the file given to --settings, else from the settings of a fresh installation with empty clip
// information; the other options override them.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Where a source's converted file goes: beside it, or into `outputDirectory`, with the extension ".rm".
std::string DestinationFor(const std::string& source, const std::string& outputDirectory);

}  // namespace cli
