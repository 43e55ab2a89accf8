#include "support/InstrumentedFileServices.h"

#include "platform/PathParts.h"

#include <algorithm>
#include <cstring>

namespace kelvanter::testing {

SysResult<OverwriteHandle> InstrumentedFileServices::openForOverwriteAt(FileHandle folder, const std::string& name,
                                                                        const FileIdentity& expected) {
    ++opens;
    if (beforeOpen)
        beforeOpen(opens);
    if (opens == failOpenAt)
        return {{}, EBUSY};
    // A stand-in stream is its own file: it answers to its own identity, as a real stream to its file's.
    FileIdentity identity = expected;
    const char* separators = pathSeparators();
    const bool stream = std::any_of(streamFiles.begin(), streamFiles.end(), [&](const std::string& file) {
        return pathParts::nameOf(file, separators) == name;
    });
    if (stream) {
        const auto held = pinAt(folder, name);
        identity = held.value.status.identity;
        if (held.ok())
            unpin(held.value.handle);
    }
    auto opened = PlatformFileServices::openForOverwriteAt(folder, name, identity);
    if (opened.ok())
        open_.insert(opened.value.handle);
    if (opened.ok() && opened.value.route == WriteRoute::Direct) {
        // A file system that takes no direct writes: the same file, through the cache.
        if (refuseDirectOpen) {
            const auto switched = writeThroughCache(opened.value.handle);
            return {{switched.value, WriteRoute::Buffered}, switched.error};
        }
        ++directOpens;
        directHandle_ = opened.value.handle;
    }
    return opened;
}

SysResult<FileHandle> InstrumentedFileServices::writeThroughCache(FileHandle handle) {
    if (handle == directHandle_)
        directHandle_ = kNoHandle;
    const auto switched = PlatformFileServices::writeThroughCache(handle);
    if (switched.value != handle)
        open_.erase(handle);
    if (switched.value != kNoHandle)
        open_.insert(switched.value);
    return switched;
}

SysResult<FileHandle> InstrumentedFileServices::openFolder(const std::string& path) {
    const auto opened = PlatformFileServices::openFolder(path);
    if (opened.ok())
        open_.insert(opened.value);
    return opened;
}

SysResult<std::int64_t> InstrumentedFileServices::writeBlocks(FileHandle handle, const void* block,
                                                              std::size_t blockSize, std::int64_t count,
                                                              std::int64_t offset) {
    ++writes;
    if (refuseDirectWrite && handle == directHandle_)
        return {0, kDirectIoRefused};
    const std::int64_t untilFailure = failWriteAt > 0 ? failWriteAt - 1 - blocksWritten : count;
    SysResult<std::int64_t> written;
    if (untilFailure >= 0 && untilFailure < count) {
        written = PlatformFileServices::writeBlocks(handle, block, blockSize, untilFailure, offset);
        blocksWritten += untilFailure;
        written.error = failWriteWith;
    } else {
        blocksWritten += count;
        written = writeAllButDropped(handle, block, blockSize, count, offset);
    }
    writtenEnd_ = std::max(writtenEnd_, offset + written.value);
    if (afterWrite)
        afterWrite(blocksWritten);
    return written;
}

// As a failing device does: the dropped blocks are reported written, and keep what they held.
SysResult<std::int64_t> InstrumentedFileServices::writeAllButDropped(FileHandle handle, const void* block,
                                                                     std::size_t blockSize, std::int64_t count,
                                                                     std::int64_t offset) {
    const auto size = static_cast<std::int64_t>(blockSize);
    const std::int64_t first = offset / size;
    const std::int64_t droppedFrom = std::clamp(droppedBlocks.first, first, first + count);
    const std::int64_t droppedTo = std::clamp(droppedBlocks.first + droppedBlocks.count, droppedFrom, first + count);
    if (droppedFrom == droppedTo)
        return PlatformFileServices::writeBlocks(handle, block, blockSize, count, offset);
    const auto before = PlatformFileServices::writeBlocks(handle, block, blockSize, droppedFrom - first, offset);
    if (!before.ok())
        return before;
    const auto after =
        PlatformFileServices::writeBlocks(handle, block, blockSize, first + count - droppedTo, droppedTo * size);
    return {after.ok() ? count * size : (droppedTo - first) * size + after.value, after.error};
}

SysStatus InstrumentedFileServices::flushData(FileHandle handle) {
    if (++flushes == failFlushAt)
        return {EIO};
    const SysStatus flushed = PlatformFileServices::flushData(handle);
    if (flushed.ok())
        deviceSteps.push_back({DeviceStep::Kind::Flush, writtenEnd_});
    if (afterFlush && flushed.ok())
        afterFlush(flushes);
    return flushed;
}

SysStatus InstrumentedFileServices::close(FileHandle handle) {
    if (handle == directHandle_)
        directHandle_ = kNoHandle;
    open_.erase(handle);
    const SysStatus status = PlatformFileServices::close(handle);
    ++closes;
    if (afterClose)
        afterClose(closes);
    return status;
}

SysStatus InstrumentedFileServices::cutToZero(FileHandle handle) {
    if (beforeCut)
        beforeCut();
    return PlatformFileServices::cutToZero(handle);
}

SysResult<std::vector<Extent>> InstrumentedFileServices::extentsOf(FileHandle handle) {
    auto extents = PlatformFileServices::extentsOf(handle);
    if (alterExtents)
        alterExtents(++extentQueries_, extents);
    return extents;
}

SysResult<std::int64_t> InstrumentedFileServices::readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                                                 std::size_t size) {
    deviceSteps.push_back({DeviceStep::Kind::Read, offset + static_cast<std::int64_t>(size)});
    auto read = PlatformFileServices::readFromDevice(handle, offset, buffer, size);
    if (++readBacks_ == failReadBackAt)
        read = failReadBackWith != 0 ? SysResult<std::int64_t>{0, failReadBackWith}
                                     : SysResult<std::int64_t>{read.value / 2, 0};
    if (alterReadBack && read.ok())
        alterReadBack(offset, static_cast<unsigned char*>(buffer), static_cast<std::size_t>(read.value));
    return read;
}

SysResult<std::vector<NamedStream>> InstrumentedFileServices::namedStreamsOf(const std::string& path,
                                                                             const FileIdentity& expected) {
    auto streams = PlatformFileServices::namedStreamsOf(path, expected);
    for (const std::string& file : streamFiles) {
        const auto held = pin(file);
        streams.value.push_back({file, held.value.status.size});
        if (held.ok())
            unpin(held.value.handle);
    }
    return streams;
}

SysStatus InstrumentedFileServices::resetAttributes(FileHandle pinned) {
    ++resets;
    return ignoreAttributeResets ? SysStatus{} : PlatformFileServices::resetAttributes(pinned);
}

SysStatus InstrumentedFileServices::renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                                             const std::string& to) {
    if (beforeRename)
        beforeRename(from, to);
    if (refuseRenamesWith != 0)
        return {refuseRenamesWith};
    if (const int refused = renameRefusal ? renameRefusal(from, to) : 0; refused != 0)
        return {refused};
    const SysStatus renamed = PlatformFileServices::renameAt(fromFolder, from, toFolder, to);
    if (afterRename && renamed.ok())
        afterRename(from, to);
    return renamed;
}

SysStatus InstrumentedFileServices::removeAt(FileHandle folder, const std::string& name) {
    if (beforeRemove)
        beforeRemove(name);
    if (++removes_ == failRemoveAt)
        return {EIO};
    return PlatformFileServices::removeAt(folder, name);
}

SysResult<std::int64_t> InstrumentedFileServices::writeData(FileHandle handle, const void* data, std::size_t size,
                                                            std::int64_t offset) {
    const auto written = PlatformFileServices::writeData(handle, data, size, offset);
    dataWritten += written.value;
    if (afterDataWrite)
        afterDataWrite(dataWritten);
    return written;
}

std::uint32_t attributesOf(DestructionServices& files, const std::string& path) {
    const auto held = files.pin(path);
    if (held.value.handle != kNoHandle)
        files.unpin(held.value.handle);
    return held.ok() ? held.value.status.attributes : kAttrQueryFailed;
}

// ---- a file that is only a length ----

SysResult<StorageFacts> SimulatedFileServices::storageOf(FileHandle, const std::string&) {
    StorageFacts facts;
    facts.fileSystem = "ext4";
    facts.kind = StorageKind::InPlace;
    return {facts, 0};
}

SysResult<PinnedEntry> SimulatedFileServices::pinAt(FileHandle, const std::string&) {
    const auto status = statusOf(7);
    return {{7, status.value}, status.error};
}

SysResult<EntryStatus> SimulatedFileServices::statusOf(FileHandle) {
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
    if (afterWrite)
        afterWrite();
    return {bytes, 0};
}

SysResult<std::int64_t> SimulatedFileServices::readFromDevice(FileHandle, std::int64_t offset, void* buffer,
                                                              std::size_t size) {
    const auto read = std::clamp<std::int64_t>(length_ - offset, 0, static_cast<std::int64_t>(size));
    std::memset(buffer, lastPattern, static_cast<std::size_t>(read));
    return {read, 0};
}

SysStatus SimulatedFileServices::cutToZero(FileHandle) {
    length_ = 0;
    return {};
}

SysResult<EntryStatus> SimulatedFileServices::statusAt(FileHandle, const std::string&) {
    EntryStatus status;
    status.kind = EntryKind::Regular;
    status.identity = {1, 1};
    return {status, 0};
}

SysStatus SimulatedFileServices::removeAt(FileHandle, const std::string&) {
    removed_ = true;
    return {};
}

} // namespace kelvanter::testing
