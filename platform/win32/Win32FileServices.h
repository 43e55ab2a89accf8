#pragma once

#include "platform/FileServices.h"

namespace kelvanter {

// File services on Windows, over the system's own W calls: the only place the core's system
// calls are made there. Paths are UTF-8 in the core and converted at each call.
class Win32FileServices final : public FileServices {
public:
    Win32FileServices();
    ~Win32FileServices() override;
    Win32FileServices(const Win32FileServices&) = delete;
    Win32FileServices& operator=(const Win32FileServices&) = delete;

    SysResult<EntryStatus> inspect(const std::string& path) override;
    SysResult<PinnedEntry> pin(const std::string& path) override;
    void unpin(FileHandle handle) override;
    SysResult<FileHandle> openForOverwrite(const std::string& path, const FileIdentity& expected,
                                           WriteRoute route) override;
    SysResult<std::int64_t> lengthOf(FileHandle handle) override;
    SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override;
    SysStatus flushData(FileHandle handle) override;
    SysStatus close(FileHandle handle) override;
    SysStatus truncateToZero(const std::string& path, const FileIdentity& expected) override;
    SysResult<StorageFacts> storageOf(const std::string& path, const FileIdentity& expected) override;
    SysResult<std::vector<Extent>> extentsOf(const std::string& path, const FileIdentity& expected) override;
    SysResult<std::vector<unsigned char>> readFromDevice(const std::string& path, const FileIdentity& expected,
                                                         const std::vector<std::int64_t>& offsets,
                                                         std::size_t blockSize) override;
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string& path, const FileIdentity& expected) override;
    SysStatus addOwnerWrite(const std::string& path) override;
    SysStatus resetAttributes(const std::string& path) override;
    SysStatus renameNoReplace(const std::string& from, const std::string& to) override;
    SysStatus removeFile(const std::string& path) override;
    SysResult<std::string> currentFolder() override;
    SysResult<std::string> absolutePath(const std::string& path) override;
    SysResult<std::vector<std::string>> listFolder(const std::string& path) override;
    SysResult<std::string> readSmallFile(const std::string& path, std::size_t limit) override;
    SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) override;
    SysResult<FileSystemSpace> spaceOf(const std::string& path) override;
    SysStatus flushFileSystem(const std::string& path) override;
    SysStatus createPrivateFolder(const std::string& path) override;
    SysStatus removeEmptyFolder(const std::string& path) override;
    SysResult<FileHandle> lockFolder(const std::string& path) override;
    SysResult<FileHandle> createNewFile(const std::string& path, WriteRoute route) override;
    SysResult<std::int64_t> writeData(FileHandle handle, const void* data, std::size_t size,
                                      std::int64_t offset) override;
    const char* pathSeparators() const override { return "\\/"; }

private:
    // Many copies of the pass's block side by side, page-aligned, so one WriteFile carries many blocks.
    unsigned char* repeated_ = nullptr;
};

} // namespace kelvanter
