#pragma once

#include "core/FilePin.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>

// The file operations of the disposal, each on the file the run holds.
namespace kelvanter::modDestroyFile {

// Whether the held file still has a name and may be deleted: a file turned into a system file
// (immutable or append-only on Linux) counts as not found, as a hidden one counts as found.
bool FileExists(const SysResult<EntryStatus>& status);

// Whether the attribute word allows the disposal.
bool AttributesOk(std::uint32_t word);

void ResetAttributes(DestructionServices& files, const FilePin& pin);

// Cuts the open file to zero bytes; true when it is then empty.
bool TruncateFile(DestructionServices& files, FileHandle written);

// The name the file takes in its folder before it is deleted: day, month, minute, second, ".del".
std::string TemporaryName(const CalendarDay& date, const ClockReading& time);

enum class KillOutcome { Deleted, RenameFailed, DeleteFailed };

// Renames the file to its temporary name in its folder (never replacing anything), checks that the
// name names the held file, lets the file go and deletes it there; where the file system offers no
// such rename, deletes it under its own name.
KillOutcome RenameAndKill(DestructionServices& files, Clock& clock, const std::string& path, FilePin& pin);

} // namespace kelvanter::modDestroyFile
