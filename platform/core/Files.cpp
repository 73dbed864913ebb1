#include "platform/core/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/core/Paths.h"
#include "platform/core/TempFiles.h"

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

// The temporary files of writes to `target`: beside it, named after it, hidden.
std::string TemporaryPrefix(const std::string& target) {
    return "." + ExtractFileName(target) + ".";
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    // Not blocking: a pipe in the file's place must not hang the program waiting for a writer.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.Valid())
        FailOpen(path, errno);
    const int fd = file.Get();
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Only plain files are read; a device such as /dev/zero would never end.
        FailOpen(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    if (st.st_size > 0)
        bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FailOpen(path, errno);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
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

    // The new file's permissions start from 0666 less the umask, as for any file the program creates.
    UniqueFile temp =
        CreateUniqueFile(ExtractFilePath(target) + TemporaryPrefix(target), kTemporarySuffix, 0666);
    if (!temp.fd.Valid()) {
        const int error = errno;
        const std::string folder = ExtractFilePath(target);
        if (error == ENOLCK)
            throw EFileError("Cannot create file \"" + path + "\": " + NoLocksReason(folder) + ".", error);
        if (!exists)
            FailCreate(path, error);
        // Rewriting the file where it stands could leave it cut short or empty; it stays as it is.
        throw EFileError("Cannot create file \"" + path + "\". " + SystemReason(error) +
                             ": no new file can be made in \"" +
                             (folder.empty() ? std::string(".") : folder) +
                             "\" to replace it safely, so it was left as it was.",
                         error);
    }
    const int fd = temp.fd.Get();
    const std::string& tempPath = temp.path;
    if (exists) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner's own rights can be kept; the mode above already matches.
        }
    }
    if (!WriteAll(fd, bytes.data(), bytes.size()) || ::fsync(fd) != 0) {
        int error = errno;
        ::unlink(tempPath.c_str());
        FailCreate(path, error);
    }
    // The content is on disk before the rename, so after a crash the name holds the old file or the new one,
    // each whole. The folder is not synced: losing the newest rename is acceptable, and saves come in bursts.
    // The descriptor, and with it the lock that keeps sweeps away, stays open until the rename is done.
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(tempPath.c_str());
        FailCreate(path, error);
    }
}

void RemoveStaleTemporaryFiles(const std::string& path) {
    RemoveAbandonedTemporaryFiles(ExtractFilePath(ResolveLink(path)));
}

}  // namespace platform
