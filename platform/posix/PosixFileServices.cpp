#include "platform/posix/PosixFileServices.h"
#include "platform/posix/PosixOpen.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace kelvanter {

using posix::flushFolderOf;
using posix::identityOf;
using posix::kSafeOpenFlags;
using posix::openVerified;

namespace {

constexpr int kUndeletableFlags = FS_IMMUTABLE_FL | FS_APPEND_FL;
// As many block copies as one pwritev takes (IOV_MAX on Linux).
constexpr int kBlocksPerCall = 1024;

SysStatus lastError() {
    return {errno};
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

bool hasUndeletableFlags(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | kSafeOpenFlags);
    if (fd < 0)
        return false;
    const bool undeletable = (inodeFlagsOf(fd) & kUndeletableFlags) != 0;
    ::close(fd);
    return undeletable;
}

// rename() that refuses to replace: renameat2 where the file system has it, else link + unlink.
SysStatus renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return lastError();
    if (::link(from.c_str(), to.c_str()) != 0)
        return lastError();
    if (::unlink(from.c_str()) != 0) {
        const SysStatus failure = lastError();
        ::unlink(to.c_str());
        return failure;
    }
    return {};
}

} // namespace

SysResult<EntryStatus> PosixFileServices::inspect(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {{}, errno};
    EntryStatus status;
    status.kind = kindOf(info.st_mode);
    status.identity = identityOf(info);
    status.size = static_cast<std::int64_t>(info.st_size);
    std::uint32_t word = 0;
    if ((info.st_mode & S_IWUSR) == 0)
        word |= kAttrReadOnly;
    if (status.kind == EntryKind::Regular && hasUndeletableFlags(path))
        word |= kAttrSystem;
    status.attributes = word == 0 ? kAttrNormal : word;
    return {status, 0};
}

SysResult<PinnedEntry> PosixFileServices::pin(const std::string& path) {
    // O_PATH opens nothing for reading or writing: no FIFO blocks, no device is woken.
    const int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {{}, errno};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return {{}, error};
    }
    return {{fd, kindOf(info.st_mode), identityOf(info)}, 0};
}

void PosixFileServices::unpin(FileHandle handle) {
    ::close(handle);
}

SysResult<FileHandle> PosixFileServices::openForOverwrite(const std::string& path, const FileIdentity& expected,
                                                          WriteRoute route) {
    return openVerified(path, route == WriteRoute::Direct ? O_RDWR | O_DIRECT : O_RDWR, &expected);
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
            return {done, errno};
        }
        if (written == 0)
            return {done, EIO};
        done += written;
    }
    return {done, 0};
}

SysStatus PosixFileServices::flushData(FileHandle handle) {
    if (::fdatasync(handle) != 0)
        return lastError();
    return {};
}

SysStatus PosixFileServices::close(FileHandle handle) {
    // Linux releases the descriptor even when close reports EINTR: never close it twice.
    if (::close(handle) != 0 && errno != EINTR)
        return lastError();
    return {};
}

SysStatus PosixFileServices::truncateToZero(const std::string& path, const FileIdentity& expected) {
    // The identity is checked before the cut, so a file swapped in under the path is never emptied.
    const SysResult<int> opened = openVerified(path, O_WRONLY | O_SYNC, &expected);
    if (!opened.ok())
        return {opened.error};
    SysStatus status;
    if (::ftruncate(opened.value, 0) != 0 || ::fsync(opened.value) != 0)
        status = lastError();
    const SysStatus closed = close(opened.value);
    return status.ok() ? closed : status;
}

SysStatus PosixFileServices::addOwnerWrite(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return lastError();
    if (!S_ISREG(info.st_mode))
        return {kNotARegularFile};
    // AT_SYMLINK_NOFOLLOW: a link swapped in after the lstat is refused, its target left alone.
    if (::fchmodat(AT_FDCWD, path.c_str(), (info.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW) != 0)
        return lastError();
    return {};
}

namespace {

// Clears the immutable and append-only flags; only a privileged process may.
SysStatus clearImmutableFlags(const std::string& path) {
    const SysResult<int> opened = openVerified(path, O_RDONLY, nullptr);
    if (!opened.ok())
        return {opened.error};
    SysStatus status;
    int flags = 0;
    if (::ioctl(opened.value, FS_IOC_GETFLAGS, &flags) != 0) {
        status = lastError();
    } else if ((flags & kUndeletableFlags) != 0) {
        flags &= ~kUndeletableFlags;
        if (::ioctl(opened.value, FS_IOC_SETFLAGS, &flags) != 0)
            status = lastError();
    }
    ::close(opened.value);
    return status;
}

} // namespace

SysStatus PosixFileServices::resetAttributes(const std::string& path) {
    const SysStatus writable = addOwnerWrite(path);
    const SysStatus flags = clearImmutableFlags(path);
    return writable.ok() ? flags : writable;
}

SysStatus PosixFileServices::renameNoReplace(const std::string& from, const std::string& to) {
    const SysStatus status = renameWithoutReplacing(from, to);
    if (status.ok())
        flushFolderOf(to);
    return status;
}

SysStatus PosixFileServices::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return lastError();
    flushFolderOf(path);
    return {};
}

} // namespace kelvanter

namespace kelvanter {

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
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr)
        return {{}, errno};
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(folder);
    return {names, 0};
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
    flushFolderOf(path);
    return {};
}

} // namespace kelvanter
