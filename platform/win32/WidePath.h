#pragma once

#include "platform/WideText.h"

#include <string>

namespace kelvanter::win32 {

// The path for a W call: absolute paths longer than MAX_PATH get the \\?\ prefix (\\?\UNC\ for a
// network path), with "/" turned into "\", since the prefix turns off the system's own clean-up.
std::wstring widePath(const std::string& utf8);

} // namespace kelvanter::win32
