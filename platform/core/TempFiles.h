#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/core/UniqueFd.h"

// Temporary files and the locks that mark them as being written: how they are named, made, committed
// under their final name and swept up after a process that was killed.
namespace platform {

// The suffix of every temporary file we write beside a user's files; the sweep knows ours by it.
inline constexpr std::string_view kTemporarySuffix = ".tmp";

// The longest file name (one path component) the file systems we write to accept, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// 16 hexadecimal digits that stand for `text` (FNV-1a), the same on every machine: for names made from
// other names.
std::string NameDigest(std::string_view text);

// flock(2), through which every lock of ours is taken. No file system a test can reach refuses locks, so
// tests put a call of their own in its place; ReplaceLockCall returns the call it replaces.
int LockFile(int fd, int operation);
using LockCall = int (*)(int fd, int operation);
LockCall ReplaceLockCall(LockCall call);

// Whether `error`, from a lock, says that the file system has no locks at all (some network file
// systems): waiting or another name would not help.
bool NoLocksError(int error);
// Why nothing can be written safely in `folder` when its file system has no locks, for the user.
std::string NoLocksReason(const std::string& folder);

// A new temporary file: `prefix` (a folder part and the start of the name), a unique part, then `suffix`.
// It is created exclusively, opened for reading and writing, closed on exec, with `mode` less the umask,
// and locked (flock) for as long as the descriptor stays open: the lock, not a process id, says the file
// is still being written, so that it holds across PID namespaces and, where the file system has locks,
// across machines. The start of the name is shortened when the whole would not fit in kMaxNameBytes; its
// last character stays, so that the sweep still knows the name. On failure the descriptor is not valid
// and errno says why: ENOLCK when the file system has no locks, and then no file is left behind.
struct UniqueFile {
    UniqueFd fd;
    std::string path;
};
UniqueFile CreateUniqueFile(const std::string& prefix, std::string_view suffix, unsigned mode = 0600);

// Gives `from` the name `to` only where no file has it: 0, or an errno value (EEXIST when one appeared).
// Where the file system has neither a rename that refuses to replace nor hard links (FAT), the last look
// and the rename are two steps.
int RenameNoReplace(const std::string& from, const std::string& to);

// Removes from `folder` the temporary files that CreateUniqueFile made with kTemporarySuffix and that
// nobody writes any more (their lock is free): what a killed or cut-off process left behind. A file is
// taken for ours only when its name has the form our prefixes give (".", the name the file was made for,
// "." or "-"), its unique part carries the check that CreateUniqueFile puts there, it is a plain file of
// this user and its lock can be taken; anything else is left alone. Returns how many were removed;
// failures are ignored.
int RemoveAbandonedTemporaryFiles(const std::string& folder);

}  // namespace platform
