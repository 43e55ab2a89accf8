#pragma once

#include <string>

// A path's folder and name, by the system's separators ("/" on POSIX, "\" and "/" on Windows).
namespace kelvanter::pathParts {

// The folder that holds the path's last part: "." for a bare name, the root for a file in it
// ("/", "C:\").
std::string folderOf(const std::string& path, const char* separators);

// The last part of the path.
std::string nameOf(const std::string& path, const char* separators);

// The name in the folder, with one separator between them.
std::string joined(const std::string& folder, const std::string& name, const char* separators);

} // namespace kelvanter::pathParts
