#pragma once

#include "platform/FileServices.h"

#include <cstdint>
#include <string>
#include <vector>

// What an NTFS device holds of a folder's index, read past ntfs-3g from the device itself: the
// folder's MFT records (its index root, and the record's slack) and every block of its index
// allocation, each as the device holds it, fixups applied.
namespace kelvanter::posix {

// Whether any of `runs` (byte strings, UTF-16LE names) stands in the index of the folder whose
// MFT record number is `record` on the NTFS device; EIO or EINVAL where the device cannot be read
// or is no NTFS that this reader follows.
SysResult<bool> ntfsFolderIndexHolds(const std::string& device, std::uint64_t record,
                                     const std::vector<std::string>& runs);

} // namespace kelvanter::posix
