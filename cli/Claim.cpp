#include "cli/Claim.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/Paths.h"

namespace cli {
namespace {

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

platform::UniqueFd OpenClaimFile(const std::string& path) {
    platform::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
    // Another user's claim file in a shared folder: locking needs no write access.
    if (!fd.Valid() && errno == EACCES)
        fd = platform::UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return fd;
}

}  // namespace

std::string ClaimPath(const std::string& destination) {
    return platform::ExtractFilePath(destination) + "." + platform::ExtractFileName(destination) + ".claim";
}

Claim::Claim(const std::string& destination) : path_(ClaimPath(destination)) {
    // A holder removes its file before it unlocks; whoever locked that file meanwhile holds nothing and
    // tries again. A few rounds are plenty: each needs another run to finish in between.
    for (int round = 0; round < 16; ++round) {
        platform::UniqueFd fd = OpenClaimFile(path_);
        if (!fd.Valid())
            return;
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
        if (::stat(path_.c_str(), &named) != 0 || named.st_ino != locked.st_ino ||
            named.st_dev != locked.st_dev)
            continue;
        const std::string holder = HolderText() + "\n";
        if (::ftruncate(fd.Get(), 0) == 0)
            (void)platform::WriteAll(fd.Get(), holder.data(), holder.size());
        fd_ = std::move(fd);
        state_ = State::Held;
        return;
    }
}

Claim::~Claim() {
    if (state_ == State::Held)
        ::unlink(path_.c_str());
}

}  // namespace cli
