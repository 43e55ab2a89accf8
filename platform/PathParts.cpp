#include "platform/PathParts.h"

namespace kelvanter::pathParts {

std::string folderOf(const std::string& path, const char* separators) {
    const auto last = path.find_last_of(separators);
    if (last == std::string::npos)
        return ".";
    const std::string folder = path.substr(0, last);
    // "/x" lies in "/", and "C:\x" in "C:\": without its separator "C:" would be the drive's current folder.
    if (folder.empty() || (folder.size() == 2 && folder[1] == ':'))
        return path.substr(0, last + 1);
    return folder;
}

std::string nameOf(const std::string& path, const char* separators) {
    const auto last = path.find_last_of(separators);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string joined(const std::string& folder, const std::string& name, const char* separators) {
    const bool ends = !folder.empty() && std::string(separators).find(folder.back()) != std::string::npos;
    return folder + (folder.empty() || ends ? "" : std::string(1, separators[0])) + name;
}

} // namespace kelvanter::pathParts
