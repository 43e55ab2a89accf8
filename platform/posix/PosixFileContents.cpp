// What a file holds besides the bytes its length names on Linux: where its data lies among holes,
// its extended attributes, and the inode itself once its last name is gone.
#include "platform/posix/PosixFileServices.h"

#include "platform/posix/PosixOpen.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/types.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kelvanter {

using posix::lastError;

SysResult<OverwriteHandle> PosixFileServices::reopenForOverwrite(FileHandle pinned) {
    // The descriptor's entry in /proc reaches the inode itself, also with no name left.
    const std::string self = "/proc/self/fd/" + std::to_string(pinned);
    const int fd = ::open(self.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {{}, errno};
    struct stat held {};
    struct stat opened {};
    if (::fstat(pinned, &held) != 0 || ::fstat(fd, &opened) != 0 ||
        posix::identityOf(held) != posix::identityOf(opened)) {
        ::close(fd);
        return {{}, kFileReplaced};
    }
    return {posix::directWhereTaken(fd), 0};
}

SysResult<std::vector<DataRange>> PosixFileServices::dataRangesOf(FileHandle handle) {
    struct stat info {};
    if (::fstat(handle, &info) != 0)
        return {{}, errno};
    const off_t end = info.st_size;
    std::vector<DataRange> ranges;
    off_t at = 0;
    while (at < end) {
        const off_t data = ::lseek(handle, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole to the end
        if (data < 0)
            return {{{0, end}}, 0}; // no way to tell holes here: all of it is data
        const off_t hole = ::lseek(handle, data, SEEK_HOLE);
        if (hole < 0)
            return {{{0, end}}, 0};
        ranges.push_back({data, std::min(hole, end) - data});
        at = hole;
    }
    return {ranges, 0};
}

namespace {

// What this process may overwrite: the user's own namespace, and the trusted one with privilege;
// security.* is the system's (labels, capabilities), system.* the file's permissions and its
// inline data, which the passes reach.
bool mayChange(const std::string& name) {
    return name.rfind("user.", 0) == 0 || (name.rfind("trusted.", 0) == 0 && ::geteuid() == 0);
}

bool isSystemOwn(const std::string& name) {
    return name.rfind("system.", 0) == 0;
}

SysResult<std::string> attributeNames(int fd) {
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return {{}, errno};
        std::string names(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::flistxattr(fd, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return {names, 0};
        }
        if (errno != ERANGE) // grown meanwhile: asked again
            return {{}, errno};
    }
}

constexpr long kExt4Magic = 0xEF53;
constexpr long kXfsMagic = 0x58465342;
#ifndef EXT4_IOC_CHECKPOINT
constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, __u32);
#else
constexpr unsigned long kExt4Checkpoint = EXT4_IOC_CHECKPOINT;
#endif
constexpr __u32 kCheckpointZeroOut = 2; // EXT4_IOC_CHECKPOINT_FLAG_ZEROOUT: the journal's copies too

// The bytes the file's data takes on the device, in whole blocks, as FIEMAP maps them; -1 where
// it cannot say.
std::int64_t dataBytesOf(int fd, std::int64_t block) {
    constexpr std::uint32_t kExtents = 64;
    alignas(fiemap) unsigned char buffer[sizeof(fiemap) + kExtents * sizeof(fiemap_extent)];
    std::int64_t bytes = 0;
    for (std::uint64_t from = 0;;) {
        std::memset(buffer, 0, sizeof buffer);
        auto* query = reinterpret_cast<fiemap*>(buffer);
        query->fm_start = from;
        query->fm_length = ~0ULL - from;
        query->fm_extent_count = kExtents;
        if (::ioctl(fd, FS_IOC_FIEMAP, query) != 0)
            return -1;
        if (query->fm_mapped_extents == 0)
            return bytes;
        for (std::uint32_t at = 0; at < query->fm_mapped_extents; ++at) {
            const fiemap_extent& extent = query->fm_extents[at];
            bytes += (static_cast<std::int64_t>(extent.fe_length) + block - 1) / block * block;
            from = extent.fe_logical + extent.fe_length;
            if (extent.fe_flags & FIEMAP_EXTENT_LAST)
                return bytes;
        }
    }
}

// Whether ext4 keeps some of the file's attributes beyond its inode, in a block of their own: the
// file takes more blocks than its data. (Its FIEMAP of attributes names the inode alone where
// both hold some.) Where it cannot say, it does.
bool hasAttributeBlock(int fd, std::int64_t block) {
    struct stat info {};
    const std::int64_t data = dataBytesOf(fd, block);
    if (data < 0 || ::fstat(fd, &info) != 0)
        return true;
    return static_cast<std::int64_t>(info.st_blocks) * 512 > data;
}

// Where each value lies, as ext4 and XFS store them; the larger place wherever it is in doubt.
class ValuePlaces {
public:
    explicit ValuePlaces(int fd) {
        struct statfs system {};
        if (::fstatfs(fd, &system) != 0)
            return;
        type_ = static_cast<long>(system.f_type);
        block_ = static_cast<std::int64_t>(system.f_bsize);
        block_ = block_ > 0 ? block_ : 4096;
        ownBlock_ = type_ == kExt4Magic && hasAttributeBlock(fd, block_);
    }

    ValuePlace of(const std::string& name, std::int64_t size) const {
        if (type_ == kExt4Magic) {
            // Too large for an attribute block, or beside an inode with no block: an attribute inode.
            if (size >= block_ - 64 || (!ownBlock_ && size > block_ / 4))
                return ValuePlace::Elsewhere;
            return ownBlock_ ? ValuePlace::OwnBlock : ValuePlace::InPlace;
        }
        // XFS keeps a value in its leaf while the entry stays under three quarters of a block.
        if (type_ == kXfsMagic && static_cast<std::int64_t>(name.size()) + size + 16 >= block_ * 3 / 4)
            return ValuePlace::Elsewhere;
        return ValuePlace::InPlace;
    }

private:
    long type_ = 0;
    std::int64_t block_ = 4096;
    bool ownBlock_ = false;
};

} // namespace

SysResult<std::vector<FileAttribute>> PosixFileServices::attributesOf(FileHandle handle) {
    const auto names = attributeNames(handle);
    if (!names.ok())
        return {{}, names.error == ENOTSUP ? 0 : names.error};
    std::vector<FileAttribute> attributes;
    const ValuePlaces places(handle);
    for (std::size_t at = 0; at < names.value.size();) {
        const std::string name(names.value.c_str() + at);
        at += name.size() + 1;
        if (name.empty() || isSystemOwn(name))
            continue;
        const ssize_t size = ::fgetxattr(handle, name.c_str(), nullptr, 0);
        if (size >= 0)
            attributes.push_back({name, static_cast<std::int64_t>(size), mayChange(name), places.of(name, size)});
    }
    return {attributes, 0};
}

SysStatus PosixFileServices::replaceAttributeValue(FileHandle handle, const std::string& name,
                                                   const std::string& value) {
    if (::fsetxattr(handle, name.c_str(), value.data(), value.size(), XATTR_REPLACE) != 0)
        return lastError();
    return {};
}

SysStatus PosixFileServices::removeAttribute(FileHandle handle, const std::string& name) {
    if (::fremovexattr(handle, name.c_str()) != 0)
        return lastError();
    return {};
}

// fsync, not fdatasync: attributes are the inode's, which fdatasync may leave for later.
SysStatus PosixFileServices::settleAttributes(FileHandle handle) {
    if (::fsync(handle) != 0)
        return lastError();
    return {};
}

// Only ext4 takes the call; one without a journal (ENODEV) has written the values home already.
SysStatus PosixFileServices::checkpointJournal(FileHandle handle) {
    __u32 flags = kCheckpointZeroOut;
    if (::ioctl(handle, kExt4Checkpoint, &flags) == 0 || errno == ENODEV)
        return {};
    return {errno == ENOTTY || errno == EINVAL || errno == EOPNOTSUPP ? EOPNOTSUPP : errno};
}

namespace {

// Larger than any MFT record: the first sizes go out of the record, the largest that fits stays in it.
constexpr std::size_t kLargestRecordFill = 4096;
constexpr std::size_t kRecordFillStep = 8;

} // namespace

SysStatus PosixFileServices::fillFolderRecordSlack(FileHandle folder) {
    // ntfs-3g keeps a user attribute as a named stream, resident in the record while it fits.
    const std::string name = "user._";
    const std::string zeros(kLargestRecordFill, '\0');
    bool anyMade = false;
    for (std::size_t size = kLargestRecordFill; size >= kRecordFillStep; size -= kRecordFillStep) {
        if (::fsetxattr(folder, name.c_str(), zeros.data(), size, XATTR_CREATE) != 0) {
            // A stream of that name is the user's own: it is left alone.
            if (errno == ENOTSUP || errno == EEXIST || errno == EPERM || errno == EACCES || errno == EROFS)
                return lastError();
            continue;
        }
        anyMade = true;
        if (::fremovexattr(folder, name.c_str()) != 0)
            return lastError();
    }
    return anyMade ? SysStatus{} : SysStatus{ENOSPC};
}

} // namespace kelvanter
