#pragma once

#include "platform/FileServices.h"

#include <string>
#include <vector>

namespace kelvanter {

// Overwrites each extended attribute of the open file that may be changed with a value of its own
// length, flushes, then removes it: a freed attribute block keeps its old bytes (where a download
// came from, a comment). The names of those that stay, unchanged or not removed.
std::vector<std::string> wipeAttributes(DestructionServices& files, FileHandle written);

} // namespace kelvanter
