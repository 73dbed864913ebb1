#pragma once
#include <unistd.h>

#include <cstddef>

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

}  // namespace platform
