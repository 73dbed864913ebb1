#include "platform/core/UserSocket.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/core/TempFiles.h"

namespace platform {
namespace {

std::string TempFolder() {
    // As Qt's QDir::tempPath() finds it, so that its runtime folder is the one Qt would use.
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp != nullptr && temp[0] != '\0' ? temp : "/tmp";
    while (folder.size() > 1 && IsPathDelimiter(folder.back()))
        folder.pop_back();
    return folder;
}

std::string UserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0')
        return found->pw_name;
    return std::to_string(::geteuid());
}

// `path`, made private when absent; an existing name is used only when it is private already.
bool MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsPrivateFolder(path);
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

}  // namespace

bool IsPrivateFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

std::string PrivateRuntimeFolder(const std::string& fallbackName) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && IsPrivateFolder(runtime))
        return runtime;
    const std::string temp = TempFolder();
    for (const std::string& folder :
         {temp + "/runtime-" + UserName(), temp + "/" + fallbackName + "-" + std::to_string(::geteuid())}) {
        if (MakePrivateFolder(folder))
            return folder;
    }
    return {};
}

UniqueFd OpenOwnLockFile(const std::string& path) {
    UniqueFd fd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
    struct stat st {};
    if (fd.Valid() && (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())) {
        fd.Reset();
        errno = EPERM;
    }
    return fd;
}

bool IsOwnSocket(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

bool PeerIsThisUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
}

UniqueFd ListenAt(const std::string& path) {
    sockaddr_un address;
    if (!FillAddress(path, address))
        return {};
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    // bind() fails on any name that exists: nothing of the user's is ever replaced.
    if (!fd.Valid() || ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    // Only this user connects; the folder is private already, and every peer is checked besides.
    ::chmod(path.c_str(), 0600);
    if (::listen(fd.Get(), SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        errno = error;
        return {};
    }
    return fd;
}

UniqueFd ConnectToOwn(const std::string& path, int timeoutMs) {
    sockaddr_un address;
    if (!FillAddress(path, address))
        return {};
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    if (!S_ISSOCK(st.st_mode) || st.st_uid != ::geteuid()) {
        errno = EPERM;
        return {};
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        return {};
    const timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    for (const int option : {SO_SNDTIMEO, SO_RCVTIMEO})
        ::setsockopt(fd.Get(), SOL_SOCKET, option, &timeout, sizeof timeout);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    // The file was ours a moment ago; the process that answers must be too.
    if (!PeerIsThisUser(fd.Get())) {
        errno = EPERM;
        return {};
    }
    return fd;
}

}  // namespace platform
