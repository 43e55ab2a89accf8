#include "core/FilePin.h"

#include "platform/Reasons.h"

namespace kelvanter {

namespace {

// What leaves the path without a destroyable file, rather than in the way of one.
bool namesNoFile(int error) {
    return reasonOf(error) == Reason::NoFileThere;
}

} // namespace

FilePin::Lookup FilePin::lookUp(DestructionServices& files, const std::string& path, HiddenFiles hidden) {
    return held(files, files.pin(path), hidden);
}

FilePin::Lookup FilePin::lookUpAt(DestructionServices& files, FileHandle folder, const std::string& name,
                                  HiddenFiles hidden) {
    return held(files, files.pinAt(folder, name), hidden);
}

FilePin::Lookup FilePin::held(DestructionServices& files, const SysResult<PinnedEntry>& pinned, HiddenFiles hidden) {
    if (!pinned.ok())
        return {std::nullopt, namesNoFile(pinned.error) ? 0 : pinned.error};
    FilePin pin(files, pinned.value.handle, pinned.value.status);
    const std::uint32_t attributes = pinned.value.status.attributes;
    if (pinned.value.status.kind != EntryKind::Regular || (attributes & kAttrSystem) != 0 ||
        pinned.value.status.unchangeable)
        return {};
    if (hidden == HiddenFiles::Excluded && (attributes & kAttrHidden) != 0)
        return {};
    return {std::move(pin), 0};
}

std::optional<FilePin> FilePin::of(DestructionServices& files, const std::string& path, HiddenFiles hidden) {
    return lookUp(files, path, hidden).pin;
}

FilePin::FilePin(FilePin&& other) noexcept
    : files_(other.files_), handle_(other.handle_), status_(other.status_), adopted_(other.adopted_) {
    other.handle_ = kNoHandle;
}

FilePin::~FilePin() {
    release();
}

void FilePin::release() {
    if (handle_ != kNoHandle && adopted_)
        files_.close(handle_);
    else if (handle_ != kNoHandle)
        files_.unpin(handle_);
    handle_ = kNoHandle;
}

void FilePin::adopt(FileHandle opened) {
    if (opened == kNoHandle || opened == handle_)
        return;
    release();
    handle_ = opened;
    adopted_ = true;
}

} // namespace kelvanter
