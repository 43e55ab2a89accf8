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
    TreeWalk(FolderTree& tree, std::uint64_t device, const char* separators)
        : tree_(tree), device_(device), separators_(separators) {}

    void walk(HeldFolder& folder, const std::string& path, int depth) {
        std::vector<std::string> names = folder.names();
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            take(folder, path, name, depth);
    }

private:
    void take(HeldFolder& folder, const std::string& path, const std::string& name, int depth) {
        const std::string entry = pathParts::joined(path, name, separators_);
        const auto status = folder.statusOf(name);
        if (!status.ok())
            return leave(entry, LeftBecause::Unreadable, status.error);
        switch (status.value.kind) {
        case EntryKind::Regular:
            if (status.value.identity.device != device_)
                return leave(entry, LeftBecause::OtherFileSystem);
            tree_.files.push_back(entry);
            return;
        case EntryKind::Symlink:
            return leave(entry, LeftBecause::SymbolicLink);
        case EntryKind::Other:
            return leave(entry, LeftBecause::NoRegularFile);
        case EntryKind::Directory:
            return enter(folder, entry, name, status.value.identity, depth);
        }
    }

    // `entry`: the folder's path, `name` in `folder`.
    void enter(HeldFolder& folder, const std::string& entry, const std::string& name, const FileIdentity& named,
               int depth) {
        if (named.device != device_)
            return leave(entry, LeftBecause::OtherFileSystem);
        if (depth >= kDeepest)
            return leave(entry, LeftBecause::TooDeep);
        HeldFolder inner(folder, name);
        if (!inner.isOpen())
            return leave(entry, LeftBecause::Unreadable, inner.openError());
        const auto held = inner.identity();
        if (!held.ok() || held.value != named)
            return leave(entry, LeftBecause::Unreadable, held.ok() ? kFileReplaced : held.error);
        const auto mounted = inner.isMountRoot();
        if (mounted.value)
            return leave(entry, LeftBecause::MountPoint);
        walk(inner, entry, depth + 1);
        tree_.folders.push_back({pathParts::folderOf(entry, separators_), name, named});
    }

    void leave(const std::string& path, LeftBecause because, int error = 0) {
        tree_.left.push_back({path, because, error});
    }

    FolderTree& tree_;
    std::uint64_t device_;
    const char* separators_;
};

// One folder's removal, by its name in its parent held open, while that names the folder walked.
std::optional<LeftEntry> removeFolder(FolderServices& files, ProcessServices& process, const FolderTree::Folder& folder,
                                      const char* separators) {
    const std::string path = pathParts::joined(folder.parent, folder.name, separators);
    HeldFolder parent(files, folder.parent);
    if (!parent.isOpen() || !parent.names(folder.name, folder.identity))
        return LeftEntry{path, LeftBecause::NotRemoved, parent.openError()};
    const auto facts = files.storageOf(parent.handle(), folder.parent);
    const auto renamed = modDestroyFile::overwriteNameSlots(
        parent, folder.name, folder.identity, facts.ok() ? facts.value.deletedNames : DeletedNames::Reused,
        {process, folder.parent});
    if (renamed.swapped)
        return LeftEntry{path, LeftBecause::NotRemoved, kFileReplaced};
    const SysStatus removed = parent.removeFolder(renamed.name);
    if (removed.ok())
        return renamed.complete ? std::nullopt : std::optional<LeftEntry>(LeftEntry{path, LeftBecause::NameKept});
    const bool notEmpty = reasonOf(removed.error) == Reason::NotEmpty;
    return LeftEntry{path, notEmpty ? LeftBecause::NotEmpty : LeftBecause::NotRemoved, removed.error};
}

} // namespace

FolderTree treeBeneath(FolderServices& files, const std::string& folder, const FileIdentity& identity,
                       const char* separators) {
    FolderTree tree;
    tree.root = folder;
    HeldFolder root(files, folder);
    const auto held = root.isOpen() ? root.identity() : SysResult<FileIdentity>{{}, root.openError()};
    if (!held.ok() || held.value != identity) {
        tree.left.push_back({folder, LeftBecause::Unreadable, held.ok() ? kFileReplaced : held.error});
        return tree;
    }
    TreeWalk(tree, identity.device, separators).walk(root, folder, 0);
    tree.folders.push_back({pathParts::folderOf(folder, separators), pathParts::nameOf(folder, separators), identity});
    return tree;
}

std::vector<LeftEntry> removeFolders(FolderServices& files, ProcessServices& process, const FolderTree& tree,
                                     const char* separators) {
    std::vector<LeftEntry> stay;
    for (const FolderTree::Folder& folder : tree.folders) {
        if (auto left = removeFolder(files, process, folder, separators))
            stay.push_back(*left);
    }
    return stay;
}

} // namespace kelvanter
