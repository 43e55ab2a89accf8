#pragma once

#include "platform/FileServices.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kelvanter::posix {

// The statfs magic numbers of the file systems more than one part of this program asks after.
inline constexpr std::uint32_t kExt4Magic = 0xEF53;
inline constexpr std::uint32_t kXfsMagic = 0x58465342;
inline constexpr std::uint32_t kBtrfsMagic = 0x9123683E;

// A device's numbers as sysfs names them: "8:1".
std::string majorMinor(dev_t device);
// The first line of a small text file (a sysfs or proc entry); empty where it cannot be read.
std::string firstLineOf(const std::string& file);

// What the block devices under a file system are, read from a sysfs tree (`sysfsRoot`, "/sys" on
// a real system, a folder of its own in tests). `majorMinors` are the devices the file system
// names ("8:1"); `deviceOfFile` gives the device that holds a loop device's backing file.
struct DeviceChain {
    MediaKind media = MediaKind::Unknown;
    bool encrypted = false; // a dm-crypt layer lies between the file system and the flash
};
DeviceChain deviceChainOf(const std::string& sysfsRoot, const std::vector<std::string>& majorMinors,
                          const std::function<std::optional<std::string>(const std::string& path)>& deviceOfFile);

} // namespace kelvanter::posix
