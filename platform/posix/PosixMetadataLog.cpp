// How much the file system under a folder has written to its log of its own metadata: ext4's
// journal (jbd2's statistics in /proc) and XFS's log (its head in /sys, its size from the
// geometry ioctl), both readable by every user; btrfs's metadata, which keeps old tree blocks
// until it writes over them, by the size of its metadata space alone.
#include "platform/posix/BlockDevices.h"
#include "platform/posix/PosixFileServices.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/btrfs.h>
#include <linux/btrfs_tree.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kelvanter {

namespace {

namespace fs = std::filesystem;

// The kernel's name of the block device under the folder: "sda1", "loop0", "dm-0".
std::string blockDeviceName(dev_t device) {
    std::error_code error;
    const fs::path link = "/sys/dev/block/" + posix::majorMinor(device);
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string() : target.filename().string();
}

// The number that starts at `from` in the text, blanks before it skipped; 0 where there is none,
// so that a figure the kernel words otherwise never ends the program with an exception.
std::int64_t numberAt(const std::string& text, std::size_t from) {
    std::int64_t number = 0;
    const std::size_t start = text.find_first_not_of(' ', std::min(from, text.size()));
    if (start != std::string::npos)
        std::from_chars(text.data() + start, text.data() + text.size(), number);
    return number;
}

// jbd2's figures: "N transactions (...), each up to M blocks", later "K logged blocks per transaction".
SysResult<MetadataLog> ext4Journal(const std::string& device, std::int64_t blockSize) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/fs/jbd2", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(device + "-", 0) != 0)
            continue;
        std::ifstream info(entry.path() / "info");
        std::int64_t transactions = 0, largest = 0, loggedPerTransaction = 0;
        std::string line;
        while (std::getline(info, line)) {
            const std::size_t eachUpTo = line.find("each up to");
            if (eachUpTo != std::string::npos) {
                transactions = numberAt(line, 0);
                largest = numberAt(line, eachUpTo + 10);
            } else if (line.find("logged blocks per transaction") != std::string::npos) {
                loggedPerTransaction = numberAt(line, 0);
            }
        }
        if (largest <= 0)
            return {{}, EOPNOTSUPP};
        // A transaction takes at most a third of the journal (less the fast-commit area, if any).
        return {{3 * (largest + 1) * blockSize, transactions * loggedPerTransaction * blockSize}, 0};
    }
    return {{}, EOPNOTSUPP};
}

// The part of XFS's geometry this needs: the first fields of struct xfs_fsop_geom_v1.
struct XfsGeometry {
    std::uint32_t blockSize, realtimeExtentSize, groupBlocks, groupCount, logBlocks, sectorSize, inodeSize,
        inodeMaxPercent;
    std::uint64_t dataBlocks, realtimeBlocks, realtimeExtents, logStart;
    unsigned char uuid[16];
    std::uint32_t stripeUnit, stripeWidth;
    std::int32_t version;
    std::uint32_t flags, logSectorSize, realtimeSectorSize, folderBlockSize, logStripeUnit;
};
constexpr unsigned long kXfsGeometryV1 = _IOR('X', 100, XfsGeometry);

// The log's head, "cycle:block" in 512-byte blocks: how far it has come around, and where it is.
SysResult<MetadataLog> xfsLog(int folder, const std::string& device) {
    XfsGeometry geometry{};
    if (::ioctl(folder, kXfsGeometryV1, &geometry) != 0)
        return {{}, errno};
    const std::string head = posix::firstLineOf("/sys/fs/xfs/" + device + "/log/log_head_lsn");
    const auto colon = head.find(':');
    if (colon == std::string::npos)
        return {{}, EOPNOTSUPP};
    const std::int64_t size = static_cast<std::int64_t>(geometry.logBlocks) * geometry.blockSize;
    const std::int64_t cycle = numberAt(head, 0);
    const std::int64_t block = numberAt(head, colon + 1);
    return {{size, cycle * size + block * 512}, 0};
}

// The bytes btrfs has set aside for metadata; what it writes there cannot be counted from here.
SysResult<MetadataLog> btrfsMetadata(int folder) {
    btrfs_ioctl_space_args question{};
    if (::ioctl(folder, BTRFS_IOC_SPACE_INFO, &question) != 0)
        return {{}, errno};
    std::vector<std::uint64_t> memory(
        (sizeof(btrfs_ioctl_space_args) + question.total_spaces * sizeof(btrfs_ioctl_space_info)) /
            sizeof(std::uint64_t) +
        1);
    auto* answer = reinterpret_cast<btrfs_ioctl_space_args*>(memory.data());
    answer->space_slots = question.total_spaces;
    if (::ioctl(folder, BTRFS_IOC_SPACE_INFO, answer) != 0)
        return {{}, errno};
    MetadataLog log;
    log.countsWrites = false;
    for (std::uint64_t slot = 0; slot < answer->total_spaces; ++slot) {
        if (answer->spaces[slot].flags & BTRFS_BLOCK_GROUP_METADATA)
            log.size += static_cast<std::int64_t>(answer->spaces[slot].total_bytes);
    }
    return {log, log.size > 0 ? 0 : EOPNOTSUPP};
}

} // namespace

SysStatus PosixFileServices::setAttribute(FileHandle file, const std::string& name, const std::string& value) {
    if (::fsetxattr(file, ("user." + name).c_str(), value.data(), value.size(), XATTR_CREATE) != 0)
        return {errno};
    return {};
}

SysResult<MetadataLog> PosixFileServices::metadataLogOf(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {{}, errno};
    struct stat info {};
    struct statfs system {};
    SysResult<MetadataLog> log{{}, EOPNOTSUPP};
    if (::fstat(fd, &info) == 0 && ::fstatfs(fd, &system) == 0) {
        const std::string device = blockDeviceName(info.st_dev);
        const auto type = static_cast<std::uint32_t>(system.f_type);
        if (type == posix::kExt4Magic && !device.empty())
            log = ext4Journal(device, system.f_bsize);
        else if (type == posix::kXfsMagic && !device.empty())
            log = xfsLog(fd, device);
        else if (type == posix::kBtrfsMagic)
            log = btrfsMetadata(fd);
    }
    ::close(fd);
    return log;
}

} // namespace kelvanter
