// Where a file's data lives on Linux: the file system's kind, its mount options, the inode's
// flags and the extents from FIEMAP, all asked of the open file.
#include "platform/StorageAnswers.h"
#include "platform/posix/BlockDevices.h"
#include "platform/posix/FuseMounts.h"
#include "platform/posix/PosixFileServices.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <memory>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kelvanter {

namespace {

struct KnownFileSystem {
    std::uint32_t magic;
    const char* name;
    StorageKind kind;
    bool logStructured = false;
};

// statfs magic numbers of the file systems whose way of storing changed data is known.
constexpr std::array<KnownFileSystem, 27> kKnownFileSystems{{
    {posix::kExt4Magic, "ext4", StorageKind::InPlace},
    {posix::kXfsMagic, "xfs", StorageKind::InPlace},
    {0x4d44, "vfat", StorageKind::InPlace},
    {0x2011BAB0, "exfat", StorageKind::InPlace},
    {0x7366746e, "ntfs3", StorageKind::InPlace},
    {0x3153464a, "jfs", StorageKind::InPlace},
    {0x52654973, "reiserfs", StorageKind::InPlace},
    {0x482b, "hfsplus", StorageKind::InPlace},
    {0x137F, "minix", StorageKind::InPlace},
    {posix::kBtrfsMagic, "btrfs", StorageKind::CopyOnWrite},
    {0x2fc12fc1, "zfs", StorageKind::CopyOnWrite},
    {0xca451a4e, "bcachefs", StorageKind::CopyOnWrite},
    {0x3434, "nilfs2", StorageKind::CopyOnWrite, true},
    {0xF2F52010, "f2fs", StorageKind::CopyOnWrite, true},
    {0x01021994, "tmpfs", StorageKind::MemoryOnly},
    {0x858458f6, "ramfs", StorageKind::MemoryOnly},
    {0x6969, "nfs", StorageKind::Remote},
    {0x517B, "smb", StorageKind::Remote},
    {0xFF534D42, "cifs", StorageKind::Remote},
    {0xFE534D42, "smb2", StorageKind::Remote},
    {posix::kFuseMagic, "fuse", StorageKind::Remote},
    {0x794c7630, "overlay", StorageKind::Remote},
    {0x01021997, "9p", StorageKind::Remote},
    {0x00c36400, "ceph", StorageKind::Remote},
    {0x5346414F, "afs", StorageKind::Remote},
    {0x73757245, "coda", StorageKind::Remote},
    {0xf15f, "ecryptfs", StorageKind::Remote},
}};

constexpr std::uint32_t kFiemapBatch = 256;

bool hasOption(const std::string& options, const std::string& option) {
    return ("," + options + ",").find("," + option + ",") != std::string::npos;
}

std::uint32_t portableExtentFlags(std::uint32_t fiemap) {
    std::uint32_t flags = 0;
    if (fiemap & FIEMAP_EXTENT_SHARED)
        flags |= kExtentShared;
    if (fiemap & (FIEMAP_EXTENT_ENCODED | FIEMAP_EXTENT_DATA_ENCRYPTED))
        flags |= kExtentEncoded;
    if (fiemap & (FIEMAP_EXTENT_DATA_INLINE | FIEMAP_EXTENT_DATA_TAIL | FIEMAP_EXTENT_NOT_ALIGNED))
        flags |= kExtentInline;
    if (fiemap & (FIEMAP_EXTENT_UNKNOWN | FIEMAP_EXTENT_DELALLOC))
        flags |= kExtentUnknown;
    return flags;
}

// Every extent of the open file, asked for in batches; the first batch syncs pending data.
SysResult<std::vector<Extent>> fiemapOf(int fd) {
    const std::size_t bytes = sizeof(fiemap) + kFiemapBatch * sizeof(fiemap_extent);
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[bytes]);
    auto* map = reinterpret_cast<fiemap*>(buffer.get());
    std::vector<Extent> extents;
    std::uint64_t start = 0;
    for (bool last = false; !last;) {
        std::fill(buffer.get(), buffer.get() + bytes, 0);
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_flags = FIEMAP_FLAG_SYNC;
        map->fm_extent_count = kFiemapBatch;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0)
            return {{}, errno == ENOTTY ? EOPNOTSUPP : errno};
        if (map->fm_mapped_extents == 0)
            break;
        for (std::uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& found = map->fm_extents[i];
            extents.push_back({static_cast<std::int64_t>(found.fe_logical),
                               static_cast<std::int64_t>(found.fe_physical), static_cast<std::int64_t>(found.fe_length),
                               portableExtentFlags(found.fe_flags)});
            last = (found.fe_flags & FIEMAP_EXTENT_LAST) != 0;
            start = found.fe_logical + found.fe_length;
        }
    }
    return {extents, 0};
}

// The block devices that hold the file system of `dev`: itself where it is one, else (btrfs, whose
// numbers name no block device) the device its mount names.
std::vector<std::string> blockDevicesOf(dev_t dev) {
    if (::access(("/sys/dev/block/" + posix::majorMinor(dev)).c_str(), F_OK) == 0)
        return {posix::majorMinor(dev)};
    struct stat source {};
    const posix::MountEntry mount = posix::mountEntryOf(dev);
    if (::stat(mount.source.c_str(), &source) != 0)
        return {};
    if (S_ISBLK(source.st_mode))
        return {posix::majorMinor(source.st_rdev)};
    // An image file mounted through FUSE lies on the devices of the file system that holds it.
    if (S_ISREG(source.st_mode) && source.st_dev != dev)
        return blockDevicesOf(source.st_dev);
    return {};
}

posix::DeviceChain deviceChainOf(dev_t dev) {
    return posix::deviceChainOf("/sys", blockDevicesOf(dev), [](const std::string& backingFile) {
        struct stat info {};
        std::optional<std::string> holder;
        if (::stat(backingFile.c_str(), &info) == 0) {
            const auto devices = blockDevicesOf(info.st_dev);
            if (!devices.empty())
                holder = devices.front();
        }
        return holder;
    });
}

// The sync service whose marker lies in the file's folder or one above it, up to its mount point.
std::string syncProviderAbove(FileBasics& files, const std::string& path, dev_t dev) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
    for (int depth = 0; !error && depth < 256; ++depth) {
        const std::string provider = storageAnswers::syncProviderFromEntries(files.listFolder(folder.string()).value);
        if (!provider.empty())
            return provider;
        const std::filesystem::path up = folder.parent_path();
        struct stat above {};
        if (up == folder || ::stat(up.c_str(), &above) != 0 || above.st_dev != dev)
            break;
        folder = up;
    }
    return {};
}

// A FUSE mount of a local disk (ntfs-3g on a stick) is that disk's file system, read back from
// the device where this process may; only one over a network or another file system is remote.
void describeFuseMount(StorageFacts& facts, const posix::MountEntry& mount, int file) {
    const auto found = storageAnswers::fuseFileSystem(mount.type, posix::localFileSystemOf(mount.source));
    facts.fileSystem = found.name;
    facts.kind = found.kind;
    facts.deletedNames = found.deletedNames;
    facts.readBackThroughDriver = found.kind != StorageKind::Remote && !posix::readableDeviceUnder(file);
}

} // namespace

SysResult<StorageFacts> PosixFileServices::storageOf(FileHandle handle, const std::string& path) {
    struct statfs system {};
    struct stat info {};
    if (::fstatfs(handle, &system) != 0 || ::fstat(handle, &info) != 0)
        return {{}, errno};
    StorageFacts facts;
    const posix::MountEntry mount = posix::mountEntryOf(info.st_dev);
    facts.fileSystem = mount.type;
    for (const KnownFileSystem& known : kKnownFileSystems) {
        if (known.magic == static_cast<std::uint32_t>(system.f_type)) {
            facts.kind = known.kind;
            facts.logStructured = known.logStructured;
            if (facts.fileSystem.empty())
                facts.fileSystem = known.name;
        }
    }
    facts.deletedNames = storageAnswers::deletedNamesOf(facts.fileSystem);
    if (static_cast<std::uint32_t>(system.f_type) == posix::kFuseMagic)
        describeFuseMount(facts, mount, handle);
    int flags = 0;
    if (::ioctl(handle, FS_IOC_GETFLAGS, &flags) != 0)
        flags = 0;
    facts.journalsData = hasOption(mount.options, "data=journal") || (flags & FS_JOURNAL_DATA_FL) != 0;
    facts.noCopyOnWrite = (flags & FS_NOCOW_FL) != 0;
    const posix::DeviceChain chain = deviceChainOf(info.st_dev);
    facts.media = chain.media;
    facts.encryptedBelow = chain.encrypted;
    facts.syncProvider = syncProviderAbove(*this, path, info.st_dev);
    facts.synchronised = !facts.syncProvider.empty();
    return {facts, 0};
}

SysResult<FileSystemSpace> PosixFileServices::spaceOf(const std::string& path) {
    struct statvfs space {};
    struct statfs system {};
    struct stat info {};
    if (::statvfs(path.c_str(), &space) != 0 || ::statfs(path.c_str(), &system) != 0 ||
        ::stat(path.c_str(), &info) != 0)
        return {{}, errno};
    const auto block = static_cast<std::int64_t>(space.f_frsize);
    FileSystemSpace found;
    const posix::MountEntry mount = posix::mountEntryOf(info.st_dev);
    found.fileSystem = static_cast<std::uint32_t>(system.f_type) == posix::kFuseMagic
                           ? storageAnswers::fuseFileSystem(mount.type, posix::localFileSystemOf(mount.source)).name
                           : mount.type;
    found.blockSize = block;
    found.total = static_cast<std::int64_t>(space.f_blocks) * block;
    found.free = static_cast<std::int64_t>(space.f_bfree) * block;
    // ext2, ext3 and ext4 keep their reserve for the administrator, who fills it too; what other
    // file systems hold back beyond the available blocks (btrfs's metadata) no file can take.
    const bool reserveIsWritable = ::geteuid() == 0 && static_cast<std::uint32_t>(system.f_type) == posix::kExt4Magic;
    const auto writable = reserveIsWritable ? space.f_bfree : space.f_bavail;
    found.available = static_cast<std::int64_t>(writable) * block;
    return {found, 0};
}

SysResult<std::vector<Extent>> PosixFileServices::extentsOf(FileHandle handle) {
    auto extents = fiemapOf(handle);
    // FUSE passes no FIEMAP; a driver of a block device maps block by block.
    if (extents.error == EOPNOTSUPP && posix::readableDeviceUnder(handle))
        return posix::blockMapOf(handle);
    return extents;
}

// ntfs-3g answers for the volume's own $MFT at the root of its mount, though it lists it nowhere.
SysResult<std::int64_t> PosixFileServices::fileRecordsOf(const std::string& folder) {
    struct statfs system {};
    struct stat info {};
    if (::statfs(folder.c_str(), &system) != 0 || ::stat(folder.c_str(), &info) != 0)
        return {0, errno};
    const posix::MountEntry mount = posix::mountEntryOf(info.st_dev);
    // The fill asks after each file it makes, of a volume it knows to be NTFS: no probe of the device.
    if (static_cast<std::uint32_t>(system.f_type) != posix::kFuseMagic || mount.root != "/")
        return {0, EOPNOTSUPP};
    struct stat table {};
    if (::stat((mount.mountPoint + "/$MFT").c_str(), &table) != 0)
        return {0, errno};
    // The space it takes, not its length: ntfs-3g lengthens it into space taken already, and
    // takes more only once no record is free.
    return {static_cast<std::int64_t>(table.st_blocks) * 512, 0};
}

} // namespace kelvanter
