#pragma once

#include "platform/PlatformServices.h"

#include <functional>
#include <optional>
#include <set>

namespace kelvanter::testing {

// The real services of this system, counting calls and failing on demand where the file system
// cannot be made to fail at a precise point. Counts start at 1; 0 means never.
class InstrumentedFileServices : public PlatformFileServices {
public:
    int failOpenAt = 0;
    // Fails the write of this block, counted over the run; the blocks before it are written.
    int failWriteAt = 0;
    int failWriteWith = ENOSPC;
    // A file system that refuses direct writes at the open, or only at the first write.
    bool refuseDirectOpen = false;
    bool refuseDirectWrite = false;
    int failFlushAt = 0;
    // Blocks of the file whose writes a failing device drops without a word: counted from the
    // file's start, in blocks of the write.
    struct BlockRange {
        std::int64_t first = 0;
        std::int64_t count = 0;
    } droppedBlocks;
    // Calls back after each flush of data that succeeded: the end of each pass.
    std::function<void(int flushNumber)> afterFlush;
    int failRemoveAt = 0;
    // Every flush of a folder fails with this errno, as on a device that has begun to fail.
    int failFolderFlushesWith = 0;
    // Calls back after each write of data (the free-space fill), with the bytes written so far.
    std::function<void(std::int64_t bytes)> afterDataWrite;
    std::int64_t dataWritten = 0;
    // Calls back after each write of a pass, with the blocks written so far.
    std::function<void(std::int64_t blocks)> afterWrite;
    // A file system that refuses every rename without replacing, with this errno.
    int refuseRenamesWith = 0;
    // Refuses the renames it returns an errno for.
    std::function<int(const std::string& from, const std::string& to)> renameRefusal;
    // A folder that keeps a deleted entry's name, as FAT's, exFAT's and NTFS's do.
    DeletedNames deletedNames = DeletedNames::Reused;
    // What the device says it is made of, in place of this machine's answer.
    std::optional<MediaKind> media;
    // Calls back before and after each rename in a held folder, with the names it moves.
    std::function<void(const std::string& from, const std::string& to)> beforeRename;
    // Calls back before each lookup of a name in a held folder: after a folder's walk, before its files are held.
    std::function<void(const std::string& name)> beforePin;
    // Calls back before each deletion of a name in a held folder.
    std::function<void(const std::string& name)> beforeRemove;
    std::function<void(const std::string& from, const std::string& to)> afterRename;
    // A folder that takes no new folders: the disposal then renames the file within it.
    bool refusePrivateFolders = false;
    bool ignoreAttributeResets = false;
    std::function<void(int openNumber)> beforeOpen;
    std::function<void()> beforeCut;
    std::function<void(int closeNumber)> afterClose;
    // Lets a test change what the device seems to hold: the extents of the Nth query, the read-back.
    std::function<void(int queryNumber, SysResult<std::vector<Extent>>& extents)> alterExtents;
    std::function<void(std::int64_t offset, unsigned char* bytes, std::size_t size)> alterReadBack;
    // The Nth read from the device fails with this errno, or with none comes back half as long.
    int failReadBackAt = 0;
    int failReadBackWith = 0;
    // Files beside the file that stand in for its named streams, where the system has none to make.
    std::vector<std::string> streamFiles;

    // The order of the flushes and the reads from the device: for each, the end of what the passes
    // had written by the flush, or the end of the read.
    struct DeviceStep {
        enum class Kind { Flush, Read } kind;
        std::int64_t end = 0;
    };
    std::vector<DeviceStep> deviceSteps;

    int opens = 0;
    int directOpens = 0;
    int writes = 0;
    std::int64_t blocksWritten = 0;
    int flushes = 0;
    int closes = 0;
    int resets = 0;
    // The handles of the passes and of held folders that are still open.
    const std::set<FileHandle>& openHandles() const { return open_; }

    SysResult<OverwriteHandle> openForOverwriteAt(FileHandle folder, const std::string& name,
                                                  const FileIdentity& expected) override;
    SysResult<FileHandle> writeThroughCache(FileHandle handle) override;
    SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override;
    SysStatus flushData(FileHandle handle) override;
    SysStatus close(FileHandle handle) override;
    SysStatus cutToZero(FileHandle handle) override;
    SysResult<std::vector<Extent>> extentsOf(FileHandle handle) override;
    SysResult<std::int64_t> readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                           std::size_t size) override;
    // At once, as a system without reads alongside: the faults and the order stay the test's.
    DeviceRead startDeviceRead(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) override {
        return DestructionServices::startDeviceRead(handle, offset, buffer, size);
    }
    SysResult<std::int64_t> awaitDeviceRead(DeviceRead& read) override {
        return DestructionServices::awaitDeviceRead(read);
    }
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string& path, const FileIdentity& expected) override;
    SysStatus resetAttributes(FileHandle pinned) override;
    SysStatus renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                       const std::string& to) override;
    SysStatus removeAt(FileHandle folder, const std::string& name) override;
    SysResult<PinnedEntry> pinAt(FileHandle folder, const std::string& name) override {
        if (beforePin)
            beforePin(name);
        return PlatformFileServices::pinAt(folder, name);
    }
    // Calls back before and after a private folder is made, with its name.
    std::function<void(const std::string& name)> beforePrivateFolder;
    std::function<void(const std::string& name)> afterPrivateFolder;
    SysResult<FileHandle> makePrivateFolderAt(FileHandle folder, const std::string& name) override {
        if (refusePrivateFolders)
            return {kNoHandle, EACCES};
        if (beforePrivateFolder)
            beforePrivateFolder(name);
        auto made = PlatformFileServices::makePrivateFolderAt(folder, name);
        if (made.ok() && afterPrivateFolder)
            afterPrivateFolder(name);
        return made;
    }
    SysResult<std::int64_t> writeData(FileHandle handle, const void* data, std::size_t size,
                                      std::int64_t offset) override;
    SysResult<FileHandle> openFolder(const std::string& path) override;
    SysResult<StorageFacts> storageOf(FileHandle handle, const std::string& path) override {
        auto facts = PlatformFileServices::storageOf(handle, path);
        if (deletedNames != DeletedNames::Reused)
            facts.value.deletedNames = deletedNames;
        facts.value.media = media.value_or(facts.value.media);
        return facts;
    }
    SysStatus flushFolder(FileHandle folder) override {
        if (failFolderFlushesWith != 0)
            return {failFolderFlushesWith};
        return PlatformFileServices::flushFolder(folder);
    }

private:
    SysResult<std::int64_t> writeAllButDropped(FileHandle handle, const void* block, std::size_t blockSize,
                                               std::int64_t count, std::int64_t offset);

    std::set<FileHandle> open_;
    int removes_ = 0;
    int extentQueries_ = 0;
    int readBacks_ = 0;
    FileHandle directHandle_ = kNoHandle;
    std::int64_t writtenEnd_ = 0;
};

// One file that exists only as a length, for counter arithmetic on sizes no test should write.
class SimulatedFileServices : public DestructionServices {
public:
    explicit SimulatedFileServices(std::int64_t length) : length_(length) {}
    std::int64_t length() const { return length_; }
    std::int64_t blocksWritten = 0;
    unsigned char lastPattern = 0;
    std::function<void()> afterWrite;

    const char* pathSeparators() const override { return "/"; }
    SysResult<std::string> currentFolder() override { return {"/sim", 0}; }
    SysResult<std::string> absolutePath(const std::string& path) override { return {path, 0}; }
    SysResult<std::vector<std::string>> listFolder(const std::string&) override { return {{}, ENOENT}; }
    SysResult<std::string> readSmallFile(const std::string&, std::size_t) override { return {{}, ENOENT}; }
    SysStatus flushData(FileHandle) override { return {}; }
    SysStatus close(FileHandle) override { return {}; }
    SysResult<StorageFacts> storageOf(FileHandle, const std::string&) override;
    SysResult<PinnedEntry> pinAt(FileHandle folder, const std::string& name) override;
    void unpin(FileHandle) override {}
    SysResult<EntryStatus> statusOf(FileHandle) override;
    SysStatus addOwnerWrite(FileHandle) override { return {}; }
    SysStatus resetAttributes(FileHandle) override { return {}; }
    SysResult<std::vector<Extent>> extentsOf(FileHandle) override { return {{}, EOPNOTSUPP}; }
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string&, const FileIdentity&) override {
        return {{}, 0};
    }
    SysResult<OverwriteHandle> openForOverwriteAt(FileHandle, const std::string&, const FileIdentity&) override {
        return {{3, WriteRoute::Direct}, 0};
    }
    SysResult<FileHandle> writeThroughCache(FileHandle handle) override { return {handle, 0}; }
    SysResult<std::int64_t> lengthOf(FileHandle) override { return {length_, 0}; }
    SysResult<std::int64_t> writeBlocks(FileHandle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override;
    SysResult<std::int64_t> readFromDevice(FileHandle, std::int64_t offset, void* buffer, std::size_t size) override;
    SysStatus cutToZero(FileHandle) override;
    SysResult<OverwriteHandle> reopenForOverwrite(FileHandle) override { return {{3, WriteRoute::Direct}, 0}; }
    SysResult<std::vector<DataRange>> dataRangesOf(FileHandle) override { return {{{0, length_}}, 0}; }
    SysResult<std::vector<FileAttribute>> attributesOf(FileHandle) override { return {{}, 0}; }
    SysStatus replaceAttributeValue(FileHandle, const std::string&, const std::string&) override { return {}; }
    SysStatus removeAttribute(FileHandle, const std::string&) override { return {}; }
    SysResult<FileHandle> openFolder(const std::string&) override { return {4, 0}; }
    SysResult<EntryStatus> statusAt(FileHandle, const std::string&) override;
    SysResult<FileIdentity> identityOfFolder(FileHandle) override { return {{1, 2}, 0}; }
    SysResult<bool> isMountRoot(FileHandle) override { return {false, 0}; }
    SysResult<FolderAccess> accessOf(FileHandle) override { return {{}, 0}; }
    SysStatus renameAt(FileHandle, const std::string&, FileHandle, const std::string&) override { return {}; }
    SysStatus removeAt(FileHandle, const std::string&) override;
    SysStatus flushFolder(FileHandle) override { return {}; }
    SysStatus fillFolderRecordSlack(FileHandle) override { return {EOPNOTSUPP}; }
    SysResult<FileHandle> makePrivateFolderAt(FileHandle, const std::string&) override { return {5, 0}; }
    SysStatus removeFolderAt(FileHandle, const std::string&) override { return {}; }
    // The simulated file's folder holds nothing else, and takes no new files.
    SysResult<FileHandle> openFolderAt(FileHandle, const std::string&) override { return {kNoHandle, ENOENT}; }
    SysResult<std::vector<std::string>> namesIn(FileHandle) override { return {{}, 0}; }
    SysResult<FileHandle> createFileAt(FileHandle, const std::string&) override { return {kNoHandle, EROFS}; }
    SysStatus createSmallFileAt(FileHandle, const std::string&, const std::string&) override { return {EROFS}; }
    SysStatus lockFolder(FileHandle) override { return {}; }

private:
    std::int64_t length_;
    bool removed_ = false;
};

// A process alone on its machine, for files that exist only in a test double: no other program
// holds them, and there is no state folder; a request to end arrives only where a test sets `stop`.
class LoneProcess final : public ProcessServices {
public:
    bool stop = false;
    Holders holdersOf(FileHandle) override { return Holders::None; }
    SysResult<std::string> stateFolder() override { return {{}, ENOENT}; }
    void holdStopRequests() override {}
    bool stopRequested() override { return stop; }
    void releaseStopRequests() override {}
    bool hasFullRights() override { return false; }
    std::int64_t openAtOnce = std::int64_t{1} << 20;
    std::int64_t filesOpenAtOnce() override { return openAtOnce; }
};

// The attribute word of the file at the path, as the lookup sees it.
std::uint32_t attributesOf(DestructionServices& files, const std::string& path);

} // namespace kelvanter::testing
