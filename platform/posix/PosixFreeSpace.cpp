// What overwriting a file system's free space needs on Linux: its space, syncfs, the lock of one
// fill per file system, and writes of the fill's data.
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/posix/BlockDevices.h"
#include "platform/posix/PosixFileServices.h"
#include "platform/posix/PosixOpen.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/btrfs.h>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
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

namespace {

// Where every user's fills meet to take their file systems' locks.
constexpr const char* kLockFolders[] = {"/run/lock", "/tmp"};

// What names the file system under the folder, however it is reached: its device, which a bind
// mount shares, or for btrfs the file system's own id, which its subvolumes (each a device of its
// own) share too.
std::optional<std::string> fileSystemKey(int folder) {
    struct statfs space {};
    btrfs_ioctl_fs_info_args info{};
    if (::fstatfs(folder, &space) == 0 && static_cast<std::uint32_t>(space.f_type) == posix::kBtrfsMagic &&
        ::ioctl(folder, BTRFS_IOC_FS_INFO, &info) == 0) {
        std::string key = "btrfs-";
        for (const unsigned char byte : info.fsid) {
            static constexpr char kHex[] = "0123456789abcdef";
            key += kHex[byte >> 4];
            key += kHex[byte & 15];
        }
        return key;
    }
    struct stat here {};
    if (::fstat(folder, &here) != 0)
        return std::nullopt;
    return "dev-" + std::to_string(major(here.st_dev)) + "-" + std::to_string(minor(here.st_dev));
}

} // namespace

SysResult<FileHandle> PosixFileServices::lockFileSystemOf(const std::string& path) {
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return {kNoHandle, errno};
    const std::optional<std::string> key = fileSystemKey(folder);
    ::close(folder);
    if (!key)
        return {kNoHandle, EIO};
    // A lock file of the file system's in a folder every user shares, so that one fill binds every
    // other, of any user, through any mount. Never through a link another user put there.
    const std::string name = std::string("kelvanter-") + diskNames::kVolumeLockPrefix + *key + diskNames::kLockSuffix;
    int error = ENOENT;
    for (const char* place : kLockFolders) {
        const int lock = ::open((std::string(place) + "/" + name).c_str(),
                                O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
        if (lock < 0) {
            error = errno;
            continue;
        }
        ::fchmod(lock, 0666); // whatever the umask: every user's fills take it
        const SysStatus locked = lockFolder(lock);
        if (locked.ok())
            return {lock, 0};
        ::close(lock);
        return {kNoHandle, locked.error};
    }
    return {kNoHandle, error};
}

} // namespace kelvanter
