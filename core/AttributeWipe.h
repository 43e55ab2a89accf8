#pragma once

#include "platform/FileServices.h"

#include <string>
#include <vector>

namespace kelvanter {

// What is left of the file's extended attributes after the wipe, by name.
struct WipedAttributes {
    std::vector<std::string> kept;        // unchanged, or not removed
    std::vector<std::string> inFreeSpace; // removed, but their old values may lie in free blocks
};

// Overwrites each extended attribute of the open file that may be changed with a value of its own
// length, commits that to the device (through the journal, where the value has a block of its
// own), then removes it: a freed attribute block keeps its old bytes (where a download came from,
// a comment). A value that a new one does not overwrite where it lies is only removed.
WipedAttributes wipeAttributes(DestructionServices& files, FileHandle written);

} // namespace kelvanter
