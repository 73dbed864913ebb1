#include "support/FileHelpers.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace testsupport {

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str());
}

ScratchDir::ScratchDir() {
    // Set QUENZOR_KEEP_TEST_FILES to look at a test's files with other tools afterwards.
    dir_.setAutoRemove(!qEnvironmentVariableIsSet("QUENZOR_KEEP_TEST_FILES"));
    ::chmod(dir_.path().toLocal8Bit().constData(), 0777);
}

ScratchDir::~ScratchDir() {
    // Qt's listing leaves out names that are not UTF-8, so it could not remove them.
    if (dir_.autoRemove()) {
        std::error_code ec;
        std::filesystem::remove_all(Path(), ec);
    }
}

std::string ScratchDir::Path() const {
    return dir_.path().toStdString() + "/";
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QString::fromStdString(folder))
             .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        names.push_back(name.toStdString());
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
std::string RunCaught(const std::function<std::string()>& work) {
    try {
        return work();
    } catch (const std::exception& e) {
        return std::string("exception: ") + e.what();
    }
}
}  // namespace

std::string RunUnprivileged(const std::function<std::string()>& work) {
    if (::geteuid() != 0)
        return RunCaught(work);
    int fds[2];
    if (::pipe(fds) != 0)
        return "exception: pipe failed";
    pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(2);
        std::string result = RunCaught(work);
        ssize_t written = ::write(fds[1], result.data(), result.size());
        ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 3);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "exception: child failed";
    return result;
}

}  // namespace testsupport
