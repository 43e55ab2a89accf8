#pragma once

#include "posix/PosixFileServices.h"

#include <functional>

namespace kelvanter::testing {

// The real POSIX services, counting calls and failing on demand where the file system
// cannot be made to fail at a precise point. Counts start at 1; 0 means never.
class InstrumentedFileServices : public FileServices {
public:
    int failOpenAt = 0;
    int failWriteAt = 0;
    int failFlushAt = 0;
    int failCloseAt = 0;
    int failRemoveAt = 0;
    bool ignoreAttributeResets = false;
    std::function<void(int openNumber)> beforeOpen;
    std::function<void(const std::string& path)> beforeTruncate;
    std::function<void(int closeNumber)> afterClose;

    int opens = 0;
    int writes = 0;
    int flushes = 0;
    int closes = 0;
    int resets = 0;

    SysResult<EntryStatus> inspect(const std::string& path) override { return real_.inspect(path); }
    SysResult<PinnedEntry> pin(const std::string& path) override { return real_.pin(path); }
    void unpin(FileHandle handle) override { real_.unpin(handle); }
    SysResult<FileHandle> openForOverwrite(const std::string& path, const FileIdentity& expected) override;
    SysResult<std::int64_t> lengthOf(FileHandle handle) override { return real_.lengthOf(handle); }
    SysStatus writeAll(FileHandle handle, const void* data, std::size_t size) override;
    SysStatus flushData(FileHandle handle) override;
    SysStatus close(FileHandle handle) override;
    SysStatus truncateToZero(const std::string& path, const FileIdentity& expected) override;
    SysStatus addOwnerWrite(const std::string& path) override;
    SysStatus clearImmutableFlags(const std::string& path) override;
    SysStatus renameNoReplace(const std::string& from, const std::string& to) override {
        return real_.renameNoReplace(from, to);
    }
    SysStatus removeFile(const std::string& path) override;
    SysResult<std::string> currentFolder() override { return real_.currentFolder(); }
    SysResult<std::vector<std::string>> listFolder(const std::string& path) override { return real_.listFolder(path); }
    SysResult<std::string> readSmallFile(const std::string& path, std::size_t limit) override {
        return real_.readSmallFile(path, limit);
    }
    SysStatus replaceFileAtomically(const std::string& path, const std::string& contents) override {
        return real_.replaceFileAtomically(path, contents);
    }

private:
    PosixFileServices real_;
    int removes_ = 0;
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
    SysResult<FileHandle> openForOverwrite(const std::string&, const FileIdentity&) override;
    SysResult<std::int64_t> lengthOf(FileHandle) override { return {length_, 0}; }
    SysStatus writeAll(FileHandle, const void* data, std::size_t size) override;
    SysStatus flushData(FileHandle) override { return {}; }
    SysStatus close(FileHandle) override { return {}; }
    SysStatus truncateToZero(const std::string&, const FileIdentity&) override;
    SysStatus addOwnerWrite(const std::string&) override { return {}; }
    SysStatus clearImmutableFlags(const std::string&) override { return {}; }
    SysStatus renameNoReplace(const std::string&, const std::string&) override { return {}; }
    SysStatus removeFile(const std::string&) override;
    SysResult<std::string> currentFolder() override { return {"/sim", 0}; }
    SysResult<std::vector<std::string>> listFolder(const std::string&) override { return {{}, ENOENT}; }
    SysResult<std::string> readSmallFile(const std::string&, std::size_t) override { return {{}, ENOENT}; }
    SysStatus replaceFileAtomically(const std::string&, const std::string&) override { return {ENOENT}; }

private:
    std::int64_t length_;
    std::int64_t position_ = 0;
    bool removed_ = false;
};

} // namespace kelvanter::testing
