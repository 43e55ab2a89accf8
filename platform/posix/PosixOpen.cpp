#include "platform/posix/PosixOpen.h"

#include "platform/PathParts.h"

#include <cerrno>
#include <unistd.h>

namespace kelvanter::posix {

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

EntryKind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::Regular;
    if (S_ISDIR(mode))
        return EntryKind::Directory;
    if (S_ISLNK(mode))
        return EntryKind::Symlink;
    return EntryKind::Other;
}

void flushFolderOf(const std::string& path) {
    const int fd = ::open(pathParts::folderOf(path, "/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

namespace {

// The open descriptor, if it is the expected regular file; else closed, with the refusal.
SysResult<int> verified(int fd, const FileIdentity* expected) {
    if (fd < 0)
        return {-1, errno};
    struct stat info {};
    int refusal = 0;
    if (::fstat(fd, &info) != 0)
        refusal = errno;
    else if (!S_ISREG(info.st_mode))
        refusal = kNotARegularFile;
    else if (expected != nullptr && identityOf(info) != *expected)
        refusal = kFileReplaced;
    if (refusal != 0) {
        ::close(fd);
        return {-1, refusal};
    }
    return {fd, 0};
}

} // namespace

SysResult<int> openVerified(const std::string& path, int flags, const FileIdentity* expected) {
    return verified(::open(path.c_str(), flags | kSafeOpenFlags), expected);
}

SysResult<int> openVerifiedAt(int folder, const std::string& name, int flags, const FileIdentity* expected) {
    return verified(::openat(folder, name.c_str(), flags | kSafeOpenFlags), expected);
}

OverwriteHandle directWhereTaken(int fd) {
    // Direct only once the descriptor is known to be the file: EINVAL then says nothing but that
    // its file system takes no direct writes (tmpfs on older kernels, some FUSE file systems).
    const int flags = ::fcntl(fd, F_GETFL);
    const bool direct = flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
    return {fd, direct ? WriteRoute::Direct : WriteRoute::Buffered};
}

} // namespace kelvanter::posix
