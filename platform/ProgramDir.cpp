#include "platform/ProgramDir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>
#include <optional>

#include "platform/core/Paths.h"

// The installed tree's folders below its prefix; the build passes the ones it installs to.
#ifndef QUENZOR_INSTALL_BINDIR
#define QUENZOR_INSTALL_BINDIR "bin"
#endif
#ifndef QUENZOR_INSTALL_LIBEXECDIR
#define QUENZOR_INSTALL_LIBEXECDIR "libexec/quenzor"
#endif
#ifndef QUENZOR_INSTALL_DATADIR
#define QUENZOR_INSTALL_DATADIR "share/quenzor"
#endif

namespace platform {
namespace {
struct State {
    std::optional<ProgramLayout> layout;
    std::optional<std::string> userFiles;
};

State& Current() {
    static State state;
    return state;
}

std::string WithDelimiter(std::string directory) {
    if (!directory.empty() && !IsPathDelimiter(directory.back()))
        directory += PathDelimiter;
    return directory;
}

// The prefix of `directory` when it ends in the folder `tail` (both with their delimiters).
std::optional<std::string> PrefixBefore(const std::string& directory, const std::string& tail) {
    const std::string suffix = std::string(1, PathDelimiter) + WithDelimiter(tail);
    if (directory.size() < suffix.size() ||
        directory.compare(directory.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    return directory.substr(0, directory.size() - suffix.size() + 1);
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

void MakeDirectories(const std::string& directory) {
    // Each missing level in turn; one that cannot be made is reported later by the file written into it.
    for (std::size_t pos = 1; pos <= directory.size(); ++pos) {
        if (pos == directory.size() || IsPathDelimiter(directory[pos])) {
            const std::string level = directory.substr(0, pos);
            if (!DirectoryExists(level))
                ::mkdir(level.c_str(), 0700);
        }
    }
}
}  // namespace

ProgramLayout PortableLayout(std::string directory) {
    directory = WithDelimiter(std::move(directory));
    return ProgramLayout{directory, directory + "quenzor", directory + "real_basic.exe", false};
}

ProgramLayout LayoutOfExecutable(const std::string& executableDirectory) {
    const std::string directory = WithDelimiter(executableDirectory);
    std::optional<std::string> prefix = PrefixBefore(directory, QUENZOR_INSTALL_BINDIR);
    if (!prefix)
        prefix = PrefixBefore(directory, QUENZOR_INSTALL_LIBEXECDIR);
    if (!prefix || !DirectoryExists(*prefix + QUENZOR_INSTALL_DATADIR))
        return PortableLayout(directory);
    return ProgramLayout{WithDelimiter(*prefix + QUENZOR_INSTALL_DATADIR),
                         WithDelimiter(*prefix + QUENZOR_INSTALL_BINDIR) + "quenzor",
                         WithDelimiter(*prefix + QUENZOR_INSTALL_LIBEXECDIR) + "real_basic.exe", true};
}

const ProgramLayout& CurrentLayout() {
    State& state = Current();
    if (!state.layout)
        state.layout = LayoutOfExecutable(ExecutableDirectory());
    return *state.layout;
}

void SetProgramLayout(ProgramLayout layout) {
    Current() = State{std::move(layout), std::nullopt};
}

const std::string& ProgramDirectory() {
    return CurrentLayout().programDirectory;
}

void SetProgramDirectory(std::string directory) {
    SetProgramLayout(PortableLayout(std::move(directory)));
}

std::string ExecutableDirectory() {
    std::string path = QCoreApplication::applicationFilePath().toStdString();
    return ExtractFilePath(path);
}

const std::string& UserFilesDirectory() {
    State& state = Current();
    if (!state.userFiles) {
        const ProgramLayout& layout = CurrentLayout();
        const bool besideProgram =
            !layout.installed && ::access(layout.programDirectory.c_str(), W_OK | X_OK) == 0;
        state.userFiles = besideProgram ? layout.programDirectory : UserConfigDirectory();
    }
    return *state.userFiles;
}

std::string UserConfigDirectory() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    // A relative value is to be ignored, as if unset.
    std::string base = configHome != nullptr && configHome[0] == '/'
                           ? std::string(configHome)
                           : WithDelimiter(HomeDirectory()) + ".config";
    const std::string directory = WithDelimiter(base) + "quenzor/";
    if (!DirectoryExists(directory))
        MakeDirectories(directory);
    return directory;
}

}  // namespace platform
