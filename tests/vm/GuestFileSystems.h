#pragma once

#include "support/LoopImage.h"

#include <string>

namespace kelvanter::testing {

// A file system the guest's kernel drives: how to make it, check it and name it.
struct GuestFileSystem {
    const char* name;  // as the mount table names it
    const char* mkfs;  // the command, the image's path appended
    const char* fsck;  // a check that changes nothing, the image's path appended
    const char* image; // a size that each tool accepts
};

inline const GuestFileSystem kExt4{"ext4", "mkfs.ext4 -q -F", "fsck.ext4 -n -f", "24M"};
// FAT32 needs about 65,000 clusters: half-kilobyte clusters on 40 MiB.
inline const GuestFileSystem kFat32{"vfat", "mkfs.vfat -F 32 -s 1", "fsck.vfat -n", "40M"};
// FAT16, as on SD cards up to 2 GB.
inline const GuestFileSystem kFat16{"vfat", "mkfs.vfat -F 16", "fsck.vfat -n", "16M"};
inline const GuestFileSystem kExfat{"exfat", "mkfs.exfat", "fsck.exfat -n", "40M"};
inline const GuestFileSystem kF2fs{"f2fs", "mkfs.f2fs -q -f", "fsck.f2fs", "64M"};

// A fresh file system in the image file, of the given size or else the file system's own.
inline bool makeImage(const GuestFileSystem& system, const std::string& image, const char* size = nullptr) {
    return run("truncate -s " + std::string(size != nullptr ? size : system.image) + " " + image) &&
           run(std::string(system.mkfs) + " " + image);
}

// Lines of text with a mark and a number each, so that any line left on a device is found.
inline std::string markedLines(const std::string& mark, int lines) {
    std::string text;
    for (int line = 0; line < lines; ++line)
        text += mark + std::to_string(100000 + line) + " vertraulicher Inhalt\n";
    return text;
}

} // namespace kelvanter::testing
