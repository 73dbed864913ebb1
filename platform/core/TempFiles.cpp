#include "platform/core/TempFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <random>

#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace platform {
namespace {
std::atomic<LockCall> lockCall{&::flock};
}  // namespace

int LockFile(int fd, int operation) {
    return lockCall.load()(fd, operation);
}

LockCall ReplaceLockCall(LockCall call) {
    return lockCall.exchange(call);
}

bool NoLocksError(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

std::string NoLocksReason(const std::string& folder) {
    return "the file system of the folder " + (folder.empty() ? std::string(".") : folder) +
           " has no file locks, which mark a file while it is written, so nothing is written there";
}

namespace {
std::string Hex(std::uint64_t value, std::size_t digits) {
    std::string text(digits, '0');
    for (std::size_t i = digits; i > 0; --i, value >>= 4)
        text[i - 1] = "0123456789abcdef"[value & 15];
    return text;
}

// The unique part of a temporary name: 16 hexadecimal digits of chance, then 8 of a check over them.
// A name somebody gives a file of their own does not carry the check by accident.
constexpr std::size_t kRandomDigits = 16;
constexpr std::size_t kCheckDigits = 8;

std::string Check(std::string_view randomDigits) {
    return NameDigest("quenzor temporary file " + std::string(randomDigits)).substr(0, kCheckDigits);
}

std::string UniquePart(std::uint64_t random) {
    const std::string digits = Hex(random, kRandomDigits);
    return digits + Check(digits);
}

// What our prefixes look like: ".", at least one byte of the name the file is made for, then "." or "-".
// A user's "notes-<digits>.tmp" is no temporary file of ours, whatever its digits.
bool IsOurName(std::string_view name) {
    constexpr std::size_t unique = kRandomDigits + kCheckDigits;
    if (name.size() < 3 + unique + kTemporarySuffix.size() || !name.ends_with(kTemporarySuffix))
        return false;
    const std::size_t start = name.size() - kTemporarySuffix.size() - unique;
    if (name.front() != '.' || (name[start - 1] != '.' && name[start - 1] != '-'))
        return false;
    const std::string_view part = name.substr(start, unique);
    if (part.find_first_not_of("0123456789abcdef") != std::string_view::npos)
        return false;
    return part.substr(kRandomDigits) == Check(part.substr(0, kRandomDigits));
}

// The descriptor and the name refer to the same file.
bool StillNamed(int fd, int dirFd, const char* name) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

std::string NameDigest(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return Hex(hash, 16);
}

UniqueFile CreateUniqueFile(const std::string& prefix, std::string_view suffix, unsigned mode) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::size_t slash = prefix.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : prefix.substr(0, slash + 1);
    const std::string start = prefix.substr(folder.size());
    const std::size_t room =
        kMaxNameBytes - kRandomDigits - kCheckDigits - std::min(suffix.size(), kMaxNameBytes / 2);
    const std::string namePrefix =
        folder +
        (start.size() <= room ? start : CutUtf8(start.substr(0, start.size() - 1), room - 1) + start.back());
    UniqueFile file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.path = namePrefix + UniquePart(random()) + std::string(suffix);
        file.fd = UniqueFd(::open(file.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!file.fd.Valid()) {
            if (errno != EEXIST)
                break;
            continue;
        }
        // A sweep may have locked the new file before us and removed it: then another name is taken.
        if (LockFile(file.fd.Get(), LOCK_EX | LOCK_NB) == 0) {
            if (StillNamed(file.fd.Get(), AT_FDCWD, file.path.c_str()))
                return file;
        } else if (const int error = errno; error != EWOULDBLOCK) {
            // Unlocked, the file would look abandoned to every sweep, and no other name fares better: it
            // goes at once (nobody else can have locked it), and so do the attempts.
            if (StillNamed(file.fd.Get(), AT_FDCWD, file.path.c_str()))
                ::unlink(file.path.c_str());
            file.fd.Reset();
            file.path.clear();
            errno = NoLocksError(error) ? ENOLCK : error;
            return file;
        }
        file.fd.Reset();
        errno = EEXIST;
    }
    file.fd.Reset();
    file.path.clear();
    return file;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without that kind of rename (NFS): a hard link is made only where no name is.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    // ENOTSUP and EOPNOTSUPP are one value on Linux, two on other systems.
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)  // NOLINT(misc-redundant-expression)
        return errno;
    // Neither (FAT): the last look and the rename are two steps.
    if (IdentityOf(to).exists)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveAbandonedTemporaryFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsOurName(entry->d_name))
            continue;
        // Opened for writing because a lock on a network file system needs it; never a link, and never
        // blocking on a pipe that took the name.
        const UniqueFd fd(
            ::openat(::dirfd(dir), entry->d_name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != user)
            continue;
        // Whoever writes the file holds its lock until the file is renamed or removed.
        if (LockFile(fd.Get(), LOCK_EX | LOCK_NB) != 0 || !StillNamed(fd.Get(), ::dirfd(dir), entry->d_name))
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace platform
