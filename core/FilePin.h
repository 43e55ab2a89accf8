#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>

namespace kelvanter {

enum class HiddenFiles { Admitted, Excluded };

// A destroyable regular file held open from the lookup to the end of the run, so that "the same
// file" stays checkable (its inode number cannot pass to a file created meanwhile) and every
// question about it is asked of the file itself, not of whatever its path names by then.
class FilePin {
public:
    struct Lookup;

    // The regular file at the path, if one is there that may be destroyed: never a link, folder,
    // FIFO, socket or device, never a system file (or an unchangeable one on Linux), and a
    // hidden one only where admitted.
    static Lookup lookUp(DestructionServices& files, const std::string& path,
                         HiddenFiles hidden = HiddenFiles::Admitted);
    // The same for the name in the held folder.
    static Lookup lookUpAt(DestructionServices& files, FileHandle folder, const std::string& name,
                           HiddenFiles hidden = HiddenFiles::Admitted);
    static std::optional<FilePin> of(DestructionServices& files, const std::string& path,
                                     HiddenFiles hidden = HiddenFiles::Admitted);

    FilePin(FilePin&& other) noexcept;
    FilePin& operator=(FilePin&&) = delete;
    ~FilePin();

    FileHandle handle() const { return handle_; }
    const FileIdentity& identity() const { return status_.identity; }
    std::int64_t sizeAtLookup() const { return status_.size; }
    std::uint32_t attributesAtLookup() const { return status_.attributes; }
    // The file's other names (hard links), as the lookup found them: their content goes with it.
    std::uint64_t otherNamesAtLookup() const { return status_.links > 1 ? status_.links - 1 : 0; }
    // Lets the file go early: an open handle keeps a deleted name visible on Windows.
    void release();
    // From now on this open of the same file (the one for the passes) holds it, and the lookup's own
    // is let go: one descriptor of the file, which no open of another program goes unnoticed by.
    void adopt(FileHandle opened);

private:
    FilePin(DestructionServices& files, FileHandle handle, const EntryStatus& status)
        : files_(files), handle_(handle), status_(status) {}
    static Lookup held(DestructionServices& files, const SysResult<PinnedEntry>& pinned, HiddenFiles hidden);

    DestructionServices& files_;
    FileHandle handle_;
    EntryStatus status_;
    bool adopted_ = false; // the handle is an open of the passes', closed as such
};

// What the lookup found: the pin, or nothing with the error where one stood in its way (access
// refused, an I/O error); no error where there was simply no destroyable file.
struct FilePin::Lookup {
    std::optional<FilePin> pin;
    int error = 0;
};

} // namespace kelvanter
