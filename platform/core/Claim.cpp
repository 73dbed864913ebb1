#include "platform/core/Claim.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"
#include "platform/core/TempFiles.h"

namespace platform {
namespace {

constexpr const char* kClaimSuffix = ".claim";

std::string HolderText() {
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0)
        host[0] = '\0';
    return "process " + std::to_string(::getpid()) + " on " + (host[0] ? host : "this machine");
}

std::string ReadHolder(int fd) {
    char text[256] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    std::string holder = n > 0 ? std::string(text, static_cast<std::size_t>(n)) : "";
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r'))
        holder.pop_back();
    // Caught between its lock and its write: the holder has not signed yet.
    return holder.empty() ? "another run" : holder;
}

// Never through a link, never blocking on a pipe that took the name.
constexpr int kOpenFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;

// A claim file that is already there; another user's in a shared folder is opened for locking only,
// which needs no write access.
UniqueFd OpenExistingClaimFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | kOpenFlags));
    if (!fd.Valid() && errno == EACCES)
        fd = UniqueFd(::open(path.c_str(), O_RDONLY | kOpenFlags));
    return fd;
}

// A plain file with no other name: writing into it changes nothing but the claim.
bool OnlyAClaim(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

bool Digits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A claim file some run of ours wrote, "process 1234 on host" (or, from older runs, "1234 host"), in a
// plain file of this user with no other name: only such a file may be emptied, signed and removed. Any
// other file of that name is the user's, whatever it is called.
bool WrittenByUs(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != ::geteuid() ||
        st.st_size <= 0 || st.st_size > 255)
        return false;
    char bytes[256] = {};
    const ssize_t n = ::pread(fd, bytes, sizeof bytes, 0);
    if (n != st.st_size)
        return false;
    std::string_view text(bytes, static_cast<std::size_t>(n));
    if (text.ends_with('\n'))
        text.remove_suffix(1);
    if (text.empty() || text.find_first_of("\n\r") != std::string_view::npos)
        return false;
    constexpr std::string_view kProcess = "process ", kOn = " on ";
    if (text.starts_with(kProcess)) {
        const std::size_t on = text.find(kOn);
        return on != std::string_view::npos && Digits(text.substr(kProcess.size(), on - kProcess.size())) &&
               on + kOn.size() < text.size();
    }
    const std::size_t space = text.find(' ');
    return space != std::string_view::npos && Digits(text.substr(0, space)) && space + 1 < text.size() &&
           text.find(' ', space + 1) == std::string_view::npos;
}

// A new claim file, locked and signed under a name of its own before it takes the claim's name, so that
// no other run ever finds it unsigned. Not valid when the name is taken (errno EEXIST) or no locked file
// can be made there (errno says why; nothing is left behind).
UniqueFd CreateClaimFile(const std::string& path) {
    UniqueFile file = CreateUniqueFile(path + "-", kTemporarySuffix, 0644);
    if (!file.fd.Valid())
        return {};
    const std::string holder = HolderText() + "\n";
    int error = WriteAll(file.fd.Get(), holder.data(), holder.size()) ? 0 : errno;
    if (error == 0)
        error = RenameNoReplace(file.path, path);
    if (error == 0)
        return std::move(file.fd);
    ::unlink(file.path.c_str());
    errno = error;
    return {};
}

// The descriptor and the claim's name refer to the same file.
bool StillNamed(int fd, const std::string& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
           named.st_dev == held.st_dev;
}

}  // namespace

std::string ClaimPath(const std::string& destination) {
    const std::string name = ExtractFileName(destination);
    std::string claim = "." + name + kClaimSuffix;
    if (claim.size() > kMaxNameBytes) {
        const std::string tail = "~" + NameDigest(name) + kClaimSuffix;
        claim = CutUtf8("." + name, kMaxNameBytes - tail.size()) + tail;
    }
    return ExtractFilePath(destination) + claim;
}

Claim::Claim(const std::string& destination) : path_(ClaimPath(destination)) {
    // A holder removes its file before it unlocks; whoever locked that file meanwhile holds nothing and
    // tries again. A few rounds are plenty: each needs another run to finish in between.
    for (int round = 0; round < 16; ++round) {
        if (UniqueFd fd = CreateClaimFile(path_); fd.Valid()) {
            fd_ = std::move(fd);
            owned_ = true;
            state_ = State::Held;
            return;
        }
        // No locks there: the file just made is gone already, and any other would mark nothing.
        const int createError = errno;
        if (createError == ENOLCK)
            return;
        // Taken, or no new file can be made there (another user's folder): an existing claim still counts.
        UniqueFd fd = OpenExistingClaimFile(path_);
        if (!fd.Valid()) {
            if (errno == ENOENT && createError == EEXIST)
                continue;  // its holder removed it meanwhile
            // A symbolic link in the claim's place (or a folder) is not ours to follow or replace.
            struct stat st {};
            if (errno == ELOOP || (::lstat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
                state_ = State::Refused;
            return;
        }
        // Locked first: a run whose new claim is still linked under two names already holds its lock.
        if (LockFile(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                state_ = State::HeldByOther;
                holder_ = ReadHolder(fd.Get());
            }
            return;
        }
        if (!StillNamed(fd.Get(), path_))
            continue;
        if (!OnlyAClaim(fd.Get())) {
            state_ = State::Refused;
            return;
        }
        // A claim a run of ours left behind is taken over; a file of the user's that merely has the name
        // is held by its lock alone, never emptied or removed.
        owned_ = WrittenByUs(fd.Get());
        if (owned_) {
            const std::string holder = HolderText() + "\n";
            if (::ftruncate(fd.Get(), 0) == 0)
                (void)WriteAll(fd.Get(), holder.data(), holder.size());
        }
        fd_ = std::move(fd);
        state_ = State::Held;
        return;
    }
}

Claim::~Claim() {
    if (state_ == State::Held && owned_)
        ::unlink(path_.c_str());
}

std::string Claim::RefusalText() const {
    return path_ +
           " is a link or not a plain file, so it cannot mark the conversion as under way; the file "
           "was not converted. Remove " +
           path_ + " if nothing of yours needs it.";
}

void RemoveAbandonedClaim(const std::string& destination) {
    struct stat st {};
    if (::lstat(ClaimPath(destination).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    // Taking it over and letting it go removes it; a claim another run holds stays.
    const Claim claim(destination);
}

}  // namespace platform
