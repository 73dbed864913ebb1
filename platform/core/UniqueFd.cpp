#include "platform/core/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string_view>

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

namespace {
// Reads a run of decimal digits at the start of `text`; false when there is none or it overflows.
bool TakeNumber(std::string_view& text, unsigned long long& value) {
    size_t n = 0;
    value = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') {
        if (value > (~0ull - 9) / 10)
            return false;
        value = value * 10 + static_cast<unsigned>(text[n] - '0');
        ++n;
    }
    text.remove_prefix(n);
    return n > 0;
}

// The process id in a name of CreateUniqueFile's form: prefix, pid "-" counter "-" random, suffix.
bool UniqueNameProcess(std::string_view name, std::string_view prefix, std::string_view suffix, pid_t& pid) {
    if (name.size() < prefix.size() + suffix.size() || name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - suffix.size()) != suffix) {
        return false;
    }
    std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    unsigned long long id = 0, counter = 0, random = 0;
    if (!TakeNumber(middle, id) || middle.empty() || middle.front() != '-')
        return false;
    middle.remove_prefix(1);
    if (!TakeNumber(middle, counter) || middle.empty() || middle.front() != '-')
        return false;
    middle.remove_prefix(1);
    if (!TakeNumber(middle, random) || !middle.empty() || id == 0 || id > 0x7fffffffull)
        return false;
    pid = static_cast<pid_t>(id);
    return true;
}

bool ProcessEnded(pid_t pid) {
    // A process of another user still answers EPERM: it is running.
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}
}  // namespace

int RemoveStaleUniqueFiles(const std::string& folder, const std::string& namePrefix,
                           const std::string& suffix) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        pid_t pid = 0;
        if (UniqueNameProcess(entry->d_name, namePrefix, suffix, pid) && ProcessEnded(pid) &&
            ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

}  // namespace platform
