#pragma once

#include <string>

namespace kelvanter::win32 {

// WTF-8 (the core's paths, and plain UTF-8 texts) to UTF-16 (the W calls) and back, so that every
// name Windows can hold, an unpaired surrogate included, comes back as it went.
std::wstring widen(const std::string& wtf8);
std::string narrow(const std::wstring& utf16);

// The path for a W call: absolute paths longer than MAX_PATH get the \\?\ prefix (\\?\UNC\ for a
// network path), with "/" turned into "\", since the prefix turns off the system's own clean-up.
std::wstring widePath(const std::string& utf8);

} // namespace kelvanter::win32
