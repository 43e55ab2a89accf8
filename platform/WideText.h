#pragma once

#include <string>

// Windows only: the core's WTF-8 (its paths, and plain UTF-8 texts) as the UTF-16 that the W calls
// take, and back, so that every name Windows can hold, an unpaired surrogate included, comes back
// as it went.
namespace kelvanter::win32 {

std::wstring widen(const std::string& wtf8);
std::string narrow(const std::wstring& utf16);

} // namespace kelvanter::win32
