#include "core/HeldFolder.h"

namespace kelvanter {

HeldFolder::HeldFolder(FolderServices& files, SysResult<FileHandle> opened)
    : files_(files), handle_(opened.ok() ? opened.value : kNoHandle), openError_(opened.error) {}

HeldFolder::HeldFolder(FolderServices& files, const std::string& path) : HeldFolder(files, files.openFolder(path)) {}

HeldFolder::HeldFolder(HeldFolder& parent, const std::string& name)
    : HeldFolder(parent.files_, parent.isOpen() ? parent.files_.openFolderAt(parent.handle_, name)
                                                : SysResult<FileHandle>{kNoHandle, parent.openError_}) {}

HeldFolder HeldFolder::borrowing(FolderServices& files, FileHandle handle) {
    HeldFolder folder(files, SysResult<FileHandle>{handle, handle == kNoHandle ? EBADF : 0});
    folder.owned_ = false;
    return folder;
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : files_(other.files_), handle_(other.handle_), openError_(other.openError_), flushFailed_(other.flushFailed_),
      owned_(other.owned_) {
    other.handle_ = kNoHandle;
}

std::optional<HeldFolder> HeldFolder::makePrivate(const std::string& name, int* error) {
    const auto made = files_.makePrivateFolderAt(handle_, name);
    if (error != nullptr)
        *error = made.error;
    if (!made.ok())
        return std::nullopt;
    flush();
    return HeldFolder(files_, made);
}

void HeldFolder::close() {
    if (handle_ != kNoHandle && owned_)
        files_.close(handle_);
    handle_ = kNoHandle;
}

std::vector<std::string> HeldFolder::names() const {
    return isOpen() ? files_.namesIn(handle_).value : std::vector<std::string>{};
}

bool HeldFolder::names(const std::string& name, const FileIdentity& identity) const {
    const auto found = identityOf(name);
    return found.ok() && found.value == identity;
}

SysStatus HeldFolder::move(const std::string& from, HeldFolder& target, const std::string& to) {
    const SysStatus moved = files_.renameAt(handle_, from, target.handle_, to);
    if (moved.ok()) {
        flush();
        if (&target != this)
            target.flush();
    }
    return moved;
}

SysStatus HeldFolder::remove(const std::string& name) {
    const SysStatus removed = files_.removeAt(handle_, name);
    if (removed.ok())
        flush();
    return removed;
}

SysStatus HeldFolder::removeFolder(const std::string& name) {
    const SysStatus removed = files_.removeFolderAt(handle_, name);
    if (removed.ok())
        flush();
    return removed;
}

SysStatus HeldFolder::createSmallFile(const std::string& name, const std::string& contents) {
    return files_.createSmallFileAt(handle_, name, contents);
}

bool HeldFolder::othersMayTakeNames() const {
    const auto found = access();
    return !found.ok() || (found.value.othersMayWrite && !found.value.sticky);
}

bool HeldFolder::flush() {
    const bool flushed = files_.flushFolder(handle_).ok();
    flushFailed_ |= !flushed;
    return flushed;
}

} // namespace kelvanter
