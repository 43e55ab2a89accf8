#include "InstrumentedFileServices.h"

#include <cstring>

namespace kelvanter::testing {

SysResult<FileHandle> InstrumentedFileServices::openForOverwrite(const std::string& path,
                                                                 const FileIdentity& expected) {
    ++opens;
    if (beforeOpen)
        beforeOpen(opens);
    if (opens == failOpenAt)
        return {-1, EBUSY};
    return real_.openForOverwrite(path, expected);
}

SysStatus InstrumentedFileServices::writeAll(FileHandle handle, const void* data, std::size_t size) {
    if (++writes == failWriteAt)
        return {ENOSPC};
    return real_.writeAll(handle, data, size);
}

SysStatus InstrumentedFileServices::flushData(FileHandle handle) {
    if (++flushes == failFlushAt)
        return {EIO};
    return real_.flushData(handle);
}

SysStatus InstrumentedFileServices::close(FileHandle handle) {
    const SysStatus status = real_.close(handle);
    ++closes;
    if (afterClose)
        afterClose(closes);
    if (closes == failCloseAt)
        return {EIO};
    return status;
}

SysStatus InstrumentedFileServices::truncateToZero(const std::string& path, const FileIdentity& expected) {
    if (beforeTruncate)
        beforeTruncate(path);
    return real_.truncateToZero(path, expected);
}

SysStatus InstrumentedFileServices::addOwnerWrite(const std::string& path) {
    ++resets;
    return ignoreAttributeResets ? SysStatus{} : real_.addOwnerWrite(path);
}

SysStatus InstrumentedFileServices::clearImmutableFlags(const std::string& path) {
    return ignoreAttributeResets ? SysStatus{} : real_.clearImmutableFlags(path);
}

SysStatus InstrumentedFileServices::removeFile(const std::string& path) {
    if (++removes_ == failRemoveAt)
        return {EIO};
    return real_.removeFile(path);
}

SysResult<EntryStatus> SimulatedFileServices::inspect(const std::string&) {
    if (removed_)
        return {{}, ENOENT};
    EntryStatus status;
    status.kind = EntryKind::Regular;
    status.identity = {1, 1};
    status.size = length_;
    status.ownerWritable = true;
    return {status, 0};
}

SysResult<FileHandle> SimulatedFileServices::openForOverwrite(const std::string&, const FileIdentity&) {
    position_ = 0;
    return {3, 0};
}

SysStatus SimulatedFileServices::writeAll(FileHandle, const void* data, std::size_t size) {
    std::memcpy(&lastPattern, data, 1);
    position_ += static_cast<std::int64_t>(size);
    if (position_ > length_)
        length_ = position_;
    ++blocksWritten;
    return {};
}

SysStatus SimulatedFileServices::truncateToZero(const std::string&, const FileIdentity&) {
    length_ = 0;
    return {};
}

SysStatus SimulatedFileServices::removeFile(const std::string&) {
    removed_ = true;
    return {};
}

} // namespace kelvanter::testing
