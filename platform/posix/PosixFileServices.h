#pragma once

#include "platform/FileServices.h"

namespace kelvanter {

// File services on a POSIX system (Linux): the only place the program's file system calls are
// made. Test doubles derive from it to count calls and inject faults.
class PosixFileServices : public DestructionServices, public FillServices, public DesktopServices {
public:
    PosixFileServices();

    // FileBasics
    const char* pathSeparators() const override { return "/"; }
    SysResult<std::string> currentFolder() override;
    SysResult<std::string> absolutePath(const std::string& path) override;
    SysResult<std::vector<std::string>> listFolder(const std::string& path) override;
    SysResult<std::string> readSmallFile(const std::string& path, std::size_t limit) override;
    SysStatus flushData(FileHandle handle) override;
    SysStatus close(FileHandle handle) override;
    SysResult<StorageFacts> storageOf(FileHandle handle, const std::string& path) override;

    // DestructionServices
    SysResult<PinnedEntry> pinAt(FileHandle folder, const std::string& name) override;
    void unpin(FileHandle pinned) override;
    SysResult<EntryStatus> statusOf(FileHandle pinned) override;
    SysStatus addOwnerWrite(FileHandle pinned) override;
    SysStatus resetAttributes(FileHandle pinned) override;
    SysResult<std::vector<Extent>> extentsOf(FileHandle handle) override;
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string&, const FileIdentity&) override {
        return {{}, 0};
    }
    SysResult<OverwriteHandle> openForOverwriteAt(FileHandle folder, const std::string& name,
                                                  const FileIdentity& expected) override;
    SysResult<FileHandle> writeThroughCache(FileHandle handle) override;
    SysResult<std::int64_t> lengthOf(FileHandle handle) override;
    SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override;
    SysResult<std::int64_t> readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                           std::size_t size) override;
    DeviceRead startDeviceRead(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) override;
    SysResult<std::int64_t> awaitDeviceRead(DeviceRead& read) override;
    bool waitForDeviceRead(DeviceRead& read, std::int64_t microseconds) override;
    bool readsAlongside() const override { return true; }
    SysStatus cutToZero(FileHandle handle) override;
    SysResult<OverwriteHandle> reopenForOverwrite(FileHandle pinned) override;
    SysResult<std::vector<DataRange>> dataRangesOf(FileHandle handle) override;
    SysResult<std::vector<FileAttribute>> attributesOf(FileHandle handle) override;
    SysStatus replaceAttributeValue(FileHandle handle, const std::string& name, const std::string& value) override;
    SysStatus removeAttribute(FileHandle handle, const std::string& name) override;
    SysStatus settleAttributes(FileHandle handle) override;
    SysStatus checkpointJournal(FileHandle handle) override;
    bool writerHoldsTheFile() const override { return true; }
    SysStatus watchForOthers(FileHandle handle) override;
    WriterWatch othersSeen(FileHandle handle) override;

    // FolderServices
    SysResult<FileHandle> openFolder(const std::string& path) override;
    SysResult<FileHandle> openFolderAt(FileHandle folder, const std::string& name) override;
    SysResult<std::vector<std::string>> namesIn(FileHandle folder) override;
    SysResult<EntryStatus> statusAt(FileHandle folder, const std::string& name) override;
    SysResult<FileIdentity> identityOfFolder(FileHandle folder) override;
    SysResult<std::string> diskOf(FileHandle folder) override;
    SysResult<bool> isMountRoot(FileHandle folder) override;
    SysResult<FolderAccess> accessOf(FileHandle folder) override;
    SysStatus renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                       const std::string& to) override;
    SysStatus removeAt(FileHandle folder, const std::string& name) override;
    SysResult<FileHandle> makePrivateFolderAt(FileHandle folder, const std::string& name) override;
    SysStatus removeFolderAt(FileHandle folder, const std::string& name) override;
    SysStatus flushFolder(FileHandle folder) override;
    SysStatus fillFolderRecordSlack(FileHandle folder) override;
    SysResult<bool> folderIndexHolds(FileHandle folder, const std::vector<std::string>& runs) override;
    SysResult<FileHandle> createFileAt(FileHandle folder, const std::string& name) override;
    SysStatus createSmallFileAt(FileHandle folder, const std::string& name, const std::string& contents) override;
    SysStatus lockFolder(FileHandle folder) override;

    // FillServices
    SysResult<FileSystemSpace> spaceOf(const std::string& path) override;
    SysStatus flushFileSystem(const std::string& path) override;
    SysResult<std::int64_t> writeData(FileHandle handle, const void* data, std::size_t size,
                                      std::int64_t offset) override;
    SysResult<FileHandle> lockFileSystemOf(const std::string& path) override;
    SysResult<MetadataLog> metadataLogOf(const std::string& folder) override;
    SysResult<std::int64_t> fileRecordsOf(const std::string& folder) override;
    SysStatus setAttribute(FileHandle file, const std::string& name, const std::string& value) override;

    // DesktopServices
    SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) override;
};

// What the program asks of Linux about other processes and about itself.
class PosixProcess final : public ProcessServices {
public:
    Holders holdersOf(FileHandle pinned) override;
    SysResult<std::string> stateFolder() override;
    void holdStopRequests() override;
    bool stopRequested() override;
    void releaseStopRequests() override;
    bool hasFullRights() override;
    std::int64_t filesOpenAtOnce() override;
};

} // namespace kelvanter
