#pragma once

#include "core/CoreContext.h"
#include "core/FileName.h"
#include "core/FilePin.h"
#include "core/OverwriteProof.h"
#include "core/PassFile.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// How far the disposal got. The verdict follows from it; only a file found gone is shown here.
enum class DisposalOutcome {
    Deleted,
    Vanished,         // its last name was deleted meanwhile, by someone else
    NewFileUnderName, // its name was taken by a new file meanwhile (a save), which was left as it was
    SystemFile,       // it turned into a system file (immutable) and stays where it is
    AttributesStuck,
    TruncateFailed,
    RenameFailed,
    DeleteFailed,
    Replaced,          // another file stood under its name, and was left as it was
    DeletionUnflushed, // deleted, but the device was not seen to keep the deletion: it may come undone
    LeftEmptied,       // emptied and left at fileAt: deleting it by name in its folder was not safe
};

struct DisposalResult {
    DisposalOutcome outcome;
    std::string fileAt = {};     // where the emptied file lies, where not at its path
    std::string strangerAt = {}; // where the file that stood under its name lies, for Replaced
    int error = 0;               // why the name could not be removed
    Doubts raised = {};          // what the disposal found against the proof: writes by others, the name kept
};

// The reset-and-check cycle gives up after this many rounds; the file then stays.
inline constexpr int kMaxAttributeResets = 3;

// The file the disposal works on: held since its lookup, and still open from the passes.
struct HeldFile {
    const FileName& at;                      // its name in the folder the run holds
    const std::vector<FileName>& otherNames; // its other names the user chose too
    FilePin& pin;
    PassFile& written;
    std::int64_t overwrittenEnd = 0;                  // how far the passes overwrote it
    DeletedNames deletedNames = DeletedNames::Reused; // how its folder keeps a deleted name
    bool namesLogged = false;                         // the file system logs names out of reach
    std::optional<WrittenState> proven;               // the file as the proof left it
};

// Cuts the file to zero bytes, renames it to its temporary name in its folder and deletes it there.
// Ends silently at the first failure; the window stays in the disposing phase.
DisposalResult vesk_total(const CoreContext& context, HeldFile file);

} // namespace kelvanter
