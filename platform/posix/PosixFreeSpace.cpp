// What overwriting a file system's free space needs on Linux: its space, syncfs, a private
// folder held by flock, and new files written straight to the device.
#include "platform/PathParts.h"
#include "platform/posix/PosixFileServices.h"
#include "platform/posix/PosixOpen.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanter {

namespace {

// The folder, open and locked for this process alone; EBUSY where another holds the lock.
SysResult<FileHandle> lockedFolder(const char* path, int flags) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    if (fd < 0)
        return {-1, errno};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return {-1, error};
    }
    return {fd, 0};
}

} // namespace

SysStatus PosixFileServices::flushFileSystem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {errno};
    const int flushed = ::syncfs(fd);
    const int error = flushed == 0 ? 0 : errno;
    ::close(fd);
    return {error};
}

SysStatus PosixFileServices::createPrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0)
        return {errno};
    return {};
}

SysStatus PosixFileServices::removeEmptyFolder(const std::string& path) {
    if (::rmdir(path.c_str()) != 0)
        return {errno};
    posix::flushFolderOf(path);
    return {};
}

SysResult<FileHandle> PosixFileServices::lockFolder(const std::string& path) {
    return lockedFolder(path.c_str(), O_NOFOLLOW);
}

SysResult<FileHandle> PosixFileServices::createNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | posix::kSafeOpenFlags, 0600);
    if (fd < 0)
        return {-1, errno};
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_DIRECT); // where the file system refuses, through the cache
    return {fd, 0};
}

SysResult<std::int64_t> PosixFileServices::writeData(FileHandle handle, const void* data, std::size_t size,
                                                     std::int64_t offset) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(handle, bytes + done, size - done, offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return {static_cast<std::int64_t>(done), errno};
        if (written == 0)
            return {static_cast<std::int64_t>(done), ENOSPC};
        done += static_cast<std::size_t>(written);
    }
    return {static_cast<std::int64_t>(done), 0};
}

// The root of the file system that holds the path: the last folder on the way up on its device.
std::string mountRootOf(const std::string& path) {
    struct stat here {};
    if (::stat(path.c_str(), &here) != 0)
        return {};
    std::string folder = path;
    for (int depth = 0; depth < 256 && folder != "/"; ++depth) {
        const std::string up = pathParts::folderOf(folder, "/");
        struct stat above {};
        if (::stat(up.c_str(), &above) != 0 || above.st_dev != here.st_dev)
            break;
        folder = up;
    }
    return folder;
}

SysResult<FileHandle> PosixFileServices::lockFileSystemOf(const std::string& path) {
    // Its root folder is there for every user, and a lock on it binds every fill of this program.
    const std::string root = mountRootOf(path);
    return lockedFolder(root.empty() ? path.c_str() : root.c_str(), 0);
}

SysStatus PosixFileServices::createSmallFile(const std::string& path, const std::string& contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | posix::kSafeOpenFlags, 0600);
    if (fd < 0)
        return {errno};
    SysStatus status;
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written != static_cast<ssize_t>(contents.size()))
        status = {written < 0 ? errno : EIO};
    else if (::fsync(fd) != 0)
        status = {errno};
    ::close(fd);
    if (!status.ok()) {
        ::unlink(path.c_str());
        return status;
    }
    posix::flushFolderOf(path);
    return {};
}

SysStatus PosixFileServices::removeFile(const std::string& path) {
    const SysStatus removed = removeFileUnflushed(path);
    if (removed.ok())
        posix::flushFolderOf(path);
    return removed;
}

SysStatus PosixFileServices::removeFileUnflushed(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return {errno};
    return {};
}

} // namespace kelvanter
