#pragma once
#include <string>

#include "platform/core/UniqueFd.h"

namespace platform {

// A local socket that only this user meets at. Another user may create names in a shared folder first,
// so every step checks who owns what it uses: the folder, the lock file, the socket file and the process
// at the other end.

// Whether `path` is a folder itself (not a link to one) of this user that no one else may enter.
bool IsPrivateFolder(const std::string& path);

// This user's private folder for sockets: $XDG_RUNTIME_DIR, else Qt's <temp>/runtime-<user> (made when
// absent), else <temp>/<fallbackName>-<uid> (made when absent); the first that is private. Empty when none
// is: the name is taken by someone else.
std::string PrivateRuntimeFolder(const std::string& fallbackName);

// The lock file at `path`, made when absent, never followed through a link; not valid unless it is a plain
// file of this user.
UniqueFd OpenOwnLockFile(const std::string& path);

// Whether `path` itself is a socket file of this user.
bool IsOwnSocket(const std::string& path);

// Whether the process at the other end of the connected local socket `fd` runs as this user.
bool PeerIsThisUser(int fd);

// A new listening socket at `path`, non-blocking and closed on exec. Whatever is at `path` already stays
// as it is: then the socket is not valid and errno is EADDRINUSE.
UniqueFd ListenAt(const std::string& path);

// A connection to the socket at `path` when that is a socket file of this user and the process that
// answers runs as this user; not valid otherwise (errno ENOENT or ECONNREFUSED: nobody listens there;
// EPERM: someone else's). Connecting, sending and receiving give up after `timeoutMs` (errno EAGAIN).
UniqueFd ConnectToOwn(const std::string& path, int timeoutMs);

}  // namespace platform
