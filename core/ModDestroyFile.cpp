#include "core/ModDestroyFile.h"

#include "platform/PathParts.h"

#include <cstdio>

namespace kelvanter::modDestroyFile {

namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The file's folder, held open while names change in it, and flushed after each change.
class HeldFolder {
public:
    HeldFolder(DestructionServices& files, const std::string& path) : files_(files) {
        const auto opened = files.openFolder(pathParts::folderOf(path, files.pathSeparators()));
        handle_ = opened.ok() ? opened.value : kNoHandle;
    }
    ~HeldFolder() {
        if (handle_ != kNoHandle)
            files_.close(handle_);
    }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    bool isOpen() const { return handle_ != kNoHandle; }
    bool names(const std::string& name, const FileIdentity& identity) const {
        const auto found = files_.identityAt(handle_, name);
        return found.ok() && found.value == identity;
    }
    SysStatus rename(const std::string& from, const std::string& to) {
        const SysStatus renamed = files_.renameAt(handle_, from, handle_, to);
        if (renamed.ok())
            files_.flushFolder(handle_);
        return renamed;
    }
    SysStatus remove(const std::string& name) {
        const SysStatus removed = files_.removeAt(handle_, name);
        if (removed.ok())
            files_.flushFolder(handle_);
        return removed;
    }

private:
    DestructionServices& files_;
    FileHandle handle_ = kNoHandle;
};

// A file system that can neither rename without replacing nor link (some FUSE FAT drivers).
bool cannotRenameSafely(int error) {
    return error == EINVAL || error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

bool FileExists(const SysResult<EntryStatus>& status) {
    return status.ok() && status.value.links > 0 && status.value.kind == EntryKind::Regular &&
           (status.value.attributes & kAttrSystem) == 0;
}

bool AttributesOk(std::uint32_t word) {
    // Later tests override earlier ones.
    bool ok = false;
    if (word & kAttrNormal)
        ok = true;
    if (word & kAttrArchive)
        ok = true;
    if (word & kAttrSystem)
        ok = false;
    if (word & kAttrHidden)
        ok = false;
    if (word & kAttrReadOnly)
        ok = false;
    if (word & kAttrTemporary)
        ok = false;
    return ok;
}

void ResetAttributes(DestructionServices& files, const FilePin& pin) {
    files.resetAttributes(pin.handle());
}

bool TruncateFile(DestructionServices& files, FileHandle written) {
    if (!files.cutToZero(written).ok())
        return false;
    const auto length = files.lengthOf(written);
    return length.ok() && length.value == 0;
}

std::string TemporaryName(const CalendarDay& date, const ClockReading& time) {
    return twoDigits(date.day) + twoDigits(date.month) + twoDigits(time.minute) + twoDigits(time.second) + ".del";
}

KillOutcome RenameAndKill(DestructionServices& files, Clock& clock, const std::string& path, FilePin& pin) {
    const CalendarDay date = clock.currentDate();
    const ClockReading time = clock.currentTime();
    const std::string temporary = TemporaryName(date, time);
    const std::string name = pathParts::nameOf(path, files.pathSeparators());
    HeldFolder folder(files, path);
    if (!folder.isOpen())
        return KillOutcome::RenameFailed;
    const SysStatus renamed = folder.rename(name, temporary);
    // The file, already cut to nothing, goes under its own name rather than stay. A rename that
    // could replace another file is never the way out.
    std::string doomed = temporary;
    if (cannotRenameSafely(renamed.error))
        doomed = name;
    else if (!renamed.ok())
        return KillOutcome::RenameFailed;
    // The name must still name the file this run holds: anything else is left as it is.
    if (!folder.names(doomed, pin.identity()))
        return KillOutcome::RenameFailed;
    // A file still held open is only marked for deletion on Windows, its name still there.
    pin.release();
    return folder.remove(doomed).ok() ? KillOutcome::Deleted : KillOutcome::DeleteFailed;
}

} // namespace kelvanter::modDestroyFile
