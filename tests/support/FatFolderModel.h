#pragma once

#include "platform/PlatformServices.h"

#include <string>
#include <vector>

namespace kelvanter::testing {

// One FAT folder as its slots, the way the vfat driver fills them: a new entry takes the first run
// of free slots it fits in, anywhere in the folder, a long name one slot per 13 characters besides
// its 8.3 entry; a deleted entry's slots keep what was written there until another entry takes
// them. Every other folder is this system's own.
class FatFolderModel : public PlatformFileServices {
public:
    static constexpr const char* kPath = "/fat-ordner";
    // Every deletion in the folder fails with this errno, as where a crash came first.
    int refuseRemovalsWith = 0;

    // An entry made in the folder as the driver would, and one deleted, its slots left as they are.
    void make(const std::string& name);
    void drop(const std::string& name) { free(name); }
    bool holds(const std::string& name) const;
    // The names in the folder, in the order of their slots.
    std::vector<std::string> listed() { return namesIn(kFolder).value; }
    // Every slot's text, free or not: the long name's piece or the 8.3 name it was last given.
    std::vector<std::string> slotTexts() const;

    SysResult<FileHandle> openFolder(const std::string& path) override;
    SysResult<std::vector<std::string>> namesIn(FileHandle folder) override;
    SysResult<EntryStatus> statusAt(FileHandle folder, const std::string& name) override;
    SysResult<FileIdentity> identityOfFolder(FileHandle folder) override;
    SysResult<FolderAccess> accessOf(FileHandle folder) override;
    SysStatus renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                       const std::string& to) override;
    SysStatus removeAt(FileHandle folder, const std::string& name) override;
    SysStatus flushFolder(FileHandle folder) override;
    SysResult<FileHandle> createFileAt(FileHandle folder, const std::string& name) override;
    SysStatus close(FileHandle handle) override;

private:
    static constexpr FileHandle kFolder = 1 << 20;
    static constexpr FileHandle kNewFile = kFolder + 1;

    struct Entry {
        std::string name;
        std::size_t first = 0;
        std::size_t count = 0;
        std::uint64_t inode = 0;
    };

    Entry* find(const std::string& name);
    void place(Entry entry);
    bool free(const std::string& name);

    std::vector<std::string> slots_;
    std::vector<bool> used_;
    std::vector<Entry> entries_;
    std::uint64_t nextInode_ = 100;
};

} // namespace kelvanter::testing
