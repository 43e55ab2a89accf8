#pragma once

#include "core/HeldFolder.h"

#include <string>

namespace kelvanter::modDestroyFile {

struct OverwrittenName {
    std::string name;     // what the file is called now
    bool swapped = false; // the name came to name another file: the churn stopped there
};

// On FAT and exFAT a deleted entry keeps its name in its folder's slots. Before the file leaves
// its folder, it is renamed through names of one neutral character: first of the name's own
// length (exFAT rewrites the entries in place; FAT puts each new name in the first free run of
// slots, which after one rename is the run the name held), then ever shorter ones, halving. Each
// rename never replaces a file, stays in memory until the disposal's next flush, and is checked
// against the held file. A refused rename ends the churn; the file goes on as it is.
OverwrittenName overwriteNameSlots(HeldFolder& folder, const std::string& name, const FileIdentity& identity);

// A name's length as FAT and exFAT count it: in UTF-16 units.
std::size_t utf16Length(const std::string& name);

} // namespace kelvanter::modDestroyFile
