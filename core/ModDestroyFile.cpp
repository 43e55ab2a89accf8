#include "core/ModDestroyFile.h"

#include "core/FilePin.h"

#include <cstdio>

namespace kelvanter::modDestroyFile {

namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The path up to and including its last separator, or nothing for a bare name.
std::string folderPrefixOf(const std::string& path, const char* separators) {
    const auto slash = path.find_last_of(separators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

bool FileExists(FileServices& files, const std::string& path) {
    return FilePin::of(files, path).has_value();
}

bool PathIsGone(FileServices& files, const std::string& path) {
    const auto status = files.inspect(path);
    return status.error == ENOENT || status.error == ENOTDIR;
}

SysResult<std::uint32_t> ReadAttributes(FileServices& files, const std::string& path) {
    const auto status = files.inspect(path);
    if (!status.ok())
        return {kAttrQueryFailed, status.error};
    return {status.value.attributes, 0};
}

bool AttributesOk(FileServices& files, const std::string& path) {
    const std::uint32_t word = ReadAttributes(files, path).value;
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

void ResetAttributes(FileServices& files, const std::string& path) {
    files.resetAttributes(path);
}

bool TruncateFile(FileServices& files, const std::string& path, const FileIdentity& identity) {
    if (!files.truncateToZero(path, identity).ok())
        return false;
    const auto status = files.inspect(path);
    return status.ok() && status.value.size == 0;
}

std::string TemporaryName(const std::string& path, const CalendarDay& date, const ClockReading& time,
                          const char* separators) {
    return folderPrefixOf(path, separators) + twoDigits(date.day) + twoDigits(date.month) + twoDigits(time.minute) +
           twoDigits(time.second) + ".del";
}

KillOutcome RenameAndKill(FileServices& files, Clock& clock, const std::string& path) {
    const CalendarDay date = clock.currentDate();
    const ClockReading time = clock.currentTime();
    const std::string temporary = TemporaryName(path, date, time, files.pathSeparators());
    const SysStatus renamed = files.renameNoReplace(path, temporary);
    // A file system that can neither rename without replacing nor link (some FUSE FAT drivers):
    // the file, already cut to nothing, goes under its own name rather than stay. A rename that
    // could replace another file is never the way out.
    if (renamed.error == EINVAL || renamed.error == EPERM || renamed.error == ENOSYS || renamed.error == EOPNOTSUPP)
        return files.removeFile(path).ok() ? KillOutcome::Deleted : KillOutcome::DeleteFailed;
    if (!renamed.ok())
        return KillOutcome::RenameFailed;
    if (!files.removeFile(temporary).ok())
        return KillOutcome::DeleteFailed;
    return KillOutcome::Deleted;
}

} // namespace kelvanter::modDestroyFile
