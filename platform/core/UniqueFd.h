#pragma once
#include <unistd.h>

#include <cstddef>
#include <string>

namespace platform {

// An owned POSIX file descriptor; closing is never forgotten, whatever path leaves the scope.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Gives up ownership: the caller closes the descriptor (and sees the error close reports).
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

// Writes all of `size` bytes, going on after interruptions. False with errno set when the system refuses
// (a write that makes no progress counts as a full disk).
bool WriteAll(int fd, const void* data, std::size_t size);

// A new file of a fresh name: `prefix`, a unique part, then `suffix`. It is created exclusively, opened
// for reading and writing, closed on exec, with `mode` less the umask. On failure the descriptor is not
// valid and errno says why.
struct UniqueFile {
    UniqueFd fd;
    std::string path;
};
UniqueFile CreateUniqueFile(const std::string& prefix, const std::string& suffix, unsigned mode = 0600);

// Removes the files CreateUniqueFile made in `folder` with the name prefix `namePrefix` (no folder part)
// and `suffix` whose process has ended: what a killed process left behind. A file of a process still
// running, or of another form, is left alone. Returns how many were removed; failures are ignored.
int RemoveStaleUniqueFiles(const std::string& folder, const std::string& namePrefix,
                           const std::string& suffix);

}  // namespace platform
