// What overwriting a file system's free space needs on Linux: its space, syncfs, the lock of one
// fill per file system, and writes of the fill's data.
#include "platform/PathParts.h"
#include "platform/posix/PosixFileServices.h"
#include "platform/posix/PosixOpen.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanter {

SysStatus PosixFileServices::flushFileSystem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {errno};
    const int flushed = ::syncfs(fd);
    const int error = flushed == 0 ? 0 : errno;
    ::close(fd);
    return {error};
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
    const int fd = ::open(root.empty() ? path.c_str() : root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {kNoHandle, errno};
    const SysStatus locked = lockFolder(fd);
    if (!locked.ok()) {
        ::close(fd);
        return {kNoHandle, locked.error};
    }
    return {fd, 0};
}

} // namespace kelvanter
