// What overwriting a file system's free space needs on Linux: its space, syncfs, the lock of one
// fill per file system, and writes of the fill's data.
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/posix/BlockDevices.h"
#include "platform/posix/FuseMounts.h"
#include "platform/posix/PosixFileServices.h"
#include "platform/posix/PosixOpen.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <linux/btrfs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
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

namespace {

// The device node of a block device number, as the kernel names it in /sys.
std::string deviceNodeOf(dev_t device) {
    std::ifstream uevent("/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)) +
                         "/uevent");
    for (std::string line; std::getline(uevent, line);) {
        if (line.rfind("DEVNAME=", 0) == 0)
            return "/dev/" + line.substr(8);
    }
    return {};
}

} // namespace

SysResult<std::string> PosixFileServices::diskOf(FileHandle folder) {
    const std::optional<std::string> key = fileSystemKey(folder);
    if (key && key->rfind("btrfs-", 0) == 0)
        return {*key, 0};
    struct stat here {};
    if (::fstat(folder, &here) != 0)
        return {{}, errno};
    // A FUSE mount of a disk (ntfs-3g) has no device number of its own: its source is the disk.
    const std::string source =
        major(here.st_dev) != 0 ? deviceNodeOf(here.st_dev) : posix::mountEntryOf(here.st_dev).source;
    const std::string uuid = source.empty() ? std::string() : posix::fileSystemUuidOf(source);
    if (uuid.empty())
        return {{}, EOPNOTSUPP};
    return {uuid, 0};
}

SysResult<FileHandle> PosixFileServices::lockFileSystemOf(const std::string& path) {
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return {kNoHandle, errno};
    const std::optional<std::string> key = fileSystemKey(folder);
    ::close(folder);
    if (!key)
        return {kNoHandle, EIO};
    // An abstract socket's name, which every user's fills see, through any mount: it lies in no
    // folder, so no file of anyone's is made or touched, and it goes with the process.
    const int lock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (lock < 0)
        return {kNoHandle, errno};
    const std::string name = std::string("kelvanter-") + diskNames::kVolumeLockPrefix + *key;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length); // sun_path[0] == 0: the abstract namespace
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (::bind(lock, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        const int error = errno;
        ::close(lock);
        return {kNoHandle, error == EADDRINUSE ? EBUSY : error};
    }
    return {lock, 0};
}

} // namespace kelvanter
