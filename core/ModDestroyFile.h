#pragma once

#include "core/FileName.h"
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

enum class KillOutcome {
    Deleted,
    RenameFailed,
    DeleteFailed,
    Replaced,          // another file stood under the name: it is left as it was, and nothing is deleted
    DeletionUnflushed, // deleted, but a flush of the folder failed: the name may come back
    LeftEmptied,       // emptied, but not deleted where others may change names: it lies at fileAt
};

struct KillResult {
    KillOutcome outcome;
    std::string fileAt = {};     // where the emptied file lies, where not at its own path
    std::string strangerAt = {}; // where the file found under the name lies, for Replaced
    int error = 0;               // why the rename or the deletion was refused
    bool nameKept = false;       // the folder may still hold the file's name, not written over there
};

// Moves the file under its temporary name into a folder of this user's own beside it (or, where
// none can be made, within its folder), never replacing anything; checks before and after that the
// name names the held file; lets the file go and deletes it there. Where its folder keeps deleted
// names (`kept`), the name is written over there first. Where the file system offers no
// rename that never replaces, deletes it under its own name; a rename refused for any other reason
// leaves the emptied file under its own name.
// While the private folder stands, the state folder has a record of it: a kill leaves nothing that a
// start would not find.
// `at` names the file in the folder the run holds. Where `lastName` is false, the file keeps being
// held: another of its names goes after this one.
KillResult RenameAndKill(DestructionServices& files, ProcessServices& process, Clock& clock, const FileName& at,
                         FilePin& pin, DeletedNames kept = DeletedNames::Reused, bool lastName = true);

} // namespace kelvanter::modDestroyFile
