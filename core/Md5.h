#pragma once

#include <string>

namespace kelvanter {

// The MD5 digest of the bytes as 32 lower-case hex digits: the name thumbnail caches give a file.
std::string md5Hex(const std::string& bytes);

} // namespace kelvanter
