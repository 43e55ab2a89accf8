#include "core/FilePin.h"

namespace kelvanter {

std::optional<FilePin> FilePin::of(FileServices& files, const std::string& path, HiddenFiles hidden) {
    const auto pinned = files.pin(path);
    if (!pinned.ok())
        return std::nullopt;
    FilePin pin(files, pinned.value.handle, pinned.value.identity, 0);
    if (pinned.value.kind != EntryKind::Regular)
        return std::nullopt;
    // The flags can only be read by name; the identity check ties the answer to the pinned inode.
    const auto status = files.inspect(path);
    if (!status.ok() || status.value.identity != pin.identity_ || (status.value.attributes & kAttrSystem) != 0)
        return std::nullopt;
    if (hidden == HiddenFiles::Excluded && (status.value.attributes & kAttrHidden) != 0)
        return std::nullopt;
    pin.size_ = status.value.size;
    return pin;
}

FilePin::FilePin(FilePin&& other) noexcept
    : files_(other.files_), handle_(other.handle_), identity_(other.identity_), size_(other.size_) {
    other.handle_ = -1;
}

FilePin::~FilePin() {
    if (handle_ >= 0)
        files_.unpin(handle_);
}

} // namespace kelvanter
