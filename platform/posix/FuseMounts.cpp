#include "platform/posix/FuseMounts.h"

#include "platform/posix/PosixOpen.h"

#include <algorithm>
#include <blkid/blkid.h>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kelvanter::posix {

namespace {

// A descriptor closed when it goes.
struct OwnedFd {
    int fd;
    ~OwnedFd() {
        if (fd >= 0)
            ::close(fd);
    }
};

// What libblkid finds in the superblock: "TYPE" or "UUID".
std::string probed(const std::string& source, const char* name) {
    blkid_probe probe = ::blkid_new_probe_from_filename(source.c_str());
    if (probe == nullptr)
        return {};
    std::string found;
    const char* value = nullptr;
    ::blkid_probe_enable_superblocks(probe, 1);
    ::blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_UUID);
    if (::blkid_do_safeprobe(probe) == 0 && ::blkid_probe_lookup_value(probe, name, &value, nullptr) == 0)
        found = value;
    ::blkid_free_probe(probe);
    return found;
}

// What udev noted of a block device when it came, readable by every user: "ID_FS_TYPE", "ID_FS_UUID".
std::string udevValue(const struct stat& device, const std::string& name) {
    std::ifstream data("/run/udev/data/b" + std::to_string(major(device.st_rdev)) + ":" +
                       std::to_string(minor(device.st_rdev)));
    const std::string key = "E:" + name + "=";
    for (std::string line; std::getline(data, line);) {
        if (line.rfind(key, 0) == 0)
            return line.substr(key.size());
    }
    return {};
}

// libblkid's answer, else udev's where the device is one.
std::string superblockValue(const std::string& source, const char* blkidName, const char* udevName) {
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0 || (!S_ISBLK(info.st_mode) && !S_ISREG(info.st_mode)))
        return {};
    const std::string value = probed(source, blkidName);
    return value.empty() && S_ISBLK(info.st_mode) ? udevValue(info, udevName) : value;
}

// The block size FIBMAP counts in, where it divides the passes' blocks.
int mappedBlockSize(int file) {
    int size = 0;
    if (::ioctl(file, FIGETBSZ, &size) != 0 || size <= 0 || kBlockSize % static_cast<std::size_t>(size) != 0)
        return 0;
    return size;
}

// The device block that holds block `index` of the open file; 0 where it maps to none.
SysResult<std::int64_t> deviceBlockOf(int file, std::int64_t index) {
    int block = static_cast<int>(index);
    if (::ioctl(file, FIBMAP, &block) != 0)
        return {0, errno};
    return {block, 0};
}

std::int64_t fileLength(int file) {
    struct stat info {};
    return ::fstat(file, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

} // namespace

MountEntry mountEntryOf(dev_t dev) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    MountEntry found;
    std::string line;
    // Lines: id parent maj:min root mountpoint options [optional fields] - type source super-options
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        fields >> id >> parent >> device >> root >> mountPoint;
        const auto separator = line.find(" - ");
        if (device != wanted || separator == std::string::npos)
            continue;
        std::istringstream tail(line.substr(separator + 3));
        tail >> found.type >> found.source >> found.options;
        found.source = unescapedMountField(found.source);
        found.root = unescapedMountField(root);
        found.mountPoint = unescapedMountField(mountPoint);
    }
    return found;
}

std::string unescapedMountField(const std::string& field) {
    std::string text;
    for (std::size_t at = 0; at < field.size(); ++at) {
        const bool escaped =
            field[at] == '\\' && at + 3 < field.size() && field.find_first_not_of("01234567", at + 1) >= at + 4;
        if (!escaped) {
            text += field[at];
            continue;
        }
        text += static_cast<char>(std::stoi(field.substr(at + 1, 3), nullptr, 8));
        at += 3;
    }
    return text;
}

std::string localFileSystemOf(const std::string& source) {
    return superblockValue(source, "TYPE", "ID_FS_TYPE");
}

std::string fileSystemUuidOf(const std::string& source) {
    return superblockValue(source, "UUID", "ID_FS_UUID");
}

std::optional<std::string> readableDeviceUnder(int file) {
    struct statfs system {};
    struct stat info {};
    if (::fstatfs(file, &system) != 0 || static_cast<std::uint32_t>(system.f_type) != kFuseMagic ||
        ::fstat(file, &info) != 0)
        return std::nullopt;
    const MountEntry mount = mountEntryOf(info.st_dev);
    struct stat device {};
    if (mount.type != "fuseblk" || ::stat(mount.source.c_str(), &device) != 0 || !S_ISBLK(device.st_mode))
        return std::nullopt;
    const OwnedFd reader{::open(mount.source.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC)};
    if (reader.fd < 0 || mappedBlockSize(file) == 0 || !deviceBlockOf(file, 0).ok())
        return std::nullopt;
    return mount.source;
}

SysResult<std::vector<Extent>> blockMapOf(int file) {
    const int size = mappedBlockSize(file);
    if (size == 0)
        return {{}, EOPNOTSUPP};
    const std::int64_t length = fileLength(file);
    std::vector<Extent> extents;
    for (std::int64_t index = 0; index * size < length; ++index) {
        const auto block = deviceBlockOf(file, index);
        if (!block.ok())
            return {{}, block.error == ENOTTY || block.error == EINVAL ? EOPNOTSUPP : block.error};
        const std::int64_t logical = index * size;
        // Data that lies on no block of its own: a small file kept in its record.
        const std::uint32_t flags = block.value == 0 ? kExtentInline : 0;
        const std::int64_t physical = block.value * size;
        Extent* last = extents.empty() ? nullptr : &extents.back();
        if (last != nullptr && last->flags == flags && last->logical + last->length == logical &&
            (flags != 0 || last->physical + last->length == physical))
            last->length += size;
        else
            extents.push_back({logical, flags != 0 ? 0 : physical, size, flags});
    }
    return {extents, 0};
}

SysResult<std::int64_t> readMappedFromDevice(int file, const std::string& device, std::int64_t offset, void* buffer,
                                             std::size_t size) {
    const int blockSize = mappedBlockSize(file);
    const OwnedFd reader{::open(device.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC)};
    // The driver writes to the device through its cache: flushed, so that the read finds the device's own.
    if (blockSize == 0 || reader.fd < 0 || ::fsync(reader.fd) != 0)
        return {0, errno != 0 ? errno : EOPNOTSUPP};
    const std::int64_t wanted = std::max<std::int64_t>(0, std::min<std::int64_t>(size, fileLength(file) - offset));
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (std::int64_t done = 0; done < wanted;) {
        const auto first = deviceBlockOf(file, (offset + done) / blockSize);
        if (!first.ok() || first.value == 0)
            return {done, first.ok() ? EOPNOTSUPP : first.error};
        // The blocks that follow on the device, read at once.
        std::int64_t run = blockSize;
        while (done + run < wanted) {
            const auto next = deviceBlockOf(file, (offset + done + run) / blockSize);
            if (!next.ok() || next.value != first.value + run / blockSize)
                break;
            run += blockSize;
        }
        const ssize_t got = ::pread(reader.fd, bytes + done, static_cast<std::size_t>(run),
                                    static_cast<off_t>(first.value) * blockSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != run)
            return {done, got < 0 ? errno : EIO};
        done += run;
    }
    return {wanted, 0};
}

} // namespace kelvanter::posix
