#pragma once

#include "core/OverwritePasses.h"
#include "platform/FileServices.h"

#include <array>
#include <cerrno>
#include <string>

namespace kelvanter {

// One block of the pass's pattern, aligned so that it can go straight to the device.
struct alignas(kBlockSize) PatternBlock {
    std::array<unsigned char, kBlockSize> bytes;
};

// A pass's open file (or named stream), closed however the pass ends; an explicit close
// reports its result.
class PassFile {
public:
    explicit PassFile(FileServices& files) : files_(files) {}
    PassFile(const PassFile&) = delete;
    PassFile& operator=(const PassFile&) = delete;
    ~PassFile() {
        if (open_)
            files_.close(handle_);
    }

    // Opens the file straight to the device where its file system takes that, else through the cache.
    SysStatus open(const std::string& path, const FileIdentity& identity) {
        path_ = path;
        identity_ = identity;
        const SysStatus direct = openBy(WriteRoute::Direct);
        return direct.error == EINVAL ? openBy(WriteRoute::Buffered) : direct;
    }
    SysStatus reopenBuffered() {
        if (open_)
            close();
        return openBy(WriteRoute::Buffered);
    }
    FileHandle handle() const { return handle_; }
    WriteRoute route() const { return route_; }
    SysStatus close() {
        open_ = false;
        return files_.close(handle_);
    }

private:
    SysStatus openBy(WriteRoute route) {
        const auto opened = files_.openForOverwrite(path_, identity_, route);
        if (!opened.ok())
            return {opened.error};
        handle_ = opened.value;
        route_ = route;
        open_ = true;
        return {};
    }

    FileServices& files_;
    std::string path_;
    FileIdentity identity_;
    FileHandle handle_ = -1;
    WriteRoute route_ = WriteRoute::Direct;
    bool open_ = false;
};

} // namespace kelvanter
