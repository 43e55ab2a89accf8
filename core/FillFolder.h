#pragma once

#include "core/HeldFolder.h"

#include <string>

namespace kelvanter {

// How long the churn's names are: the prefix and random letters and digits.
inline constexpr std::size_t kChurnNameLength = 200;

// Whether a name in a folder is one of the fill's hidden folders.
bool isFillFolderName(const std::string& name);

// Deletes the fill's own files in the held fill folder, and nothing else there: only regular files
// of this user's under the names the fill makes.
void removeFillFiles(HeldFolder& fill);

// Deletes the fill's own files in the fill folder `name` of `parent`, lets go of it, and removes
// it where it is empty then.
void removeFill(HeldFolder& parent, HeldFolder& fill, const std::string& name);

// Removes the fill folders that a run killed midway left in the held folder; how many it
// removed. A fill folder that another run holds is left alone.
int removeLeftoverFills(HeldFolder& folder);

} // namespace kelvanter
