#pragma once

#include "platform/FileServices.h"

#include <array>
#include <string>

namespace kelvanter {

// One block of the pass's pattern, aligned so that it can go straight to the device.
struct alignas(kBlockSize) PatternBlock {
    std::array<unsigned char, kBlockSize> bytes;
};

// The file (or a named stream) the passes write, opened once by its name in its held folder and
// checked to be the held file, written straight to the device where its file system takes that, else through the cache.
// Closed however the run ends; an explicit close reports its result.
class PassFile {
public:
    explicit PassFile(DestructionServices& files) : files_(files) {}
    PassFile(const PassFile&) = delete;
    PassFile& operator=(const PassFile&) = delete;
    ~PassFile() {
        if (isOpen() && owned_)
            files_.close(handle_);
    }

    SysStatus openAt(FileHandle folder, const std::string& name, const FileIdentity& identity) {
        const auto opened = files_.openForOverwriteAt(folder, name, identity);
        handle_ = opened.ok() ? opened.value.handle : kNoHandle;
        route_ = opened.value.route;
        return {opened.error};
    }
    // The held file itself, whatever its path names now.
    SysStatus openHeld(FileHandle pinned) {
        const auto opened = files_.reopenForOverwrite(pinned);
        handle_ = opened.ok() ? opened.value.handle : kNoHandle;
        route_ = opened.value.route;
        return {opened.error};
    }
    // From now on through the cache, where the device refused a direct write or a write is unaligned.
    SysStatus useCache() {
        if (route_ == WriteRoute::Buffered)
            return {};
        const auto switched = files_.writeThroughCache(handle_);
        handle_ = switched.value;
        route_ = WriteRoute::Buffered;
        return {switched.error};
    }
    bool isOpen() const { return handle_ != kNoHandle; }
    FileHandle handle() const { return handle_; }
    WriteRoute route() const { return route_; }
    SysStatus close() {
        const FileHandle handle = handle_;
        handle_ = kNoHandle;
        return owned_ ? files_.close(handle) : SysStatus{};
    }
    // The open goes to the held file, which closes it; this one only uses it until its close.
    FileHandle handOver() {
        owned_ = false;
        return handle_;
    }

private:
    DestructionServices& files_;
    FileHandle handle_ = kNoHandle;
    WriteRoute route_ = WriteRoute::Direct;
    bool owned_ = true;
};

} // namespace kelvanter
