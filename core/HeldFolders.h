#pragma once

#include "platform/FileServices.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// How many files and folders a run may hold open at once, of what the process may: what it holds
// beyond is let go and opened again at its turn.
class OpenBudget {
public:
    explicit OpenBudget(std::int64_t most) : left_(most) {}
    // One more held, where the budget allows it.
    bool take() {
        if (left_ <= 0)
            return false;
        --left_;
        return true;
    }
    void giveBack() { ++left_; }

private:
    std::int64_t left_;
};

// The folders a run reaches its files through: the folder of each given path, opened by that path
// once, and each folder beneath a given one, opened by its name in its held parent and never
// through a link. A folder let go (where the run would hold more than the process may) is opened
// again the same way when it is needed, and must then be the very folder it was.
class HeldFolders {
public:
    using Id = std::size_t;

    HeldFolders(FolderServices& files, OpenBudget& budget) : files_(files), budget_(budget) {}
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;
    ~HeldFolders();

    // The folder at the path; the one opened before where it is the same folder.
    SysResult<Id> atPath(const std::string& path);
    // The folder of that name in a held one, where it is the folder of that identity.
    SysResult<Id> beneath(Id parent, const std::string& name, const FileIdentity& seen);

    // The folder's handle: opened again where it was let go, and checked to be the folder it was.
    SysResult<FileHandle> hold(Id id);
    // Lets the folder go where the budget has no room for it; hold() opens it again.
    void letGoBeyondBudget(Id id);
    // Lets go of every folder opened again beyond the budget.
    void letGoOfReopened();
    // Lets go of the folder, whatever the budget: before it is removed, or where nothing in it is needed.
    void release(Id id) { close(folders_[id]); }

    const std::string& path(Id id) const { return folders_[id].path; }
    const std::string& name(Id id) const { return folders_[id].name; }
    const FileIdentity& identity(Id id) const { return folders_[id].identity; }
    std::optional<Id> parent(Id id) const { return folders_[id].parent; }
    FolderServices& files() const { return files_; }

private:
    struct Folder {
        std::optional<Id> parent; // none for a folder opened by its path
        std::string name;         // in the parent
        std::string path;
        FileIdentity identity;
        FileHandle handle = kNoHandle;
        bool inBudget = false; // held within the budget, not opened again beyond it
    };

    SysResult<FileHandle> open(const Folder& folder);
    Id added(Folder folder, FileHandle handle);
    void close(Folder& folder);

    FolderServices& files_;
    OpenBudget& budget_;
    std::vector<Folder> folders_;
};

} // namespace kelvanter
