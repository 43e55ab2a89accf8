#pragma once

#include "platform/DiskNames.h"

#include <string>

namespace kelvanter::testing {

// Where the program's own names put things, for the tests to look there.

// The private folder a file with this temporary name ("07123509.del") is deleted in.
inline std::string asideFolder(const std::string& temporary) {
    return diskNames::kAsideFolderPrefix + temporary.substr(0, 8);
}
// The emptied file in it, joined by the system's separator.
inline std::string asideEntry(const std::string& temporary, const std::string& separator = "/") {
    return asideFolder(temporary) + separator + temporary;
}
// The folder of the fills' records under a state folder ($XDG_STATE_HOME).
inline std::string fillRecordsIn(const std::string& stateHome) {
    return stateHome + "/" + diskNames::kStateFolder + "/" + diskNames::kRecordsFolder;
}
inline bool isAsideFolderName(const std::string& name) {
    return name.rfind(diskNames::kAsideFolderPrefix, 0) == 0;
}
inline bool isFillFolderName(const std::string& name) {
    return name.rfind(diskNames::kFillFolderPrefix, 0) == 0;
}

} // namespace kelvanter::testing
