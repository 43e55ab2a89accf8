#include "core/FolderTree.h"

#include "core/HeldFolder.h"
#include "core/NameSlots.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <algorithm>
#include <optional>

namespace kelvanter {

namespace {

constexpr int kDeepest = 128; // no tree a user keeps goes deeper; a loop or a trap does

class TreeWalk {
public:
    TreeWalk(FolderTree& tree, HeldFolders& folders, std::uint64_t device)
        : tree_(tree), folders_(folders), device_(device) {}

    void walk(HeldFolders::Id id, int depth) {
        const auto held = folders_.hold(id);
        if (!held.ok())
            return leave(folders_.path(id), LeftBecause::Unreadable, held.error);
        const HeldFolder folder = HeldFolder::borrowing(folders_.files(), held.value);
        std::vector<std::string> names = folder.names();
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            take(id, name, depth);
        folders_.letGoBeyondBudget(id);
    }

private:
    void take(HeldFolders::Id id, const std::string& name, int depth) {
        const std::string entry = pathParts::joined(folders_.path(id), name, folders_.files().pathSeparators());
        const auto held = folders_.hold(id);
        const auto status =
            held.ok() ? folders_.files().statusAt(held.value, name) : SysResult<EntryStatus>{{}, held.error};
        if (!status.ok())
            return leave(entry, LeftBecause::Unreadable, status.error);
        switch (status.value.kind) {
        case EntryKind::Regular:
            if (status.value.identity.device != device_)
                return leave(entry, LeftBecause::OtherFileSystem);
            tree_.files.push_back({id, name, status.value.identity});
            return;
        case EntryKind::Symlink:
            return leave(entry, LeftBecause::SymbolicLink);
        case EntryKind::Other:
            return leave(entry, LeftBecause::NoRegularFile);
        case EntryKind::Directory:
            return enter(id, entry, name, status.value.identity, depth);
        }
    }

    void enter(HeldFolders::Id parent, const std::string& entry, const std::string& name, const FileIdentity& named,
               int depth) {
        if (named.device != device_)
            return leave(entry, LeftBecause::OtherFileSystem);
        if (depth >= kDeepest)
            return leave(entry, LeftBecause::TooDeep);
        const auto inner = folders_.beneath(parent, name, named);
        if (!inner.ok())
            return leave(entry, LeftBecause::Unreadable, inner.error);
        const auto held = folders_.hold(inner.value);
        if (held.ok() && folders_.files().isMountRoot(held.value).value) {
            folders_.release(inner.value);
            return leave(entry, LeftBecause::MountPoint);
        }
        walk(inner.value, depth + 1);
        tree_.folders.push_back(inner.value);
    }

    void leave(const std::string& path, LeftBecause because, int error = 0) {
        tree_.left.push_back({path, because, error});
    }

    FolderTree& tree_;
    HeldFolders& folders_;
    std::uint64_t device_;
};

// One folder's removal, by its name in its parent held open, while that names the folder walked.
std::optional<LeftEntry> removeFolder(HeldFolders& folders, ProcessServices& process, HeldFolders::Id id) {
    const std::string& path = folders.path(id);
    const auto parentId = folders.parent(id);
    if (!parentId)
        return LeftEntry{path, LeftBecause::NotRemoved};
    const auto held = folders.hold(*parentId);
    if (!held.ok())
        return LeftEntry{path, LeftBecause::NotRemoved, held.error};
    HeldFolder parent = HeldFolder::borrowing(folders.files(), held.value);
    const std::string& name = folders.name(id);
    if (!parent.names(name, folders.identity(id)))
        return LeftEntry{path, LeftBecause::Swapped};
    const auto facts = folders.files().storageOf(held.value, folders.path(*parentId));
    const auto renamed = modDestroyFile::overwriteNameSlots(
        parent, name, folders.identity(id), facts.ok() ? facts.value.deletedNames : DeletedNames::Reused,
        {process, folders.path(*parentId)});
    if (renamed.swapped)
        return LeftEntry{path, LeftBecause::Swapped};
    const SysStatus removed = parent.removeFolder(renamed.name);
    const bool ntfs = facts.ok() && facts.value.deletedNames == DeletedNames::NtfsIndex;
    if (removed.ok() && renamed.complete &&
        !(ntfs && modDestroyFile::nameLeftInNtfsIndex(parent, name, {process, folders.path(*parentId)})))
        return std::nullopt;
    if (removed.ok())
        return LeftEntry{path, LeftBecause::NameKept};
    const bool notEmpty = reasonOf(removed.error) == Reason::NotEmpty;
    return LeftEntry{path, notEmpty ? LeftBecause::NotEmpty : LeftBecause::NotRemoved, removed.error};
}

} // namespace

FolderTree treeBeneath(HeldFolders& folders, HeldFolders::Id root) {
    FolderTree tree;
    tree.root = folders.path(root);
    TreeWalk(tree, folders, folders.identity(root).device).walk(root, 0);
    tree.folders.push_back(root);
    return tree;
}

std::vector<LeftEntry> removeFolders(HeldFolders& folders, ProcessServices& process, const FolderTree& tree) {
    std::vector<LeftEntry> stay;
    for (const HeldFolders::Id id : tree.folders) {
        // The folder itself is let go first: FAT frees a removed folder's cluster only once nothing holds it.
        folders.release(id);
        if (auto left = removeFolder(folders, process, id))
            stay.push_back(*left);
    }
    return stay;
}

} // namespace kelvanter
