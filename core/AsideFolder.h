#pragma once

#include "core/RandomText.h"
#include "platform/DiskNames.h"

#include <string>

namespace kelvanter {

// The private folder a disposal moves the emptied file into: a dot and random letters alone, so
// that no one can make it beforehand and its name, which a file system may keep, tells nothing of
// the program or of when it ran.
inline constexpr std::size_t kAsideFolderLetters = 15;
inline constexpr const char* kAsideFolderAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";

inline std::string asideFolderName() {
    std::string name = "."; // appended: GCC 12 for mingw warns falsely on a literal plus a temporary string
    name += randomText(kAsideFolderAlphabet, kAsideFolderLetters);
    return name;
}

// Whether a name is such a folder's, or one of the named folders of earlier versions.
inline bool isAsideFolderName(const std::string& name) {
    if (name.rfind(diskNames::kAsideFolderPrefix, 0) == 0)
        return true;
    return name.size() == kAsideFolderLetters + 1 && name.front() == '.' &&
           name.find_first_not_of(kAsideFolderAlphabet, 1) == std::string::npos;
}

} // namespace kelvanter
