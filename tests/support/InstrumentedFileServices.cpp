#include "support/InstrumentedFileServices.h"

#include <algorithm>
#include <cstring>

namespace kelvanter::testing {

SysResult<FileHandle> InstrumentedFileServices::openForOverwrite(const std::string& path, const FileIdentity& expected,
                                                                 WriteRoute route) {
    if (route == WriteRoute::Direct && refuseDirectOpen)
        return {-1, EINVAL};
    ++opens;
    if (beforeOpen)
        beforeOpen(opens);
    if (opens == failOpenAt)
        return {-1, EBUSY};
    // A stand-in stream is its own file: it answers to its own identity, as a real stream to its file's.
    const bool stream = std::find(streamFiles.begin(), streamFiles.end(), path) != streamFiles.end();
    const auto opened = real_.openForOverwrite(path, stream ? real_.inspect(path).value.identity : expected, route);
    if (opened.ok() && route == WriteRoute::Direct) {
        ++directOpens;
        directHandle_ = opened.value;
    }
    return opened;
}

SysResult<std::int64_t> InstrumentedFileServices::writeBlocks(FileHandle handle, const void* block,
                                                              std::size_t blockSize, std::int64_t count,
                                                              std::int64_t offset) {
    ++writes;
    if (refuseDirectWrite && handle == directHandle_)
        return {0, EINVAL};
    const std::int64_t untilFailure = failWriteAt > 0 ? failWriteAt - 1 - blocksWritten : count;
    if (untilFailure >= 0 && untilFailure < count) {
        const auto written = real_.writeBlocks(handle, block, blockSize, untilFailure, offset);
        blocksWritten += untilFailure;
        return {written.value, ENOSPC};
    }
    blocksWritten += count;
    return real_.writeBlocks(handle, block, blockSize, count, offset);
}

SysStatus InstrumentedFileServices::flushData(FileHandle handle) {
    if (++flushes == failFlushAt)
        return {EIO};
    return real_.flushData(handle);
}

SysStatus InstrumentedFileServices::close(FileHandle handle) {
    if (handle == directHandle_)
        directHandle_ = -1;
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

SysResult<std::vector<Extent>> InstrumentedFileServices::extentsOf(const std::string& path,
                                                                   const FileIdentity& expected) {
    auto extents = real_.extentsOf(path, expected);
    if (alterExtents)
        alterExtents(++extentQueries_, extents);
    return extents;
}

SysResult<std::vector<unsigned char>> InstrumentedFileServices::readFromDevice(const std::string& path,
                                                                               const FileIdentity& expected,
                                                                               const std::vector<std::int64_t>& offsets,
                                                                               std::size_t blockSize) {
    auto bytes = real_.readFromDevice(path, expected, offsets, blockSize);
    if (alterReadBack)
        alterReadBack(bytes.value);
    return bytes;
}

SysResult<std::vector<NamedStream>> InstrumentedFileServices::namedStreamsOf(const std::string& path,
                                                                             const FileIdentity& expected) {
    auto streams = real_.namedStreamsOf(path, expected);
    for (const std::string& file : streamFiles)
        streams.value.push_back({file, real_.inspect(file).value.size});
    return streams;
}

SysStatus InstrumentedFileServices::addOwnerWrite(const std::string& path) {
    return real_.addOwnerWrite(path);
}

SysStatus InstrumentedFileServices::resetAttributes(const std::string& path) {
    ++resets;
    return ignoreAttributeResets ? SysStatus{} : real_.resetAttributes(path);
}

SysStatus InstrumentedFileServices::removeFile(const std::string& path) {
    if (++removes_ == failRemoveAt)
        return {EIO};
    return real_.removeFile(path);
}

SysResult<std::int64_t> InstrumentedFileServices::writeData(FileHandle handle, const void* data, std::size_t size,
                                                            std::int64_t offset) {
    const auto written = real_.writeData(handle, data, size, offset);
    dataWritten += written.value;
    if (afterDataWrite)
        afterDataWrite(dataWritten);
    return written;
}

SysResult<EntryStatus> SimulatedFileServices::inspect(const std::string&) {
    if (removed_)
        return {{}, ENOENT};
    EntryStatus status;
    status.kind = EntryKind::Regular;
    status.identity = {1, 1};
    status.size = length_;
    return {status, 0};
}

SysResult<std::int64_t> SimulatedFileServices::writeBlocks(FileHandle, const void* block, std::size_t blockSize,
                                                           std::int64_t count, std::int64_t offset) {
    std::memcpy(&lastPattern, block, 1);
    const std::int64_t bytes = count * static_cast<std::int64_t>(blockSize);
    length_ = std::max(length_, offset + bytes);
    blocksWritten += count;
    return {bytes, 0};
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
