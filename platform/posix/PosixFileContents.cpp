// What a file holds besides the bytes its length names on Linux: where its data lies among holes,
// its extended attributes, and the inode itself once its last name is gone.
#include "platform/posix/PosixFileServices.h"

#include "platform/posix/PosixOpen.h"

#include <algorithm>
#include <cerrno>
#include <string>
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

} // namespace

SysResult<std::vector<FileAttribute>> PosixFileServices::attributesOf(FileHandle handle) {
    const auto names = attributeNames(handle);
    if (!names.ok())
        return {{}, names.error == ENOTSUP ? 0 : names.error};
    std::vector<FileAttribute> attributes;
    for (std::size_t at = 0; at < names.value.size();) {
        const std::string name(names.value.c_str() + at);
        at += name.size() + 1;
        if (name.empty() || isSystemOwn(name))
            continue;
        const ssize_t size = ::fgetxattr(handle, name.c_str(), nullptr, 0);
        if (size >= 0)
            attributes.push_back({name, static_cast<std::int64_t>(size), mayChange(name)});
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
