#pragma once

#include "platform/PathParts.h"
#include "platform/SysResult.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvanter {

// Refusals of the services that no errno names, each apart from every errno value.
inline constexpr int kNotARegularFile = 0x10001;  // a folder, link, FIFO, socket or device
inline constexpr int kFileReplaced = 0x10002;     // the path names another file than the one held
inline constexpr int kDirectIoRefused = 0x10003;  // the file system takes no writes past its cache
inline constexpr int kMountPoint = 0x10004;       // something is mounted on the path: it is no file in its folder
inline constexpr int kFileUnchangeable = 0x10006; // immutable or append-only (or a system file): nothing may change it

#ifdef EDQUOT
inline constexpr int kQuotaExceeded = EDQUOT;
#else
inline constexpr int kQuotaExceeded = ENOSPC; // Windows reports a full quota as a full disk
#endif

// The size of the blocks every pass writes, and of the direct I/O alignment.
inline constexpr std::size_t kBlockSize = 4096;

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
    // On POSIX: read-only when the owner may not write, else normal.
    std::uint32_t attributes = kAttrNormal;
    // POSIX's immutable or append-only inode: nothing short of privilege can change or remove it.
    bool unchangeable = false;
    bool ours = true;          // owned by the user this process runs as
    std::uint64_t links = 1;   // names the file has; 0 once it has been deleted
    std::int64_t modified = 0; // when its data last changed, in nanoseconds of the system's clock
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

// Where a file system keeps a deleted file's name in its folder, and so how the name is written
// over before the file leaves it.
enum class DeletedNames {
    Reused,       // nowhere a program could reach from here
    FatSlots,     // FAT: in the folder's slots; a new name takes the first free run of slots anywhere
    ExfatEntries, // exFAT: in the folder's entries, which a rename of the same length rewrites in place
    NtfsIndex,    // NTFS: in the slack of the folder's index and of its own record
};

struct StorageFacts {
    std::string fileSystem; // its name as the mount table gives it: "ext4", "btrfs", ...
    StorageKind kind = StorageKind::Unknown;
    bool journalsData = false;  // contents pass through a journal first (data=journal, or the inode's flag)
    bool noCopyOnWrite = false; // the inode is marked to be overwritten in place on a copy-on-write system
    bool logStructured = false; // writes everything, its own records too, as a log of segments (f2fs, nilfs2)
    DeletedNames deletedNames = DeletedNames::Reused;
    bool namesInSystemLog = false; // Windows' NTFS keeps names in its log and its change journal
    // A read-back reaches only the file system's own driver (a FUSE driver over a device this
    // process may not read), not the device.
    bool readBackThroughDriver = false;
    MediaKind media = MediaKind::Unknown;
    bool encryptedBelow = false; // an encrypting layer (dm-crypt, BitLocker) lies between it and the device
    bool synchronised = false;   // a service mirrors the file's folder elsewhere
    std::string syncProvider;    // that service's name, where it is known
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

// Where an extended attribute's value lies, and so what a new value of the same length does to it.
enum class ValuePlace {
    InPlace,   // in the file's own record or attribute block, where the new value is written over it
    OwnBlock,  // in a block of its own that the file system's journal writes home only later
    Elsewhere, // a new value goes to new blocks, and the old ones are freed unwritten (an ext4
               // attribute inode, an XFS remote value)
};

// An extended attribute of a file ("user.xdg.origin.url", where a download came from).
struct FileAttribute {
    std::string name; // whole, with its namespace
    std::int64_t size = 0;
    bool mayChange = true; // false where no user may write it (security.*), or not this one (trusted.*)
    ValuePlace place = ValuePlace::InPlace;
};

// What a watch for other programs' opens of the run's file saw since it began.
struct WriterWatch {
    bool held = false;   // it still holds: no other program has opened the file since
    bool writer = false; // a program opened it for writing (or cut it) meanwhile
    bool reader = false; // a program opened it for reading meanwhile
};

// A stretch of a file that holds data, in bytes; the rest of it is holes, which hold nothing.
struct DataRange {
    std::int64_t offset = 0;
    std::int64_t length = 0;
    bool operator==(const DataRange&) const = default;
};

using FileHandle = int;
inline constexpr FileHandle kNoHandle = -1;

// How a pass's writes reach the device: straight (O_DIRECT, leaving the page cache alone) or
// through the page cache, where the file system refuses the direct route.
enum class WriteRoute { Direct, Buffered };

// The file opened for the passes, and how its writes reach the device.
struct OverwriteHandle {
    FileHandle handle = kNoHandle;
    WriteRoute route = WriteRoute::Direct;
};

// A file held by the lookup, and what the lookup saw of it.
struct PinnedEntry {
    FileHandle handle = kNoHandle;
    EntryStatus status;
};

// What every client of the file services needs: names, and open files' ends.
// Paths are byte strings taken literally: no wildcards, no expansion.
class FileBasics {
public:
    virtual ~FileBasics() = default;

    // The characters that end a folder's name in a path.
    virtual const char* pathSeparators() const = 0;
    // The process's current folder.
    virtual SysResult<std::string> currentFolder() = 0;
    // The path made absolute against the current folder, as the system names it; on POSIX
    // joined without resolving "..", which through a linked folder would name another file.
    virtual SysResult<std::string> absolutePath(const std::string& path) = 0;
    // The names in the folder at the path, without "." and "..", for looking only: what changes
    // names goes through a held folder.
    virtual SysResult<std::vector<std::string>> listFolder(const std::string& path) = 0;
    // The whole contents of a small regular file (never through a link); EFBIG past `limit` bytes.
    virtual SysResult<std::string> readSmallFile(const std::string& path, std::size_t limit) = 0;

    // Commits the open file's data to the device; a failure here means the data is not there.
    virtual SysStatus flushData(FileHandle handle) = 0;
    // Closes a file or a held folder, and lets go of any lock on it.
    virtual SysStatus close(FileHandle handle) = 0;

    // How the file system under the open file stores changed data; `path` names it, for what
    // only a path can tell (the folders above it).
    virtual SysResult<StorageFacts> storageOf(FileHandle handle, const std::string& path) = 0;
};

// Who else may change the names in a folder.
struct FolderAccess {
    bool othersMayWrite = false; // users other than the owner may make, rename and delete names there
    bool sticky = false;         // only a name's owner may rename or delete it (POSIX's sticky bit)
};

// Folders held open, and the names in them: what the destruction and the fill both do there.
// Every name is a name in the held folder, never a path; nothing is done by a path that another
// program could have changed since the folder was opened.
class FolderServices : public virtual FileBasics {
public:
    // The folder at the path, held open.
    virtual SysResult<FileHandle> openFolder(const std::string& path) = 0;
    // The folder of that name in the held one, never through a link (ELOOP); ENOTDIR where it is
    // no folder.
    virtual SysResult<FileHandle> openFolderAt(FileHandle folder, const std::string& name) = 0;
    // The names in the held folder, without "." and "..", in the file system's own order (on FAT
    // the order of the folder's slots).
    virtual SysResult<std::vector<std::string>> namesIn(FileHandle folder) = 0;
    // What a name in the held folder names now, without following a link.
    virtual SysResult<EntryStatus> statusAt(FileHandle folder, const std::string& name) = 0;
    // Which file a name in the held folder names now, without following a link.
    SysResult<FileIdentity> identityAt(FileHandle folder, const std::string& name) {
        const auto status = statusAt(folder, name);
        return {status.value.identity, status.error};
    }
    // Which folder the held one is.
    virtual SysResult<FileIdentity> identityOfFolder(FileHandle folder) = 0;
    // Which disk holds the held folder, by the file system's own identity (its UUID, btrfs's fsid,
    // Windows' volume serial), which stays when the disk comes back under another device number.
    // EOPNOTSUPP where the system cannot tell.
    virtual SysResult<std::string> diskOf(FileHandle folder) {
        (void)folder;
        return {{}, EOPNOTSUPP};
    }
    // Whether something is mounted on the held folder (a bind mount, a Windows mount point or
    // junction): what lies there is no part of the folder above it.
    virtual SysResult<bool> isMountRoot(FileHandle folder) = 0;
    // Who else may change the names in the held folder.
    virtual SysResult<FolderAccess> accessOf(FileHandle folder) = 0;
    // Renames within or between held folders; EEXIST rather than replace an existing entry, and
    // EOPNOTSUPP where the file system can neither rename without replacing nor link. Any other
    // error is a refusal of this rename (EPERM in a sticky folder, EACCES, EROFS).
    virtual SysStatus renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                               const std::string& to) = 0;
    // Deletes the name of a file in the held folder; the folder's flush is the caller's.
    virtual SysStatus removeAt(FileHandle folder, const std::string& name) = 0;
    // A new folder in the held folder that only this user may enter (hidden on Windows), held
    // open; EEXIST where the name is taken.
    virtual SysResult<FileHandle> makePrivateFolderAt(FileHandle folder, const std::string& name) = 0;
    // Removes the empty folder of that name in the held folder; the folder's flush is the caller's.
    virtual SysStatus removeFolderAt(FileHandle folder, const std::string& name) = 0;
    // Commits the folder's entries, so that a name changed there does not come back after a crash.
    // An error says the changes may not last; a file system that cannot flush a folder at all
    // (EINVAL, EBADF, EISDIR, as GNU shred takes them) is no error.
    virtual SysStatus flushFolder(FileHandle folder) = 0;
    // Whether the held folder's index, as its device holds it, keeps a copy of any of `runs` (byte
    // strings: a deleted name's, in UTF-16LE), where NTFS keeps the bytes of entries it moved or
    // removed. EOPNOTSUPP where the system cannot read it so (ntfs-3g's device, which takes
    // privilege to read; Windows' own NTFS), and the index may keep them.
    virtual SysResult<bool> folderIndexHolds(FileHandle folder, const std::vector<std::string>& runs) {
        (void)folder;
        (void)runs;
        return {false, EOPNOTSUPP};
    }
    // Writes over the unused end of the held folder's own record, where NTFS keeps the entries
    // a small folder's index has shed: a named stream of the largest size that fits there, made
    // and removed at once. EOPNOTSUPP where the system can make none.
    virtual SysStatus fillFolderRecordSlack(FileHandle folder) = 0;
    // A new file of that name in the held folder, for writing, never an existing one (EEXIST),
    // written straight to the device where its file system takes that, else through the cache.
    virtual SysResult<FileHandle> createFileAt(FileHandle folder, const std::string& name) = 0;
    // A new small file with these contents in the held folder, flushed with the folder; EEXIST
    // where the name is taken.
    virtual SysStatus createSmallFileAt(FileHandle folder, const std::string& name, const std::string& contents) = 0;
    // Holds the held folder for this process alone until it is closed; EBUSY where another
    // process holds it.
    virtual SysStatus lockFolder(FileHandle folder) = 0;
};

// A read started by startDeviceRead: the result where it ran at once, else the system's own
// record of the read in flight.
struct DeviceRead {
    SysResult<std::int64_t> result;
    std::shared_ptr<void> inFlight;
};

// What the destruction of one file needs. After the lookup every query is made on the file held
// open; only the pass's open and the names in the file's folder go by name.
class DestructionServices : public virtual FolderServices {
public:
    // Holds the entry of that name in the held folder itself (never through a link) and says what
    // it is. Anything but a regular file is refused (kNotARegularFile, with what it is) without being
    // opened, and so is a file that is mounted on the name from elsewhere (kMountPoint); ENOENT when
    // nothing is there. While it is held its inode stays allocated, so no file created later can take
    // over its identity.
    virtual SysResult<PinnedEntry> pinAt(FileHandle folder, const std::string& name) = 0;
    // The same for the path: its folder opened for the moment, the name looked up in it.
    SysResult<PinnedEntry> pin(const std::string& path) {
        const auto folder = openFolder(pathParts::folderOf(path, pathSeparators()));
        if (!folder.ok())
            return {{}, folder.error};
        auto pinned = pinAt(folder.value, pathParts::nameOf(path, pathSeparators()));
        close(folder.value);
        return pinned;
    }
    virtual void unpin(FileHandle pinned) = 0;
    // The held file's status now: its attributes, its length, whether it still has a name.
    virtual SysResult<EntryStatus> statusOf(FileHandle pinned) = 0;
    // Lifts the read-only protection of the held file.
    virtual SysStatus addOwnerWrite(FileHandle pinned) = 0;
    // Sets the attributes to normal: clears read-only, hidden, system and temporary, or on POSIX
    // adds the owner's write bit and clears the immutable and append-only flags (as privilege allows).
    virtual SysStatus resetAttributes(FileHandle pinned) = 0;
    // Where the open file's bytes lie on the device, after pending data has been allocated.
    // EOPNOTSUPP where the file system cannot tell (tmpfs, some network file systems).
    virtual SysResult<std::vector<Extent>> extentsOf(FileHandle handle) = 0;
    // The named streams the file carries besides its main one; none where the system has none.
    virtual SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string& path,
                                                               const FileIdentity& expected) = 0;

    // Opens the file of that name in the held folder for reading and writing at its first byte,
    // without truncating it, straight to the device where its file system takes that, else through
    // the cache. Refuses a link (ELOOP), anything but a regular file (kNotARegularFile) and a file
    // other than `expected` (kFileReplaced); nothing is ever written to a refused name, and the name
    // is opened once.
    virtual SysResult<OverwriteHandle> openForOverwriteAt(FileHandle folder, const std::string& name,
                                                          const FileIdentity& expected) = 0;
    // The same for the path, its folder opened for the moment.
    SysResult<OverwriteHandle> openForOverwrite(const std::string& path, const FileIdentity& expected) {
        const auto folder = openFolder(pathParts::folderOf(path, pathSeparators()));
        if (!folder.ok())
            return {{}, folder.error};
        auto opened = openForOverwriteAt(folder.value, pathParts::nameOf(path, pathSeparators()), expected);
        close(folder.value);
        return opened;
    }
    // The open file, from now on written through the cache. The value is the handle to use:
    // the same one where the system can switch it, else one opened anew on the same file.
    virtual SysResult<FileHandle> writeThroughCache(FileHandle handle) = 0;
    // Current length of the open file in bytes.
    virtual SysResult<std::int64_t> lengthOf(FileHandle handle) = 0;
    // Writes `count` copies of the `blockSize` bytes at `block`, back to back from byte `offset`,
    // many copies per system call, retrying short writes and EINTR. For a direct handle the block
    // and the offset are 4096-byte aligned; kDirectIoRefused then means the device refused the
    // direct write. The value is the number of bytes written, also when the error says why it
    // stopped short.
    virtual SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize,
                                                std::int64_t count, std::int64_t offset) = 0;
    // Reads `size` bytes at `offset` as the device holds them, not from the cache, into a buffer
    // aligned to 4096 bytes; the bytes read, fewer only at the file's end.
    virtual SysResult<std::int64_t> readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                                   std::size_t size) = 0;
    // The same read, run alongside whatever the caller does next (the next writes): started here,
    // its result taken by awaitDeviceRead, which every started read must get. The buffer and the
    // handle are the read's until then. Where the system cannot run it alongside, it runs here.
    virtual DeviceRead startDeviceRead(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) {
        return {readFromDevice(handle, offset, buffer, size), nullptr};
    }
    virtual SysResult<std::int64_t> awaitDeviceRead(DeviceRead& read) { return read.result; }
    // Whether the read has ended within that many microseconds, so that awaitDeviceRead will not wait.
    virtual bool waitForDeviceRead(DeviceRead&, std::int64_t) { return true; }
    // Whether startDeviceRead runs a read beside its caller; where it does not, a read would hold
    // the caller for as long as the device takes.
    virtual bool readsAlongside() const { return false; }
    // Cuts the open file to zero bytes and commits the cut to the device.
    virtual SysStatus cutToZero(FileHandle handle) = 0;

    // The held file opened anew for the passes, whatever its path names by now: for a file whose
    // last name another program deleted after the lookup. Otherwise as openForOverwrite.
    virtual SysResult<OverwriteHandle> reopenForOverwrite(FileHandle pinned) = 0;
    // Where the open file holds data: its whole length where the file system cannot tell holes.
    virtual SysResult<std::vector<DataRange>> dataRangesOf(FileHandle handle) = 0;
    // The extended attributes of the open file; none where the system keeps none.
    virtual SysResult<std::vector<FileAttribute>> attributesOf(FileHandle handle) = 0;
    // Gives the attribute of that whole name this value in place of its old one.
    virtual SysStatus replaceAttributeValue(FileHandle handle, const std::string& name, const std::string& value) = 0;
    virtual SysStatus removeAttribute(FileHandle handle, const std::string& name) = 0;
    // Commits the file's new attribute values to the device (or its journal).
    virtual SysStatus settleAttributes(FileHandle handle) { return flushData(handle); }
    // Writes the journal of the file system under the open file home and clears its copies (ext4's
    // checkpoint), so that blocks changed through it hold their new bytes before they are freed.
    // EPERM where that takes privilege, EOPNOTSUPP where there is no such journal or call.
    virtual SysStatus checkpointJournal(FileHandle handle) {
        (void)handle;
        return {EOPNOTSUPP};
    }

    // Whether the file opened for the passes can stand for the held file from then on: one
    // descriptor, which another program's open cannot go unnoticed by.
    virtual bool writerHoldsTheFile() const { return false; }
    // Watches the run's open file for other programs' opens until it is closed: a write lease,
    // which such an open breaks at once. EAGAIN where another holds it open already, EACCES where
    // this user may take none on it, EOPNOTSUPP where the system keeps none (its share mode then
    // keeps writers out, as on Windows).
    virtual SysStatus watchForOthers(FileHandle handle) {
        (void)handle;
        return {EOPNOTSUPP};
    }
    virtual WriterWatch othersSeen(FileHandle handle) {
        (void)handle;
        return {};
    }
};

// A file system's log of its own metadata (ext4's journal, XFS's log), where old copies of
// folders and their names stay until the log comes round again.
struct MetadataLog {
    std::int64_t size = 0;    // bytes
    std::int64_t written = 0; // bytes written to it since the file system was mounted, or a like count
    bool countsWrites = true; // false where only the size is known (btrfs's metadata space)
};

// What overwriting a file system's free space needs besides its folders.
class FillServices : public virtual FolderServices {
public:
    virtual SysResult<FileSystemSpace> spaceOf(const std::string& path) = 0;
    // Commits everything pending on the file system that holds the path, so that freed blocks
    // (btrfs's after its commit) are really free.
    virtual SysStatus flushFileSystem(const std::string& path) = 0;
    // Writes `size` bytes at `offset`, retrying short writes; the bytes written, also with an error.
    virtual SysResult<std::int64_t> writeData(FileHandle handle, const void* data, std::size_t size,
                                              std::int64_t offset) = 0;
    // Holds the whole file system under the path for this process's fill until the handle is
    // closed; EBUSY where another fill holds it.
    virtual SysResult<FileHandle> lockFileSystemOf(const std::string& path) = 0;
    // Gives the open file an extended attribute of the user's ("user.NAME" on Linux); EOPNOTSUPP
    // where the file system keeps none.
    virtual SysStatus setAttribute(FileHandle file, const std::string& name, const std::string& value) = 0;
    // The metadata log of the file system under the folder; EOPNOTSUPP where it has none this
    // program can read.
    virtual SysResult<MetadataLog> metadataLogOf(const std::string& folder) = 0;
    // The space in bytes that the table of file records of the file system under the folder takes
    // (NTFS's $MFT), which grows only where no free record is left; EOPNOTSUPP where it cannot be read.
    // Asked only of a file system known to be NTFS.
    virtual SysResult<std::int64_t> fileRecordsOf(const std::string& folder) = 0;
};

// Who else holds a file open or mapped.
enum class Holders {
    None,    // no other program
    Others,  // another program does, and may write on
    Unknown, // the system would not tell of every program (those of other users)
};

// What the program asks of the system about other processes and about itself.
class ProcessServices {
public:
    virtual ~ProcessServices() = default;

    // Whether another program holds the held file open or mapped, as far as the system tells:
    // the held file must be this process's only open of it.
    virtual Holders holdersOf(FileHandle pinned) = 0;
    // The folder where the program keeps what it must remember across a kill (in the user's
    // state folder), made where it is missing.
    virtual SysResult<std::string> stateFolder() = 0;
    // From now on, a request to end the program (SIGTERM, SIGHUP, SIGINT) is held back and noted.
    virtual void holdStopRequests() = 0;
    // Whether a request to end the program came while they are held back.
    virtual bool stopRequested() = 0;
    // Stops holding them back; a request that came meanwhile ends the program now.
    virtual void releaseStopRequests() = 0;
    // Whether the program runs with the system's full rights (root, an elevated administrator):
    // a refusal then is none that more rights would lift.
    virtual bool hasFullRights() = 0;
    // How many files a run of many may hold open at once, after raising the system's limit for
    // this process as far as it allows; a few are left for the run itself.
    virtual std::int64_t filesOpenAtOnce() = 0;
};

// What the desktop's records of a file need besides reading them.
class DesktopServices : public virtual FileBasics {
public:
    // Replaces a regular file's contents at once: a new file beside it, flushed, then renamed over
    // it, keeping its permissions. Readers see either the old or the new contents, never a mix.
    virtual SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) = 0;
};

} // namespace kelvanter
