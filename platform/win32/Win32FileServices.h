#pragma once

#include "platform/FileServices.h"

#include <map>
#include <set>
#include <string>

namespace kelvanter {

// File services on Windows, over the system's own W calls: the only place the program's file
// system calls are made there. Paths are WTF-8 in the core and converted at each call. Test
// doubles derive from it to count calls and inject faults.
class Win32FileServices : public DestructionServices, public FillServices, public DesktopServices {
public:
    Win32FileServices();
    ~Win32FileServices() override;
    Win32FileServices(const Win32FileServices&) = delete;
    Win32FileServices& operator=(const Win32FileServices&) = delete;

    // FileBasics
    const char* pathSeparators() const override { return "\\/"; }
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
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string& path, const FileIdentity& expected) override;
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
    // Windows keeps a file's other contents as named streams, which the passes overwrite.
    SysResult<std::vector<FileAttribute>> attributesOf(FileHandle) override { return {{}, 0}; }
    SysStatus replaceAttributeValue(FileHandle, const std::string&, const std::string&) override {
        return {EOPNOTSUPP};
    }
    SysStatus removeAttribute(FileHandle, const std::string&) override { return {EOPNOTSUPP}; }

    // FolderServices
    SysResult<FileHandle> openFolder(const std::string& path) override;
    SysResult<FileHandle> openFolderAt(FileHandle folder, const std::string& name) override;
    SysResult<std::vector<std::string>> namesIn(FileHandle folder) override;
    SysResult<EntryStatus> statusAt(FileHandle folder, const std::string& name) override;
    SysResult<FileIdentity> identityOfFolder(FileHandle folder) override;
    SysResult<std::string> diskOf(FileHandle folder) override;
    SysResult<bool> isMountRoot(FileHandle folder) override;
    // A folder's rights are ACLs, which the disposal does not read: no sticky rule to rest on.
    SysResult<FolderAccess> accessOf(FileHandle) override { return {{}, 0}; }
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
    // NTFS's log file is the system's alone.
    SysResult<MetadataLog> metadataLogOf(const std::string&) override { return {{}, EOPNOTSUPP}; }
    // Only an administrator may ask a volume for its MFT's size.
    SysResult<std::int64_t> fileRecordsOf(const std::string&) override { return {0, EOPNOTSUPP}; }
    SysStatus setAttribute(FileHandle, const std::string&, const std::string&) override { return {EOPNOTSUPP}; }

    // DesktopServices
    SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) override;

private:
    // The path of a name in a held folder: Windows changes names by path.
    std::string inFolder(FileHandle folder, const std::string& name) const;

    // Many copies of the pass's block side by side, page-aligned, so one WriteFile carries many blocks.
    unsigned char* repeated_ = nullptr;
    // The folders held open, by their handles, with their paths.
    std::map<FileHandle, std::string> folders_;
    // The lock files held in locked folders, by the folders' handles.
    std::map<FileHandle, FileHandle> locks_;
    // The handles that write past the system's cache, whose writes must be aligned.
    std::set<FileHandle> direct_;
};

// What the program asks of Windows about other processes and about itself.
class Win32Process final : public ProcessServices {
public:
    Holders holdersOf(FileHandle pinned) override;
    SysResult<std::string> stateFolder() override;
    // A Windows program is not sent such requests: the system ends a session by its messages.
    void holdStopRequests() override {}
    bool stopRequested() override { return false; }
    void releaseStopRequests() override {}
    bool hasFullRights() override;
    // Windows gives a process millions of handles.
    std::int64_t filesOpenAtOnce() override { return std::int64_t{1} << 20; }
};

namespace win32 {
// The program's folder in the user's local application data, made where it is missing.
SysResult<std::string> programStateFolder();
} // namespace win32

} // namespace kelvanter
