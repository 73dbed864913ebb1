#include "platform/core/UniqueFd.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <random>

namespace platform {

bool WriteAll(int fd, const void* data, std::size_t size) {
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

UniqueFile CreateUniqueFile(const std::string& prefix, const std::string& suffix, unsigned mode) {
    // The process id and a counter keep this process's names apart; the random part keeps them apart from
    // names another process (or a killed earlier run) chose.
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    UniqueFile file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.path = prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                    std::to_string(random() % 1000000) + suffix;
        file.fd = UniqueFd(::open(file.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (file.fd.Valid() || errno != EEXIST)
            break;
    }
    if (!file.fd.Valid())
        file.path.clear();
    return file;
}

}  // namespace platform
