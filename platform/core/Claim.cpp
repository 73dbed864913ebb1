#include "platform/core/Claim.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/Paths.h"

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

UniqueFd OpenClaimFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0644));
    // Another user's claim file in a shared folder: locking needs no write access.
    if (!fd.Valid() && errno == EACCES)
        fd = UniqueFd(::open(path.c_str(), O_RDONLY | kOpenFlags));
    return fd;
}

// A plain file with no other name: writing into it changes nothing but the claim.
bool OnlyAClaim(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

}  // namespace

std::string ClaimPath(const std::string& destination) {
    const std::string name = ExtractFileName(destination);
    std::string claim = "." + name + kClaimSuffix;
    if (claim.size() > kMaxNameBytes) {
        const std::string tail = "~" + NameDigest(name) + kClaimSuffix;
        claim = CutName("." + name, kMaxNameBytes - tail.size()) + tail;
    }
    return ExtractFilePath(destination) + claim;
}

Claim::Claim(const std::string& destination) : path_(ClaimPath(destination)) {
    // A holder removes its file before it unlocks; whoever locked that file meanwhile holds nothing and
    // tries again. A few rounds are plenty: each needs another run to finish in between.
    for (int round = 0; round < 16; ++round) {
        UniqueFd fd = OpenClaimFile(path_);
        if (!fd.Valid()) {
            // A symbolic link in the claim's place (or a folder) is not ours to follow or replace.
            struct stat st {};
            if (errno == ELOOP || (::lstat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
                state_ = State::Refused;
            return;
        }
        if (!OnlyAClaim(fd.Get())) {
            state_ = State::Refused;
            return;
        }
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                state_ = State::HeldByOther;
                holder_ = ReadHolder(fd.Get());
            }
            return;
        }
        struct stat locked {
        }, named{};
        if (::fstat(fd.Get(), &locked) != 0)
            return;
        if (::lstat(path_.c_str(), &named) != 0 || named.st_ino != locked.st_ino ||
            named.st_dev != locked.st_dev)
            continue;
        // Linked to another name after it was opened: still not written through.
        if (!OnlyAClaim(fd.Get())) {
            state_ = State::Refused;
            return;
        }
        const std::string holder = HolderText() + "\n";
        if (::ftruncate(fd.Get(), 0) == 0)
            (void)WriteAll(fd.Get(), holder.data(), holder.size());
        fd_ = std::move(fd);
        state_ = State::Held;
        return;
    }
}

Claim::~Claim() {
    if (state_ == State::Held)
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
