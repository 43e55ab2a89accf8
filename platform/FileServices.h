#pragma once

#include "platform/SysResult.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvanter {

// errno values the services use for refusals that have no errno of their own.
inline constexpr int kNotARegularFile = EINVAL;
#ifdef ESTALE
inline constexpr int kFileReplaced = ESTALE;
#else
inline constexpr int kFileReplaced = 116;     // the C runtime on Windows has no ESTALE
#endif

#ifdef EDQUOT
inline constexpr int kQuotaExceeded = EDQUOT;
#else
inline constexpr int kQuotaExceeded = ENOSPC; // Windows reports a full quota as a full disk
#endif

// The file attribute word, as Windows keeps it; POSIX services derive it from the mode and flags.
inline constexpr std::uint32_t kAttrReadOnly = 0x0001;
inline constexpr std::uint32_t kAttrHidden = 0x0002;
inline constexpr std::uint32_t kAttrSystem = 0x0004;
inline constexpr std::uint32_t kAttrArchive = 0x0020;
inline constexpr std::uint32_t kAttrNormal = 0x0080;
inline constexpr std::uint32_t kAttrTemporary = 0x0100;
inline constexpr std::uint32_t kAttrQueryFailed = 0xFFFFFFFF;

enum class EntryKind { Regular, Directory, Symlink, Other };

// Which inode a path named when it was looked up; a later open must find the same one.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct EntryStatus {
    EntryKind kind = EntryKind::Other;
    FileIdentity identity;
    std::int64_t size = 0;
    // On POSIX: read-only when the owner may not write, system when the inode is immutable or
    // append-only (nothing short of privilege can remove it), normal when neither.
    std::uint32_t attributes = kAttrNormal;
};

// A named data stream of a file (NTFS's "brief.txt:geheim"), which holds data of its own.
struct NamedStream {
    std::string path;
    std::int64_t size = 0;
};

// How a file system stores changed data, as far as this machine can tell.
enum class StorageKind {
    InPlace,     // overwrites a file's blocks where they are (ext4, xfs, vfat, ...)
    CopyOnWrite, // writes changed data to new places (btrfs, zfs, f2fs, ...)
    Remote,      // a network, FUSE or overlay file system: where the data lives is out of sight
    MemoryOnly,  // keeps data only in memory (tmpfs, ramfs)
    Unknown,
};

// What the devices under a file system are made of.
enum class MediaKind {
    Unknown,
    Rotating, // magnetic disks, which overwrite a block where it lies
    Flash,    // SSDs, USB sticks, memory cards: changed blocks go to new cells, old ones linger
};

struct StorageFacts {
    std::string fileSystem; // its name as the mount table gives it: "ext4", "btrfs", ...
    StorageKind kind = StorageKind::Unknown;
    bool journalsData = false;  // contents pass through a journal first (data=journal, or the inode's flag)
    bool noCopyOnWrite = false; // the inode is marked to be overwritten in place on a copy-on-write system
    MediaKind media = MediaKind::Unknown;
    bool encryptedBelow = false; // an encrypting layer (dm-crypt, BitLocker) lies between it and the device
    std::string syncProvider;    // the service that mirrors the file's folder elsewhere; empty where none
};

// The space of the file system that holds a path, in bytes.
struct FileSystemSpace {
    std::string fileSystem; // its name: "ext4", "NTFS", ...
    std::int64_t blockSize = 0;
    std::int64_t total = 0;
    std::int64_t free = 0;      // free blocks, the administrator's reserve included
    std::int64_t available = 0; // what this process may write
};

// Extent flags, as far as they bear on an in-place overwrite.
inline constexpr std::uint32_t kExtentShared = 1;  // the blocks belong to another file or a snapshot too
inline constexpr std::uint32_t kExtentEncoded = 2; // compressed or otherwise encoded
inline constexpr std::uint32_t kExtentInline = 4;  // stored inside metadata, not in blocks of its own
inline constexpr std::uint32_t kExtentUnknown = 8; // the file system cannot say where the data is

// One stretch of a file on its device, in bytes.
struct Extent {
    std::int64_t logical = 0;
    std::int64_t physical = 0;
    std::int64_t length = 0;
    std::uint32_t flags = 0;
    bool operator==(const Extent&) const = default;
};

using FileHandle = int;

// How a pass's writes reach the device: straight (O_DIRECT, leaving the page cache alone) or
// through the page cache, where the file system refuses the direct route.
enum class WriteRoute { Direct, Buffered };

struct PinnedEntry {
    FileHandle handle = -1;
    EntryKind kind = EntryKind::Other;
    FileIdentity identity;
};

// Every system call the destruction core makes goes through this interface.
// Paths are byte strings taken literally: no wildcards, no expansion.
class FileServices {
public:
    virtual ~FileServices() = default;

    // The entry at the path itself; a link is reported as a link, never followed.
    // Fails with ENOENT (or ENOTDIR) when nothing is there.
    virtual SysResult<EntryStatus> inspect(const std::string& path) = 0;

    // Holds the entry at the path itself (a link as a link) without access to its data. While it is
    // held its inode stays allocated, so no file created later can take over its identity.
    virtual SysResult<PinnedEntry> pin(const std::string& path) = 0;
    virtual void unpin(FileHandle handle) = 0;

    // Opens the file for reading and writing at its first byte, without truncating it.
    // Refuses a link (ELOOP), anything but a regular file (kNotARegularFile) and a file
    // other than `expected` (kFileReplaced); nothing is ever written to a refused path.
    // With WriteRoute::Direct, EINVAL means the file system does not take direct writes.
    virtual SysResult<FileHandle> openForOverwrite(const std::string& path, const FileIdentity& expected,
                                                   WriteRoute route) = 0;

    // Current length of the open file in bytes.
    virtual SysResult<std::int64_t> lengthOf(FileHandle handle) = 0;

    // Writes `count` copies of the `blockSize` bytes at `block`, back to back from byte `offset`,
    // many copies per system call, retrying short writes and EINTR. For a direct handle the block
    // and the offset are 4096-byte aligned; EINVAL then means the device refused the direct write.
    // The value is the number of bytes written, also when the error says why it stopped short.
    virtual SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize,
                                                std::int64_t count, std::int64_t offset) = 0;

    // Commits the file's data to the device; a failure here means the pass did not happen.
    virtual SysStatus flushData(FileHandle handle) = 0;

    virtual SysStatus close(FileHandle handle) = 0;

    // Cuts the file to zero bytes with write-through and commits the cut to the device.
    // Refuses like openForOverwrite before anything is cut.
    virtual SysStatus truncateToZero(const std::string& path, const FileIdentity& expected) = 0;

    // How the file system under the file stores changed data. Refuses a file other than `expected`.
    virtual SysResult<StorageFacts> storageOf(const std::string& path, const FileIdentity& expected) = 0;

    // Where the file's bytes lie on the device, after pending data has been allocated.
    // EOPNOTSUPP where the file system cannot tell (tmpfs, some network file systems).
    virtual SysResult<std::vector<Extent>> extentsOf(const std::string& path, const FileIdentity& expected) = 0;

    // Reads `blockSize` bytes at each offset from the device itself, not from the page cache.
    virtual SysResult<std::vector<unsigned char>> readFromDevice(const std::string& path, const FileIdentity& expected,
                                                                 const std::vector<std::int64_t>& offsets,
                                                                 std::size_t blockSize) = 0;

    // The named streams the file carries besides its main one; none where the system has none.
    virtual SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string& path,
                                                               const FileIdentity& expected) = 0;

    // Lifts the read-only protection of a regular file (never through a link).
    virtual SysStatus addOwnerWrite(const std::string& path) = 0;

    // Sets the attributes to normal: clears read-only, hidden, system and temporary, or on POSIX
    // adds the owner's write bit and clears the immutable and append-only flags (as privilege allows).
    virtual SysStatus resetAttributes(const std::string& path) = 0;

    // The characters that end a folder's name in a path.
    virtual const char* pathSeparators() const = 0;

    // Renames within a folder; fails with EEXIST rather than replace an existing entry.
    // The folder is flushed afterwards so the old name does not come back after a crash.
    virtual SysStatus renameNoReplace(const std::string& from, const std::string& to) = 0;

    // Deletes the name and flushes its folder.
    virtual SysStatus removeFile(const std::string& path) = 0;

    // The process's current folder.
    virtual SysResult<std::string> currentFolder() = 0;

    // The path made absolute against the current folder, as the system names it; on POSIX
    // joined without resolving "..", which through a linked folder would name another file.
    virtual SysResult<std::string> absolutePath(const std::string& path) = 0;

    // The names in a folder, without "." and "..".
    virtual SysResult<std::vector<std::string>> listFolder(const std::string& path) = 0;

    // The whole contents of a small regular file (never through a link); EFBIG past `limit` bytes.
    virtual SysResult<std::string> readSmallFile(const std::string& path, std::size_t limit) = 0;

    // Replaces a regular file's contents at once: a new file beside it, flushed, then renamed over
    // it, keeping its permissions. Readers see either the old or the new contents, never a mix.
    virtual SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) = 0;

    // ---- overwriting a file system's free space ----

    virtual SysResult<FileSystemSpace> spaceOf(const std::string& path) = 0;
    // Commits everything pending on the file system that holds the path, so that freed blocks
    // (btrfs's after its commit) are really free.
    virtual SysStatus flushFileSystem(const std::string& path) = 0;
    // A folder only this user may enter (hidden on Windows); EEXIST where the name is taken.
    virtual SysStatus createPrivateFolder(const std::string& path) = 0;
    virtual SysStatus removeEmptyFolder(const std::string& path) = 0;
    // Holds the folder for this process alone until the handle is closed; EBUSY where another
    // process holds it.
    virtual SysResult<FileHandle> lockFolder(const std::string& path) = 0;
    // A new file for writing, never an existing one (EEXIST).
    virtual SysResult<FileHandle> createNewFile(const std::string& path, WriteRoute route) = 0;
    // Writes `size` bytes at `offset`, retrying short writes; the bytes written, also with an error.
    virtual SysResult<std::int64_t> writeData(FileHandle handle, const void* data, std::size_t size,
                                              std::int64_t offset) = 0;
};

} // namespace kelvanter
