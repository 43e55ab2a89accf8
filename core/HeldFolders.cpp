#include "core/HeldFolders.h"

#include "platform/PathParts.h"

namespace kelvanter {

HeldFolders::~HeldFolders() {
    for (Folder& folder : folders_)
        close(folder);
}

void HeldFolders::close(Folder& folder) {
    if (folder.handle == kNoHandle)
        return;
    files_.close(folder.handle);
    folder.handle = kNoHandle;
    if (folder.inBudget)
        budget_.giveBack();
    folder.inBudget = false;
}

HeldFolders::Id HeldFolders::added(Folder folder, FileHandle handle) {
    folder.handle = handle;
    folder.inBudget = budget_.take();
    folders_.push_back(std::move(folder));
    return folders_.size() - 1;
}

SysResult<HeldFolders::Id> HeldFolders::atPath(const std::string& path) {
    const auto opened = files_.openFolder(path);
    if (!opened.ok())
        return {0, opened.error};
    const auto identity = files_.identityOfFolder(opened.value);
    if (!identity.ok()) {
        files_.close(opened.value);
        return {0, identity.error};
    }
    for (Id id = 0; id < folders_.size(); ++id) {
        if (!folders_[id].parent && folders_[id].identity == identity.value && folders_[id].path == path) {
            files_.close(opened.value);
            return {id, 0};
        }
    }
    return {added({std::nullopt, pathParts::nameOf(path, files_.pathSeparators()), path, identity.value}, opened.value),
            0};
}

SysResult<HeldFolders::Id> HeldFolders::beneath(Id parent, const std::string& name, const FileIdentity& seen) {
    const auto held = hold(parent);
    if (!held.ok())
        return {0, held.error};
    Folder folder{parent, name, pathParts::joined(path(parent), name, files_.pathSeparators()), seen};
    const auto opened = open(folder);
    if (!opened.ok())
        return {0, opened.error};
    return {added(std::move(folder), opened.value), 0};
}

// By its name in its held parent, or by its path; refused where it is no longer the same folder.
SysResult<FileHandle> HeldFolders::open(const Folder& folder) {
    SysResult<FileHandle> opened;
    if (folder.parent) {
        const auto parent = hold(*folder.parent);
        if (!parent.ok())
            return parent;
        opened = files_.openFolderAt(parent.value, folder.name);
    } else {
        opened = files_.openFolder(folder.path);
    }
    if (!opened.ok())
        return opened;
    const auto identity = files_.identityOfFolder(opened.value);
    if (!identity.ok() || identity.value != folder.identity) {
        files_.close(opened.value);
        return {kNoHandle, identity.ok() ? kFileReplaced : identity.error};
    }
    return opened;
}

SysResult<FileHandle> HeldFolders::hold(Id id) {
    if (folders_[id].handle != kNoHandle)
        return {folders_[id].handle, 0};
    const auto opened = open(folders_[id]);
    if (opened.ok()) {
        folders_[id].handle = opened.value;
        folders_[id].inBudget = budget_.take();
    }
    return opened;
}

void HeldFolders::letGoBeyondBudget(Id id) {
    if (!folders_[id].inBudget)
        close(folders_[id]);
}

void HeldFolders::letGoOfReopened() {
    for (Folder& folder : folders_) {
        if (!folder.inBudget)
            close(folder);
    }
}

} // namespace kelvanter
