#include "platform/Spawn.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace platform {
namespace {
bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

void CloseFrom(int first, int end) {
    for (int fd = first; fd < end; ++fd)
        ::close(fd);
}
}  // namespace

std::string FindProgram(const std::string& name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* variable = std::getenv("PATH");
    const std::string path = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t at = 0; at <= path.size();) {
        std::size_t end = path.find(':', at);
        if (end == std::string::npos)
            end = path.size();
        // An empty entry would mean the current folder: a program is never taken from wherever we stand.
        const std::string dir = path.substr(at, end - at);
        at = end + 1;
        if (!dir.empty() && IsExecutableFile(dir + "/" + name))
            return dir + "/" + name;
    }
    return {};
}

bool SpawnDetached(const std::vector<std::string>& command) {
    if (command.empty())
        return false;
    const std::string program = FindProgram(command.front());
    if (program.empty())
        return false;
    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    rlimit files{};
    const int openMax = ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < 65536
                            ? static_cast<int>(files.rlim_cur)
                            : 65536;
    // The started program's exec failure comes back through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // From here on only calls that are safe in the child of a program with threads. The child starts
        // the program as a grandchild and ends at once, so the program is nobody's child of ours.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            sigset_t none;
            ::sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            for (int signal = 1; signal < NSIG; ++signal)
                ::signal(signal, SIG_DFL);
            // Our locks, sockets and files must not live on in the player.
            if (::close_range(3, static_cast<unsigned>(report[1]) - 1, 0) != 0 ||
                ::close_range(static_cast<unsigned>(report[1]) + 1, ~0U, 0) != 0) {
                CloseFrom(3, report[1]);
                CloseFrom(report[1] + 1, openMax);
            }
            ::execve(program.c_str(), argv.data(), environ);
        }
        if (grandchild > 0)
            ::_exit(0);
        // The exec or the second fork failed.
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform
