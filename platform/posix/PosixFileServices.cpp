// The lookup, the passes and the disposal of one file on Linux: after the lookup, every query is
// made on the descriptors it holds, and names change only inside the file's held folder.
#include "platform/posix/PosixFileServices.h"

#include "platform/PathParts.h"
#include "platform/posix/FuseMounts.h"
#include "platform/posix/NtfsIndex.h"
#include "platform/posix/PosixLease.h"
#include "platform/posix/PosixOpen.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <linux/fs.h>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <system_error>
#include <unistd.h>

namespace kelvanter {

using posix::identityOf;
using posix::kindOf;
using posix::kSafeOpenFlags;
using posix::lastError;
using posix::openVerified;

namespace {

constexpr int kUndeletableFlags = FS_IMMUTABLE_FL | FS_APPEND_FL;
#ifndef STATX_ATTR_MOUNT_ROOT
constexpr unsigned kMountRootAttribute = 0x00002000; // headers older than the kernels that tell
#else
constexpr unsigned kMountRootAttribute = STATX_ATTR_MOUNT_ROOT;
#endif
// As many block copies as one pwritev takes (IOV_MAX on Linux).
constexpr int kBlocksPerCall = 1024;

// The iovecs for the bytes from `done` on of `total` repeated-block bytes: the rest of the block
// the last call stopped in, then whole blocks, all pointing at the one block. Returns how many.
int fillVectors(iovec* vectors, const unsigned char* block, std::int64_t blockSize, std::int64_t done,
                std::int64_t total) {
    int used = 0;
    while (used < kBlocksPerCall && done < total) {
        const std::int64_t into = done % blockSize;
        const std::int64_t length = std::min(blockSize - into, total - done);
        vectors[used++] = {const_cast<unsigned char*>(block + into), static_cast<std::size_t>(length)};
        done += length;
    }
    return used;
}

// Inode flags of an open file; 0 where the file system keeps none.
int inodeFlagsOf(int fd) {
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0)
        return 0;
    return flags;
}

EntryStatus statusFrom(const struct stat& info, int inodeFlags) {
    EntryStatus status;
    status.kind = kindOf(info.st_mode);
    status.identity = identityOf(info);
    status.size = static_cast<std::int64_t>(info.st_size);
    status.links = static_cast<std::uint64_t>(info.st_nlink);
    status.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    std::uint32_t word = 0;
    if ((info.st_mode & S_IWUSR) == 0)
        word |= kAttrReadOnly;
    status.unchangeable = (inodeFlags & kUndeletableFlags) != 0;
    status.attributes = word == 0 ? kAttrNormal : word;
    return status;
}

// The errno of a failed write or read on `fd`: EINVAL on a direct descriptor means the device
// refused the direct route, which the caller can leave for the cache.
int transferError(int fd, int error) {
    const int flags = ::fcntl(fd, F_GETFL);
    return error == EINVAL && flags >= 0 && (flags & O_DIRECT) != 0 ? kDirectIoRefused : error;
}

// Writes all `size` bytes at the current position, retrying short writes and EINTR.
SysStatus writeAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (written == 0)
            return {EIO};
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

// Whether the kernel says the open file or folder is the root of a mount; nothing where it cannot
// say (kernels before 5.8).
std::optional<bool> mountRootAttribute(int fd) {
    struct statx extended {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &extended) != 0 ||
        (extended.stx_attributes_mask & kMountRootAttribute) == 0)
        return std::nullopt;
    return (extended.stx_attributes & kMountRootAttribute) != 0;
}

// Whether the open file is the root of a mount of its own (a bind-mounted file, or a file system
// mounted on it): then its name names something else than a file in its folder.
bool isMountedOn(int fd, int folder, const struct stat& info) {
    if (const auto said = mountRootAttribute(fd))
        return *said;
    // Kernels before 5.8 cannot say so: a file from another device is no file of its folder's.
    struct stat held {};
    return ::fstat(folder, &held) == 0 && held.st_dev != info.st_dev;
}

} // namespace

// A write past a file-size limit fails with EFBIG, as every other failure, instead of ending
// the process by a signal halfway through a pass.
PosixFileServices::PosixFileServices() {
    ::signal(SIGXFSZ, SIG_IGN);
}

// ---- names, folders, open files ----

SysResult<std::string> PosixFileServices::currentFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return {{}, errno};
    return {buffer, 0};
}

SysResult<std::string> PosixFileServices::absolutePath(const std::string& path) {
    if (!path.empty() && path.front() == '/')
        return {path, 0};
    const auto here = currentFolder();
    if (!here.ok())
        return here;
    return {here.value + (here.value.back() == '/' ? "" : "/") + path, 0};
}

SysResult<std::vector<std::string>> PosixFileServices::listFolder(const std::string& path) {
    const auto folder = openFolder(path);
    if (!folder.ok())
        return {{}, folder.error};
    auto names = namesIn(folder.value);
    ::close(folder.value);
    return names;
}

SysResult<std::string> PosixFileServices::readSmallFile(const std::string& path, std::size_t limit) {
    const SysResult<int> opened = openVerified(path, O_RDONLY, nullptr);
    if (!opened.ok())
        return {{}, opened.error};
    std::string contents;
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(opened.value, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = errno;
        if (got <= 0)
            break;
        contents.append(buffer, static_cast<std::size_t>(got));
        if (contents.size() > limit) {
            error = EFBIG;
            break;
        }
    }
    ::close(opened.value);
    return {error == 0 ? contents : std::string(), error};
}

SysStatus PosixFileServices::flushData(FileHandle handle) {
    if (::fdatasync(handle) != 0)
        return lastError();
    return {};
}

SysStatus PosixFileServices::close(FileHandle handle) {
    posix::dropLease(handle);
    // Linux releases the descriptor even when close reports EINTR: never close it twice.
    if (::close(handle) != 0 && errno != EINTR)
        return lastError();
    return {};
}

// ---- the lookup and the held file ----

SysResult<PinnedEntry> PosixFileServices::pinAt(FileHandle folder, const std::string& name) {
    struct stat named {};
    if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return {{}, errno};
    // Nothing but a regular file is opened: no FIFO blocks, no device is woken.
    if (!S_ISREG(named.st_mode))
        return {{kNoHandle, statusFrom(named, 0)}, kNotARegularFile};
    const SysResult<int> opened = posix::openVerifiedAt(folder, name, O_RDONLY, nullptr);
    if (!opened.ok())
        return {{}, opened.error};
    struct stat held {};
    int refusal = 0;
    if (::fstat(opened.value, &held) != 0)
        refusal = errno;
    else if (identityOf(held) != identityOf(named))
        refusal = kFileReplaced; // swapped between the look and the open
    else if (isMountedOn(opened.value, folder, held))
        refusal = kMountPoint;
    if (refusal != 0) {
        ::close(opened.value);
        return {{}, refusal};
    }
    return {{opened.value, statusFrom(held, inodeFlagsOf(opened.value))}, 0};
}

void PosixFileServices::unpin(FileHandle pinned) {
    posix::dropLease(pinned);
    ::close(pinned);
}

SysStatus PosixFileServices::watchForOthers(FileHandle handle) {
    return posix::takeLease(handle);
}

WriterWatch PosixFileServices::othersSeen(FileHandle handle) {
    return posix::leaseSeen(handle);
}

SysResult<EntryStatus> PosixFileServices::statusOf(FileHandle pinned) {
    struct stat info {};
    if (::fstat(pinned, &info) != 0)
        return {{}, errno};
    return {statusFrom(info, inodeFlagsOf(pinned)), 0};
}

SysStatus PosixFileServices::addOwnerWrite(FileHandle pinned) {
    struct stat info {};
    if (::fstat(pinned, &info) != 0 || ::fchmod(pinned, (info.st_mode & 07777) | S_IWUSR) != 0)
        return lastError();
    return {};
}

SysStatus PosixFileServices::resetAttributes(FileHandle pinned) {
    // The immutable and append-only flags first (that takes privilege): while they are set, not
    // even the mode can change.
    int flags = 0;
    SysStatus cleared;
    if (::ioctl(pinned, FS_IOC_GETFLAGS, &flags) != 0) {
        cleared = lastError();
    } else if ((flags & kUndeletableFlags) != 0) {
        flags &= ~kUndeletableFlags;
        if (::ioctl(pinned, FS_IOC_SETFLAGS, &flags) != 0)
            cleared = lastError();
    }
    const SysStatus writable = addOwnerWrite(pinned);
    return writable.ok() ? cleared : writable;
}

// ---- the passes ----

SysResult<OverwriteHandle> PosixFileServices::openForOverwriteAt(FileHandle folder, const std::string& name,
                                                                 const FileIdentity& expected) {
    const auto opened = posix::openVerifiedAt(folder, name, O_RDWR, &expected);
    if (!opened.ok())
        return {{}, opened.error};
    return {posix::directWhereTaken(opened.value), 0};
}

SysResult<FileHandle> PosixFileServices::writeThroughCache(FileHandle handle) {
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0 || ::fcntl(handle, F_SETFL, flags & ~O_DIRECT) != 0)
        return {handle, errno};
    return {handle, 0};
}

SysResult<std::int64_t> PosixFileServices::lengthOf(FileHandle handle) {
    struct stat info {};
    if (::fstat(handle, &info) != 0)
        return {0, errno};
    return {static_cast<std::int64_t>(info.st_size), 0};
}

SysResult<std::int64_t> PosixFileServices::writeBlocks(FileHandle handle, const void* block, std::size_t blockSize,
                                                       std::int64_t count, std::int64_t offset) {
    const auto size = static_cast<std::int64_t>(blockSize);
    const std::int64_t total = count * size;
    std::int64_t done = 0;
    iovec vectors[kBlocksPerCall];
    while (done < total) {
        const int used = fillVectors(vectors, static_cast<const unsigned char*>(block), size, done, total);
        const ssize_t written = ::pwritev(handle, vectors, used, offset + done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return {done, transferError(handle, errno)};
        }
        if (written == 0)
            return {done, EIO};
        done += written;
    }
    return {done, 0};
}

namespace {

SysResult<std::int64_t> readPastCache(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) {
    // A FUSE driver reads through its own cache of the device: the device itself is read instead.
    if (const auto device = posix::readableDeviceUnder(handle))
        return posix::readMappedFromDevice(handle, *device, offset, buffer, size);
    const int flags = ::fcntl(handle, F_GETFL);
    // Through the cache, the flushed pages are dropped first, so that the read goes to the device.
    if (flags >= 0 && (flags & O_DIRECT) == 0)
        ::posix_fadvise(handle, offset, static_cast<off_t>(size), POSIX_FADV_DONTNEED);
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t read = ::pread(handle, bytes + got, size - got, offset + static_cast<off_t>(got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return {static_cast<std::int64_t>(got), transferError(handle, errno)};
        if (read == 0)
            break;
        got += static_cast<std::size_t>(read);
    }
    return {static_cast<std::int64_t>(got), 0};
}

using ReadInFlight = std::future<SysResult<std::int64_t>>;

} // namespace

SysResult<std::int64_t> PosixFileServices::readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                                          std::size_t size) {
    return readPastCache(handle, offset, buffer, size);
}

// On a thread of its own: pread and pwrite on one descriptor may run at once. Where no thread can
// be had, the read runs here.
DeviceRead PosixFileServices::startDeviceRead(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) {
    try {
        auto flight =
            std::make_shared<ReadInFlight>(std::async(std::launch::async, readPastCache, handle, offset, buffer, size));
        return {{0, 0}, flight};
    } catch (const std::system_error&) {
        return {readPastCache(handle, offset, buffer, size), nullptr};
    }
}

bool PosixFileServices::waitForDeviceRead(DeviceRead& read, std::int64_t microseconds) {
    return !read.inFlight ||
           std::static_pointer_cast<ReadInFlight>(read.inFlight)->wait_for(std::chrono::microseconds(microseconds)) ==
               std::future_status::ready;
}

SysResult<std::int64_t> PosixFileServices::awaitDeviceRead(DeviceRead& read) {
    if (read.inFlight) {
        read.result = std::static_pointer_cast<ReadInFlight>(read.inFlight)->get();
        read.inFlight.reset();
    }
    return read.result;
}

SysStatus PosixFileServices::cutToZero(FileHandle handle) {
    if (::ftruncate(handle, 0) != 0 || ::fsync(handle) != 0)
        return lastError();
    return {};
}

// ---- names in the held folder ----

SysResult<FileHandle> PosixFileServices::openFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {-1, errno};
    return {fd, 0};
}

SysResult<EntryStatus> PosixFileServices::statusAt(FileHandle folder, const std::string& name) {
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {{}, errno};
    EntryStatus status = statusFrom(info, 0);
    status.ours = info.st_uid == ::geteuid();
    return {status, 0};
}

SysResult<FileIdentity> PosixFileServices::identityOfFolder(FileHandle folder) {
    struct stat info {};
    if (::fstat(folder, &info) != 0)
        return {{}, errno};
    return {identityOf(info), 0};
}

// Kernels before 5.8 cannot say; the caller's comparison of devices then catches other file systems.
SysResult<bool> PosixFileServices::isMountRoot(FileHandle folder) {
    return {mountRootAttribute(folder).value_or(false), 0};
}

SysResult<FolderAccess> PosixFileServices::accessOf(FileHandle folder) {
    struct stat info {};
    if (::fstat(folder, &info) != 0)
        return {{}, errno};
    // A group that may write counts as others: its members are other users.
    return {{(info.st_mode & (S_IWGRP | S_IWOTH)) != 0, (info.st_mode & S_ISVTX) != 0}, 0};
}

SysStatus PosixFileServices::renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                                      const std::string& to) {
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return lastError();
    // Without renameat2 a link and an unlink do the same, and a link never replaces either.
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) != 0)
        return {errno == EPERM || errno == ENOSYS || errno == ENOTSUP || errno == EINVAL ? EOPNOTSUPP : errno};
    if (::unlinkat(fromFolder, from.c_str(), 0) != 0) {
        const SysStatus failure = lastError();
        ::unlinkat(toFolder, to.c_str(), 0);
        return failure;
    }
    return {};
}

SysStatus PosixFileServices::removeAt(FileHandle folder, const std::string& name) {
    if (::unlinkat(folder, name.c_str(), 0) != 0)
        return lastError();
    return {};
}

SysResult<FileHandle> PosixFileServices::makePrivateFolderAt(FileHandle folder, const std::string& name) {
    if (::mkdirat(folder, name.c_str(), 0700) != 0)
        return {kNoHandle, errno};
    const int made = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (made < 0) {
        const int error = errno;
        ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
        return {kNoHandle, error};
    }
    return {made, 0};
}

SysStatus PosixFileServices::removeFolderAt(FileHandle folder, const std::string& name) {
    if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0)
        return lastError();
    return {};
}

SysStatus PosixFileServices::flushFolder(FileHandle folder) {
    if (::fsync(folder) == 0)
        return {};
    // A file system that flushes no folders at all, not one whose flush failed.
    if (errno == EINVAL || errno == EBADF || errno == EISDIR)
        return {};
    return lastError();
}

// Through ntfs-3g over a device this process may read: the device itself, where the folder's MFT
// record is its inode number.
SysResult<bool> PosixFileServices::folderIndexHolds(FileHandle folder, const std::vector<std::string>& runs) {
    struct statfs system {};
    struct stat info {};
    if (::fstatfs(folder, &system) != 0 || static_cast<std::uint32_t>(system.f_type) != posix::kFuseMagic ||
        ::fstat(folder, &info) != 0)
        return {false, EOPNOTSUPP};
    const posix::MountEntry mount = posix::mountEntryOf(info.st_dev);
    if (mount.type != "fuseblk" || posix::localFileSystemOf(mount.source) != "ntfs")
        return {false, EOPNOTSUPP};
    // ntfs-3g writes its index blocks home on the folder's flush.
    ::fsync(folder);
    ::syncfs(folder);
    const auto held = posix::ntfsFolderIndexHolds(mount.source, static_cast<std::uint64_t>(info.st_ino), runs);
    return held.ok() ? held : SysResult<bool>{false, EOPNOTSUPP};
}

SysResult<FileHandle> PosixFileServices::openFolderAt(FileHandle folder, const std::string& name) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {kNoHandle, errno};
    return {fd, 0};
}

SysResult<std::vector<std::string>> PosixFileServices::namesIn(FileHandle folder) {
    // A listing of its own, so that the held descriptor's position stays as it was.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return {{}, errno};
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        const int error = errno;
        ::close(listing);
        return {{}, error};
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(entries);
    return {names, 0};
}

SysResult<FileHandle> PosixFileServices::createFileAt(FileHandle folder, const std::string& name) {
    const int fd = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | kSafeOpenFlags, 0600);
    if (fd < 0)
        return {kNoHandle, errno};
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_DIRECT); // where the file system refuses, through the cache
    return {fd, 0};
}

SysStatus PosixFileServices::createSmallFileAt(FileHandle folder, const std::string& name,
                                               const std::string& contents) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | kSafeOpenFlags, 0600);
    if (fd < 0)
        return lastError();
    SysStatus status;
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written != static_cast<ssize_t>(contents.size()))
        status = {written < 0 ? errno : EIO};
    else if (::fsync(fd) != 0)
        status = lastError();
    ::close(fd);
    if (!status.ok()) {
        ::unlinkat(folder, name.c_str(), 0);
        return status;
    }
    return flushFolder(folder);
}

SysStatus PosixFileServices::lockFolder(FileHandle folder) {
    if (::flock(folder, LOCK_EX | LOCK_NB) == 0)
        return {};
    return {errno == EWOULDBLOCK ? EBUSY : errno};
}

// ---- the desktop's records ----

SysStatus PosixFileServices::replaceFileAtomically(const std::string& path, const std::string& contents) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return lastError();
    if (!S_ISREG(info.st_mode))
        return {kNotARegularFile};
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return lastError();
    SysStatus status = writeAll(fd, contents.data(), contents.size());
    if (status.ok() && (::fchmod(fd, info.st_mode & 07777) != 0 || ::fsync(fd) != 0))
        status = lastError();
    if (::close(fd) != 0 && status.ok())
        status = lastError();
    if (status.ok() && ::rename(temporary.c_str(), path.c_str()) != 0)
        status = lastError();
    if (!status.ok()) {
        ::unlink(temporary.c_str());
        return status;
    }
    posix::flushFolderOf(path);
    return {};
}

} // namespace kelvanter
