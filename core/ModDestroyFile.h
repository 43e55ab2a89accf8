#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>

// The file operations of the disposal, each on one path.
namespace kelvanter::modDestroyFile {

using kelvanter::kAttrArchive;
using kelvanter::kAttrHidden;
using kelvanter::kAttrNormal;
using kelvanter::kAttrQueryFailed;
using kelvanter::kAttrReadOnly;
using kelvanter::kAttrSystem;
using kelvanter::kAttrTemporary;

// Whether a regular file that may be destroyed is at the path, hidden ones included (see FilePin::of).
bool FileExists(FileServices& files, const std::string& path);

// True when nothing at all is left at the path.
bool PathIsGone(FileServices& files, const std::string& path);

// The attribute word of the entry at the path (see EntryStatus). The errno of a failed query comes
// with kAttrQueryFailed.
SysResult<std::uint32_t> ReadAttributes(FileServices& files, const std::string& path);

bool AttributesOk(FileServices& files, const std::string& path);

void ResetAttributes(FileServices& files, const std::string& path);

// Cuts the file to zero bytes; true when it is then empty.
bool TruncateFile(FileServices& files, const std::string& path, const FileIdentity& identity);

// Where the file is moved before it is deleted: its own folder, day, month, minute, second, ".del".
std::string TemporaryName(const std::string& path, const CalendarDay& date, const ClockReading& time,
                          const char* separators = "/");

enum class KillOutcome { Deleted, RenameFailed, DeleteFailed };

// Renames the file to its temporary name (never replacing anything) and deletes it there; where
// the file system offers no such rename, deletes it under its own name.
KillOutcome RenameAndKill(FileServices& files, Clock& clock, const std::string& path);

} // namespace kelvanter::modDestroyFile
