#pragma once

#include "platform/PlatformServices.h"

#include <functional>

namespace kelvanter::testing {

// The real POSIX services, counting calls and failing on demand where the file system
// cannot be made to fail at a precise point. Counts start at 1; 0 means never.
class InstrumentedFileServices : public FileServices {
public:
    int failOpenAt = 0;
    // Fails the write of this block, counted over the run; the blocks before it are written.
    int failWriteAt = 0;
    // A file system that refuses direct writes at the open, or only at the first write.
    bool refuseDirectOpen = false;
    bool refuseDirectWrite = false;
    int failFlushAt = 0;
    int failCloseAt = 0;
    int failRemoveAt = 0;
    // Calls back after each write of data (the free-space fill), with the bytes written so far.
    std::function<void(std::int64_t bytes)> afterDataWrite;
    std::int64_t dataWritten = 0;
    // A file system that refuses every rename without replacing, with this errno.
    int refuseRenamesWith = 0;
    bool ignoreAttributeResets = false;
    std::function<void(int openNumber)> beforeOpen;
    std::function<void(const std::string& path)> beforeTruncate;
    std::function<void(int closeNumber)> afterClose;
    // Lets a test change what the device seems to hold: the extents of the Nth query, the read-back.
    std::function<void(int queryNumber, SysResult<std::vector<Extent>>& extents)> alterExtents;
    std::function<void(std::vector<unsigned char>& bytes)> alterReadBack;
    // Files beside the file that stand in for its named streams, where the system has none to make.
    std::vector<std::string> streamFiles;

    int opens = 0;
    int directOpens = 0;
    int writes = 0;
    std::int64_t blocksWritten = 0;
    int flushes = 0;
    int closes = 0;
    int resets = 0;

    SysResult<EntryStatus> inspect(const std::string& path) override { return real_.inspect(path); }
    SysResult<PinnedEntry> pin(const std::string& path) override { return real_.pin(path); }
    void unpin(FileHandle handle) override { real_.unpin(handle); }
    SysResult<FileHandle> openForOverwrite(const std::string& path, const FileIdentity& expected,
                                           WriteRoute route) override;
    SysResult<std::int64_t> lengthOf(FileHandle handle) override { return real_.lengthOf(handle); }
    SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override;
    SysStatus flushData(FileHandle handle) override;
    SysStatus close(FileHandle handle) override;
    SysStatus truncateToZero(const std::string& path, const FileIdentity& expected) override;
    SysResult<StorageFacts> storageOf(const std::string& path, const FileIdentity& expected) override {
        return real_.storageOf(path, expected);
    }
    SysResult<std::vector<Extent>> extentsOf(const std::string& path, const FileIdentity& expected) override;
    SysResult<std::vector<unsigned char>> readFromDevice(const std::string& path, const FileIdentity& expected,
                                                         const std::vector<std::int64_t>& offsets,
                                                         std::size_t blockSize) override;
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string& path, const FileIdentity& expected) override;
    SysStatus addOwnerWrite(const std::string& path) override;
    SysStatus resetAttributes(const std::string& path) override;
    SysStatus renameNoReplace(const std::string& from, const std::string& to) override {
        if (refuseRenamesWith != 0)
            return {refuseRenamesWith};
        return real_.renameNoReplace(from, to);
    }
    SysStatus removeFile(const std::string& path) override;
    SysResult<std::string> currentFolder() override { return real_.currentFolder(); }
    SysResult<std::string> absolutePath(const std::string& path) override { return real_.absolutePath(path); }
    SysResult<std::vector<std::string>> listFolder(const std::string& path) override { return real_.listFolder(path); }
    SysResult<std::string> readSmallFile(const std::string& path, std::size_t limit) override {
        return real_.readSmallFile(path, limit);
    }
    SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) override {
        return real_.replaceFileAtomically(path, contents);
    }
    SysResult<FileSystemSpace> spaceOf(const std::string& path) override { return real_.spaceOf(path); }
    SysStatus flushFileSystem(const std::string& path) override { return real_.flushFileSystem(path); }
    SysStatus createPrivateFolder(const std::string& path) override { return real_.createPrivateFolder(path); }
    SysStatus removeEmptyFolder(const std::string& path) override { return real_.removeEmptyFolder(path); }
    SysResult<FileHandle> lockFolder(const std::string& path) override { return real_.lockFolder(path); }
    SysResult<FileHandle> createNewFile(const std::string& path, WriteRoute route) override {
        return real_.createNewFile(path, route);
    }
    SysResult<std::int64_t> writeData(FileHandle handle, const void* data, std::size_t size,
                                      std::int64_t offset) override;
    const char* pathSeparators() const override { return real_.pathSeparators(); }

private:
    PlatformFileServices real_;
    int removes_ = 0;
    int extentQueries_ = 0;
    FileHandle directHandle_ = -1;
};

// One file that exists only as a length, for counter arithmetic on sizes no test should write.
class SimulatedFileServices : public FileServices {
public:
    explicit SimulatedFileServices(std::int64_t length) : length_(length) {}
    std::int64_t length() const { return length_; }
    std::int64_t blocksWritten = 0;
    unsigned char lastPattern = 0;

    SysResult<EntryStatus> inspect(const std::string& path) override;
    SysResult<PinnedEntry> pin(const std::string&) override { return {{7, EntryKind::Regular, {1, 1}}, 0}; }
    void unpin(FileHandle) override {}
    SysResult<FileHandle> openForOverwrite(const std::string&, const FileIdentity&, WriteRoute) override {
        return {3, 0};
    }
    SysResult<std::int64_t> lengthOf(FileHandle) override { return {length_, 0}; }
    SysResult<std::int64_t> writeBlocks(FileHandle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override;
    SysStatus flushData(FileHandle) override { return {}; }
    SysStatus close(FileHandle) override { return {}; }
    SysStatus truncateToZero(const std::string&, const FileIdentity&) override;
    SysResult<StorageFacts> storageOf(const std::string&, const FileIdentity&) override {
        StorageFacts facts;
        facts.fileSystem = "ext4";
        facts.kind = StorageKind::InPlace;
        return {facts, 0};
    }
    SysResult<std::vector<Extent>> extentsOf(const std::string&, const FileIdentity&) override {
        return {{}, EOPNOTSUPP};
    }
    SysResult<std::vector<unsigned char>> readFromDevice(const std::string&, const FileIdentity&,
                                                         const std::vector<std::int64_t>& offsets,
                                                         std::size_t blockSize) override {
        return {std::vector<unsigned char>(offsets.size() * blockSize, lastPattern), 0};
    }
    SysResult<std::vector<NamedStream>> namedStreamsOf(const std::string&, const FileIdentity&) override {
        return {{}, 0};
    }
    SysStatus addOwnerWrite(const std::string&) override { return {}; }
    SysStatus resetAttributes(const std::string&) override { return {}; }
    SysStatus renameNoReplace(const std::string&, const std::string&) override { return {}; }
    SysStatus removeFile(const std::string&) override;
    SysResult<std::string> currentFolder() override { return {"/sim", 0}; }
    SysResult<std::string> absolutePath(const std::string& path) override { return {path, 0}; }
    SysResult<std::vector<std::string>> listFolder(const std::string&) override { return {{}, ENOENT}; }
    SysResult<std::string> readSmallFile(const std::string&, std::size_t) override { return {{}, ENOENT}; }
    SysStatus replaceFileAtomically(const std::string&, const std::string&) override { return {ENOENT}; }
    SysResult<FileSystemSpace> spaceOf(const std::string&) override { return {{}, ENOSYS}; }
    SysStatus flushFileSystem(const std::string&) override { return {ENOSYS}; }
    SysStatus createPrivateFolder(const std::string&) override { return {ENOSYS}; }
    SysStatus removeEmptyFolder(const std::string&) override { return {ENOSYS}; }
    SysResult<FileHandle> lockFolder(const std::string&) override { return {-1, ENOSYS}; }
    SysResult<FileHandle> createNewFile(const std::string&, WriteRoute) override { return {-1, ENOSYS}; }
    SysResult<std::int64_t> writeData(FileHandle, const void*, std::size_t, std::int64_t) override {
        return {0, ENOSYS};
    }
    const char* pathSeparators() const override { return "/"; }

private:
    std::int64_t length_;
    bool removed_ = false;
};

} // namespace kelvanter::testing
