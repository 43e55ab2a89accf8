#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>

namespace kelvanter {

// A destroyable regular file held by its inode from the lookup to the end of the run, so that
// "the same file" stays checkable: its inode number cannot pass to a file created meanwhile.
enum class HiddenFiles { Admitted, Excluded };

class FilePin {
public:
    // The regular file at the path, if one is there that may be destroyed: never a link, folder,
    // FIFO, socket or device, never a system file (immutable or append-only on Linux), and a
    // hidden one only where admitted.
    static std::optional<FilePin> of(FileServices& files, const std::string& path,
                                     HiddenFiles hidden = HiddenFiles::Admitted);

    FilePin(FilePin&& other) noexcept;
    FilePin& operator=(FilePin&&) = delete;
    ~FilePin();

    const FileIdentity& identity() const { return identity_; }
    std::int64_t sizeAtLookup() const { return size_; }

private:
    FilePin(FileServices& files, FileHandle handle, FileIdentity identity, std::int64_t size)
        : files_(files), handle_(handle), identity_(identity), size_(size) {}

    FileServices& files_;
    FileHandle handle_;
    FileIdentity identity_;
    std::int64_t size_;
};

} // namespace kelvanter
