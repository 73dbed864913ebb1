#include "encoder/SafeOutput.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>

#include "encoder/EncodeError.h"
#include "encoder/rm/OutputFile.h"
#include "platform/core/UniqueFd.h"

namespace encoder {
namespace fs = std::filesystem;
namespace {

EncodeError DestinationError(const std::string& destination, const std::string& reason) {
    return EncodeError("Cannot write the destination file " + destination + ": " + reason + ".");
}

// The temporary files of the encodes under way, for the signal handler: fixed slots, no allocation, so
// that the handler may read them at any moment.
struct TempSlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    char path[PATH_MAX] = {};
};
std::array<TempSlot, 32> tempSlots;

int RegisterTemp(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < static_cast<int>(tempSlots.size()); ++i) {
        int expected = 0;
        if (tempSlots[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(tempSlots[i].path, path.c_str(), path.size() + 1);
            tempSlots[i].state.store(2, std::memory_order_release);
            return i;
        }
    }
    return -1;  // more encodes at once than slots: that file is not removed on a signal
}

void UnregisterTemp(int& slot) {
    if (slot >= 0)
        tempSlots[static_cast<std::size_t>(slot)].state.store(0, std::memory_order_release);
    slot = -1;
}

extern "C" void RemoveTempsAndEnd(int sig) {
    for (TempSlot& slot : tempSlots)
        if (slot.state.load(std::memory_order_acquire) == 2)
            ::unlink(slot.path);
    // End the way the signal would have ended the program.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// The process id in the name of one of our temporary files, ".<destination name>-<process id>-<counter>-
// <random>.tmp"; 0 when the name is not of that form.
long TempOwner(const std::string& name) {
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() < 2 + kSuffix.size() || name[0] != '.' || !name.ends_with(kSuffix))
        return 0;
    std::string_view rest(name.data(), name.size() - kSuffix.size());
    long owner = 0;
    for (int field = 0; field < 3; ++field) {
        const std::size_t dash = rest.rfind('-');
        if (dash == std::string_view::npos || dash + 1 == rest.size() || dash < 2)
            return 0;
        const std::string_view digits = rest.substr(dash + 1);
        if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return 0;
        if (field == 2)
            owner = std::stol(std::string(digits));
        rest = rest.substr(0, dash);
    }
    return owner;
}

bool WritableFolder(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

// Creates an empty file of a fresh name in `folder`; returns its path, or "" with errno set.
std::string CreateUnique(const fs::path& folder, const std::string& stem) {
    platform::UniqueFile file = platform::CreateUniqueFile((folder / (stem + "-")).string(), ".tmp");
    // The finished file becomes the destination: readable by others like any file the user makes.
    if (file.fd.Valid())
        fchmod(file.fd.Get(), 0644);
    return file.path;
}

}  // namespace

TempOutput::TempOutput(const std::string& destination, const std::string& tempDirectory)
    : destination_(destination) {
    std::error_code ec;
    const fs::path dest(destination);
    if (fs::is_directory(dest, ec))
        throw DestinationError(destination, "it is a folder");
    fs::path folder = dest.parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, ec))
        throw DestinationError(destination, "the folder " + folder.string() + " does not exist");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw DestinationError(destination, "the folder " + folder.string() + " cannot be written to (" +
                                                std::strerror(errno) + ")");
    const std::string stem = "." + dest.filename().string();
    RemoveStaleTemporaryFiles(folder.string());
    if (WritableFolder(fs::path(tempDirectory))) {
        RemoveStaleTemporaryFiles(tempDirectory);
        path_ = CreateUnique(tempDirectory, stem);
        inTemporaryDirectory_ = !path_.empty();
    }
    if (path_.empty())
        path_ = CreateUnique(folder, stem);
    if (path_.empty())
        throw DestinationError(destination, std::strerror(errno));
    slot_ = RegisterTemp(path_);
}

TempOutput::~TempOutput() {
    if (!committed_)
        std::remove(path_.c_str());
    UnregisterTemp(slot_);
}

bool TempOutput::Commit(const std::atomic<bool>& stop) {
    std::error_code ec;
    fs::rename(path_, destination_, ec);
    if (!ec) {
        committed_ = true;
        UnregisterTemp(slot_);
        return true;
    }
    if (ec != std::errc::cross_device_link)
        throw DestinationError(destination_, ec.message());
    return CopyAcross(stop);
}

// The temporary folder is on another file system: the file is copied beside the destination first, so
// the destination itself still changes in one step. The copy is written and synced by hand so that a
// full disk is named as such (a library copy reports some failures only as an input/output error).
bool TempOutput::CopyAcross(const std::atomic<bool>& stop) {
    const fs::path dest(destination_);
    const fs::path folder = dest.parent_path().empty() ? fs::path(".") : dest.parent_path();
    platform::UniqueFile nearby =
        platform::CreateUniqueFile((folder / ("." + dest.filename().string() + "-")).string(), ".tmp");
    if (!nearby.fd.Valid())
        throw DestinationError(destination_, rm::FileErrorReason(errno));
    int nearbySlot = RegisterTemp(nearby.path);
    struct Cleanup {
        platform::UniqueFile& file;
        int& slot;
        bool keep = false;
        ~Cleanup() {
            if (!keep)
                ::unlink(file.path.c_str());
            UnregisterTemp(slot);
        }
    } cleanup{nearby, nearbySlot};
    // The finished file becomes the destination: readable by others like any file the user makes.
    ::fchmod(nearby.fd.Get(), 0644);
    const platform::UniqueFd source(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.Valid())
        throw DestinationError(destination_, rm::FileErrorReason(errno));
    std::array<char, 1 << 16> buffer;
    for (;;) {
        if (stop)
            return false;
        const ssize_t n = ::read(source.Get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw DestinationError(destination_, rm::FileErrorReason(errno));
        if (n == 0)
            break;
        if (!platform::WriteAll(nearby.fd.Get(), buffer.data(), static_cast<std::size_t>(n)))
            throw DestinationError(destination_, rm::FileErrorReason(errno));
    }
    if (stop)
        return false;
    if (::fsync(nearby.fd.Get()) != 0 || ::close(nearby.fd.Release()) != 0)
        throw DestinationError(destination_, rm::FileErrorReason(errno));
    if (::rename(nearby.path.c_str(), destination_.c_str()) != 0)
        throw DestinationError(destination_, rm::FileErrorReason(errno));
    cleanup.keep = true;
    committed_ = true;
    std::remove(path_.c_str());
    UnregisterTemp(slot_);
    return true;
}

void RemoveTemporaryFilesOnSignals() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
                continue;
            struct sigaction action {};
            action.sa_handler = RemoveTempsAndEnd;
            sigemptyset(&action.sa_mask);
            ::sigaction(sig, &action, nullptr);
        }
    });
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const long pid = TempOwner(it->path().filename().string());
        if (pid <= 0 || pid == ::getpid())
            continue;
        // Only a process that no longer exists cannot be using it; a reused process id keeps the file.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
}

}  // namespace encoder
