#pragma once

#include "platform/FileServices.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace kelvanter::posix {

// O_NONBLOCK keeps a FIFO that slipped in from blocking the open; it changes nothing for regular files.
inline constexpr int kSafeOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

FileIdentity identityOf(const struct stat& info);
EntryKind kindOf(mode_t mode);

// The errno of the call that just failed.
inline SysStatus lastError() {
    return {errno};
}

// Commits the entries of the folder that holds `path`; file systems that cannot flush a folder
// are not an error here.
void flushFolderOf(const std::string& path);

// Opens `path` with `flags` and checks on the open descriptor that it is the expected regular file.
// Returns the descriptor, or the errno of the open or of the refusal (the descriptor is then closed).
SysResult<int> openVerified(const std::string& path, int flags, const FileIdentity* expected);
// The same for the name in the held folder.
SysResult<int> openVerifiedAt(int folder, const std::string& name, int flags, const FileIdentity* expected);

// The descriptor opened for the passes, switched to direct writes where its file system takes them.
OverwriteHandle directWhereTaken(int fd);

} // namespace kelvanter::posix
