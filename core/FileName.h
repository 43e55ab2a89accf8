#pragma once

#include "platform/FileServices.h"

#include <string>

namespace kelvanter {

// A name of a file in a folder the run holds, and the path the words show for it.
struct FileName {
    FileHandle folder = kNoHandle;
    std::string name;
    std::string path; // as the file system names it
};

} // namespace kelvanter
