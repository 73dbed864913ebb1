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

#include "encoder/EncodeError.h"
#include "encoder/rm/OutputFile.h"
#include "platform/core/Paths.h"
#include "platform/core/TempFiles.h"

namespace encoder {
namespace fs = std::filesystem;
namespace {

EncodeError DestinationError(const std::string& destination, const std::string& reason) {
    return EncodeError("Cannot write the destination file " + destination + ": " + reason + ".");
}

// Why the destination's folder refused the finished file: when the folder itself went away during the
// encode (removed, or a disk unmounted), that folder is named rather than a missing file.
std::string PlacingReason(const std::string& destination, int error, const std::string& reason) {
    std::error_code ec;
    const fs::path folder =
        fs::path(destination).parent_path().empty() ? fs::path(".") : fs::path(destination).parent_path();
    if (error == ENOENT && !fs::is_directory(folder, ec))
        return "the folder " + folder.string() + " no longer exists";
    return reason;
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

bool WritableFolder(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

// Creates an empty file of a fresh name in `folder` for the destination named `name`; its descriptor
// holds the lock that marks it as being written. On failure the path is empty and errno says why.
platform::UniqueFile CreateUnique(const fs::path& folder, const std::string& name) {
    platform::UniqueFile file =
        platform::CreateUniqueFile((folder / ("." + name + "-")).string(), platform::kTemporarySuffix);
    // The finished file becomes the destination: readable by others like any file the user makes.
    if (file.fd.Valid())
        ::fchmod(file.fd.Get(), 0644);
    return file;
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
    const std::string name = dest.filename().string();
    // What the user agreed to replace: the file there now, or none.
    found_ = platform::IdentityOf(destination);
    platform::RemoveAbandonedTemporaryFiles(folder.string());
    platform::UniqueFile file;
    if (WritableFolder(fs::path(tempDirectory))) {
        // The finished file needs a locked file beside the destination too, when it is copied across: a
        // folder whose file system has no locks is found out now, not after the whole encode.
        if (const platform::UniqueFile probe = CreateUnique(folder, name); probe.fd.Valid())
            ::unlink(probe.path.c_str());
        else if (errno == ENOLCK)
            throw DestinationError(destination, platform::NoLocksReason(folder.string()));
        platform::RemoveAbandonedTemporaryFiles(tempDirectory);
        file = CreateUnique(tempDirectory, name);
        inTemporaryDirectory_ = file.fd.Valid();
    }
    if (!file.fd.Valid())
        file = CreateUnique(folder, name);
    if (!file.fd.Valid())
        throw DestinationError(destination, errno == ENOLCK ? platform::NoLocksReason(folder.string())
                                                            : std::string(std::strerror(errno)));
    path_ = file.path;
    lock_ = std::move(file.fd);
    slot_ = RegisterTemp(path_);
}

TempOutput::~TempOutput() {
    if (!committed_)
        std::remove(path_.c_str());
    UnregisterTemp(slot_);
}

std::string DestinationAppearedError(const std::string& destination) {
    return "The destination file " + destination +
           " was written by another program while it was being converted; that file was kept.";
}

// Moves `from` onto the destination: over the file that was there when the encode began, or where none
// is; a file that another program put there in the meantime is kept. Returns 0 or an errno value.
int TempOutput::PutInPlace(const std::string& from) {
    const platform::FileIdentity now = platform::IdentityOf(destination_);
    if (!now.exists)
        return platform::RenameNoReplace(from, destination_);
    if (now != found_)
        return EEXIST;
    // Between this look and the rename another program could still slip in; nothing closes that gap.
    return ::rename(from.c_str(), destination_.c_str()) == 0 ? 0 : errno;
}

bool TempOutput::Commit(const std::atomic<bool>& stop) {
    const int error = PutInPlace(path_);
    if (error == 0) {
        committed_ = true;
        UnregisterTemp(slot_);
        lock_.Reset();
        return true;
    }
    if (error == EEXIST)
        throw EncodeError(DestinationAppearedError(destination_));
    if (error != EXDEV)
        throw DestinationError(destination_, PlacingReason(destination_, error, std::strerror(error)));
    return CopyAcross(stop);
}

// The temporary folder is on another file system: the file is copied beside the destination first, so
// the destination itself still changes in one step. The copy is written and synced by hand so that a
// full disk is named as such (a library copy reports some failures only as an input/output error).
bool TempOutput::CopyAcross(const std::atomic<bool>& stop) {
    const fs::path dest(destination_);
    const fs::path folder = dest.parent_path().empty() ? fs::path(".") : dest.parent_path();
    platform::UniqueFile nearby = CreateUnique(folder, dest.filename().string());
    if (const int error = errno; !nearby.fd.Valid())
        throw DestinationError(
            destination_, error == ENOLCK ? platform::NoLocksReason(folder.string())
                                          : PlacingReason(destination_, error, rm::FileErrorReason(error)));
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
    // The descriptor stays open, and the file locked, until it has its place.
    if (::fsync(nearby.fd.Get()) != 0)
        throw DestinationError(destination_, rm::FileErrorReason(errno));
    if (const int error = PutInPlace(nearby.path); error == EEXIST)
        throw EncodeError(DestinationAppearedError(destination_));
    else if (error != 0)
        throw DestinationError(destination_, PlacingReason(destination_, error, rm::FileErrorReason(error)));
    cleanup.keep = true;
    committed_ = true;
    std::remove(path_.c_str());
    UnregisterTemp(slot_);
    lock_.Reset();
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

}  // namespace encoder
