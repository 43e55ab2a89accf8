#pragma once

#include "core/FreeSpace.h"

#include <cstdint>
#include <string>
#include <vector>

// The German texts of the free-space window, each in one place.
namespace kelvanter::freeSpaceTexts {

inline constexpr const char* kFolderDialogTitle = "Ordner wählen";
std::string confirmation(const std::string& folder);
std::string fileSystemCaption(const std::string& fileSystem, std::int64_t freeBytes);
std::string result(const FillReport& report, const std::string& folder);
std::string megabytes(std::int64_t bytes);
// The fill folders that killed runs had left, and that a start has removed.
std::string killedFillsRemoved(const std::vector<std::string>& folders);
// The fill folders that killed runs left on a disk that is not there now.
std::string killedFillsWaiting(const std::vector<std::string>& folders);

} // namespace kelvanter::freeSpaceTexts
