#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// A folder held open while names change in it, for the destruction and the fill alike. Each
// change is flushed to the device at once, unless it says otherwise, so that a name gone does not
// come back after a crash; a change whose flush failed may not last: everyChangeFlushed() says so.
class HeldFolder {
public:
    // The folder at the path; check isOpen().
    HeldFolder(FolderServices& files, const std::string& path);
    // The folder of that name in `parent`, never through a link; check isOpen().
    HeldFolder(HeldFolder& parent, const std::string& name);
    // A folder held elsewhere (a list's), worked in here and left open: its flushes are counted
    // here alone.
    static HeldFolder borrowing(FolderServices& files, FileHandle handle);
    HeldFolder(HeldFolder&& other) noexcept;
    HeldFolder& operator=(HeldFolder&&) = delete;
    ~HeldFolder() { close(); }

    // A new folder in this one that only this user may enter; nothing where it cannot be made,
    // with the error in `error` where one is asked for.
    std::optional<HeldFolder> makePrivate(const std::string& name, int* error = nullptr);
    // Lets go of the folder: FAT frees a removed folder's cluster only once nothing holds it.
    void close();
    bool everyChangeFlushed() const { return !flushFailed_; }
    bool isOpen() const { return handle_ != kNoHandle; }
    FileHandle handle() const { return handle_; }
    // Why the folder could not be opened, where it could not.
    int openError() const { return openError_; }

    std::vector<std::string> names() const;
    // Which file the name names now.
    SysResult<FileIdentity> identityOf(const std::string& name) const { return files_.identityAt(handle_, name); }
    // What the name names now, without following a link.
    SysResult<EntryStatus> statusOf(const std::string& name) const { return files_.statusAt(handle_, name); }
    // Which folder this one is.
    SysResult<FileIdentity> identity() const { return files_.identityOfFolder(handle_); }
    // Whether something from elsewhere is mounted on it.
    SysResult<bool> isMountRoot() const { return files_.isMountRoot(handle_); }
    // Who else may change the names here.
    SysResult<FolderAccess> access() const { return files_.accessOf(handle_); }
    // Whether the name names the file of this identity now.
    bool names(const std::string& name, const FileIdentity& identity) const;
    // Holds the folder for this process alone until it is closed; EBUSY where another holds it.
    SysStatus lock() { return files_.lockFolder(handle_); }
    // Whether others may change names here while no sticky bit keeps them from this user's: a
    // name checked a moment ago may name another user's file by the time it is deleted.
    bool othersMayTakeNames() const;
    // Writes over the unused end of the folder's own record (see FolderServices).
    SysStatus fillRecordSlack() { return files_.fillFolderRecordSlack(handle_); }
    FolderServices& files() const { return files_; }

    // Renames `from` here to `to` in `target` (this folder or another), never replacing anything.
    SysStatus move(const std::string& from, HeldFolder& target, const std::string& to);
    // Renames within this folder, never replacing anything, and leaves the flush to the next change.
    SysStatus renameInPlace(const std::string& from, const std::string& to) {
        return files_.renameAt(handle_, from, handle_, to);
    }
    SysStatus remove(const std::string& name);
    // Deletes the name and leaves the flush to the next flushed change, or to the file system's.
    SysStatus removeUnflushed(const std::string& name) { return files_.removeAt(handle_, name); }
    SysStatus removeFolder(const std::string& name);
    // A new file for writing, never an existing one; its name reaches the device with the next flush.
    SysResult<FileHandle> createFile(const std::string& name) { return files_.createFileAt(handle_, name); }
    SysStatus createSmallFile(const std::string& name, const std::string& contents);
    // Commits every change so far; false where the device did not take it.
    bool flush();

private:
    HeldFolder(FolderServices& files, SysResult<FileHandle> opened);

    FolderServices& files_;
    FileHandle handle_ = kNoHandle;
    int openError_ = 0;
    bool flushFailed_ = false;
    bool owned_ = true;
};

} // namespace kelvanter
