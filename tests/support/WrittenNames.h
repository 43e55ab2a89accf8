#pragma once

#include "core/AsideFolder.h"
#include "core/FillFolder.h"
#include "platform/DiskNames.h"

#include <filesystem>
#include <string>

namespace kelvanter::testing {

// Where the program's own names put things, for the tests to look there.

// The private folder a file with this temporary name ("07123509.del") is deleted in, as it stands
// in `folder` now: its name is random. The prefix alone where there is none.
inline std::string asideFolderIn(const std::filesystem::path& folder, const std::string& temporary) {
    std::error_code unreadable;
    std::string any;
    for (const auto& entry : std::filesystem::directory_iterator(folder, unreadable)) {
        const std::string name = entry.path().filename().string();
        std::error_code none;
        if (!isAsideFolderName(name))
            continue;
        if (std::filesystem::exists(entry.path() / temporary, none))
            return name;
        any = name;
    }
    return any.empty() ? std::string(diskNames::kAsideFolderPrefix) : any;
}
// The emptied file in it, joined by the system's separator.
inline std::string asideEntryIn(const std::filesystem::path& folder, const std::string& temporary,
                                const std::string& separator = "/") {
    return asideFolderIn(folder, temporary) + separator + temporary;
}
// The folder of the fills' records under a state folder ($XDG_STATE_HOME).
inline std::string fillRecordsIn(const std::string& stateHome) {
    return stateHome + "/" + diskNames::kStateFolder + "/" + diskNames::kRecordsFolder;
}
using kelvanter::isAsideFolderName;

} // namespace kelvanter::testing
