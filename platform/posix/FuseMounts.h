#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// What a FUSE mount of a local disk (ntfs-3g, exfat-fuse) holds, and how a file on it is read as
// the device holds it: FUSE passes no FIEMAP and no direct read to the device, but a driver of a
// block device answers FIBMAP, and the device itself can be read.
namespace kelvanter::posix {

inline constexpr std::uint32_t kFuseMagic = 0x65735546;

// The mount table's entry for the device `dev`: which folder of the file system is mounted where,
// its type, source and super-block options.
struct MountEntry {
    std::string root;
    std::string mountPoint;
    std::string type;
    std::string source;
    std::string options;
};
MountEntry mountEntryOf(dev_t dev);

// The mount table's fields escape blanks, tabs, newlines and backslashes as octal ("\040").
std::string unescapedMountField(const std::string& field);

// The file system on a local device or image file, as libblkid finds it (or, where this user may
// not read the device, as udev noted it); empty where there is none.
std::string localFileSystemOf(const std::string& source);

// The UUID of the file system on a local device, as libblkid reads it (or, where this user may not
// read the device, as udev noted it); empty where there is none.
std::string fileSystemUuidOf(const std::string& source);

// The block device under a fuseblk mount, where this process may read it and its driver maps a
// file's blocks on it (FIBMAP, which takes privilege); nothing otherwise.
std::optional<std::string> readableDeviceUnder(int file);

// Where the open file's blocks lie on the device under its fuseblk mount, from FIBMAP; a block of
// data that maps nowhere lies inside the file system's own records (an NTFS file in its MFT record).
SysResult<std::vector<Extent>> blockMapOf(int file);

// Reads `size` bytes of the open file at `offset` from `device` itself, where FIBMAP places them,
// past every cache: the device is flushed first. The bytes read, fewer only at the file's end.
SysResult<std::int64_t> readMappedFromDevice(int file, const std::string& device, std::int64_t offset, void* buffer,
                                             std::size_t size);

} // namespace kelvanter::posix
