#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>

namespace kelvanter {

// A folder held open while names change in it; each change is flushed to the device at once, so
// that a name gone does not come back after a crash. A change whose flush failed may not last:
// everyChangeFlushed() says so.
class HeldFolder {
public:
    // The folder at the path; check isOpen().
    HeldFolder(DestructionServices& files, const std::string& path) : files_(files) {
        const auto opened = files.openFolder(path);
        handle_ = opened.ok() ? opened.value : kNoHandle;
    }
    // A new folder in this one that only this user may enter; nothing where it cannot be made.
    std::optional<HeldFolder> makePrivate(const std::string& name) {
        const auto made = files_.makePrivateFolderAt(handle_, name);
        if (!made.ok())
            return std::nullopt;
        flush();
        return HeldFolder(files_, made.value);
    }
    HeldFolder(HeldFolder&& other) noexcept
        : files_(other.files_), handle_(other.handle_), flushFailed_(other.flushFailed_) {
        other.handle_ = kNoHandle;
    }
    HeldFolder& operator=(HeldFolder&&) = delete;
    ~HeldFolder() { close(); }

    // Lets go of the folder: FAT frees a removed folder's cluster only once nothing holds it.
    void close() {
        if (handle_ != kNoHandle)
            files_.close(handle_);
        handle_ = kNoHandle;
    }
    bool everyChangeFlushed() const { return !flushFailed_; }

    bool isOpen() const { return handle_ != kNoHandle; }
    // Which file the name names now.
    SysResult<FileIdentity> identityOf(const std::string& name) const { return files_.identityAt(handle_, name); }
    // Whether the name names the file of this identity now.
    bool names(const std::string& name, const FileIdentity& identity) const {
        const auto found = identityOf(name);
        return found.ok() && found.value == identity;
    }
    // Renames `from` here to `to` in `target` (this folder or another), never replacing anything.
    SysStatus move(const std::string& from, HeldFolder& target, const std::string& to) {
        const SysStatus moved = files_.renameAt(handle_, from, target.handle_, to);
        if (moved.ok()) {
            flush();
            if (&target != this)
                target.flush();
        }
        return moved;
    }
    // Renames within this folder, never replacing anything, and leaves the flush to the next change.
    SysStatus renameInPlace(const std::string& from, const std::string& to) {
        return files_.renameAt(handle_, from, handle_, to);
    }
    SysStatus remove(const std::string& name) {
        const SysStatus removed = files_.removeAt(handle_, name);
        if (removed.ok())
            flush();
        return removed;
    }
    SysStatus removeFolder(const std::string& name) {
        const SysStatus removed = files_.removeFolderAt(handle_, name);
        if (removed.ok())
            flush();
        return removed;
    }

private:
    void flush() { flushFailed_ |= !files_.flushFolder(handle_).ok(); }

    HeldFolder(DestructionServices& files, FileHandle handle) : files_(files), handle_(handle) {}

    DestructionServices& files_;
    FileHandle handle_ = kNoHandle;
    bool flushFailed_ = false;
};

} // namespace kelvanter
