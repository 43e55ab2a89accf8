#pragma once

#include "platform/FileServices.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter::posix {

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
