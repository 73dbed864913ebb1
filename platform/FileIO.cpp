#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/Paths.h"

namespace platform {
namespace {

std::string SystemReason(int error) {
    return std::strerror(error);
}

[[noreturn]] void FailOpen(const std::string& path, int error) {
    throw EFileError("Cannot open file \"" + path + "\". " + SystemReason(error), error);
}

[[noreturn]] void FailCreate(const std::string& path, int error) {
    throw EFileError("Cannot create file \"" + path + "\". " + SystemReason(error), error);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// A symbolic link keeps pointing at the same file: the new content replaces the file it names.
std::string ResolveLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

// Opens a fresh temporary file beside `target`; its permissions start from 0666 less the umask.
int CreateTemporaryBeside(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    const std::string base = ExtractFilePath(target) + "." + ExtractFileName(target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = base + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                   std::to_string(random() % 1000000) + ".tmp";
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Last resort for a writable file in a folder where no temporary file can be made.
void RewriteInPlace(const std::string& path, const std::string& target, std::string_view bytes) {
    int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        FailCreate(path, errno);
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        int error = errno;
        ::close(fd);
        FailCreate(path, error);
    }
    ::close(fd);
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    // Not blocking: a pipe in the file's place must not hang the program waiting for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        FailOpen(path, errno);
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Only plain files are read; a device such as /dev/zero would never end.
        int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        FailOpen(path, error);
    }
    if (st.st_size > 0)
        bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            FailOpen(path, error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = ResolveLink(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        FailCreate(path, EISDIR);
    // The rename would happily replace a read-only file; it must stay as protected as before.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        FailCreate(path, errno);

    std::string tempPath;
    int fd = CreateTemporaryBeside(target, tempPath);
    if (fd < 0) {
        int error = errno;
        if (exists && (error == EACCES || error == EPERM || error == EROFS)) {
            RewriteInPlace(path, target, bytes);
            return;
        }
        FailCreate(path, error);
    }
    if (exists) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner's own rights can be kept; the mode above already matches.
        }
    }
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        int error = errno;
        ::close(fd);
        ::unlink(tempPath.c_str());
        FailCreate(path, error);
    }
    ::close(fd);
    // The content is on disk before the rename, so after a crash the name holds the old file or the new one,
    // each whole. The folder is not synced: losing the newest rename is acceptable, and saves come in bursts.
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(tempPath.c_str());
        FailCreate(path, error);
    }
}

}  // namespace platform
