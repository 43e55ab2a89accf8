#pragma once

#include "platform/FileServices.h"

#include <optional>
#include <string>
#include <vector>

// What the systems' answers about a file's device and folder mean, decided apart from the calls
// that fetch them, so that every answer can be tested on every system.
namespace kelvanter::storageAnswers {

// Windows' storage bus types that are flash whatever the device says of its seek penalty.
inline constexpr int kBusUsb = 0x07;
inline constexpr int kBusSd = 0x0C;
inline constexpr int kBusMmc = 0x0D;
inline constexpr int kBusNvme = 0x11;

// From IOCTL_STORAGE_QUERY_PROPERTY: the seek penalty, the bus type and the removable flag, each
// where the device answered. Wine makes these answers up, so there they say nothing.
MediaKind mediaFromWindows(std::optional<bool> seekPenalty, std::optional<int> busType, bool removable, bool underWine);

// Windows' attributes of a file that a cloud-files provider manages.
inline constexpr std::uint32_t kAttrOffline = 0x1000;
inline constexpr std::uint32_t kAttrPinned = 0x80000;
inline constexpr std::uint32_t kAttrUnpinned = 0x100000;
inline constexpr std::uint32_t kAttrRecallOnDataAccess = 0x400000;

// The service that mirrors the file elsewhere: the sync root's provider where there is one, else an
// empty name where only the attributes show one; nothing where nothing does.
std::optional<std::string> syncProviderFromWindows(std::uint32_t attributes,
                                                   const std::optional<std::string>& rootProvider);

// The service whose marker is among a folder's entries (Nextcloud's and ownCloud's ".sync_*.db",
// Dropbox's ".dropbox.cache" and ".dropbox", Syncthing's ".stfolder"); empty where none is.
std::string syncProviderFromEntries(const std::vector<std::string>& names);

// How a file system of this name, as Linux names it ("vfat", "exfat", "ntfs3", or "ntfs" as
// libblkid names what ntfs-3g serves), keeps a deleted file's name.
DeletedNames deletedNamesOf(const std::string& fileSystem);

// What a FUSE mount holds, from the mount table's type ("fuseblk", "fuse", "fuse.sshfs") and the
// file system found on its source where that is a local device or image file ("ntfs"; empty
// where there is none).
struct FuseFileSystem {
    std::string name; // the local file system's, else the FUSE driver's
    StorageKind kind;
    DeletedNames deletedNames;
};
FuseFileSystem fuseFileSystem(const std::string& mountType, const std::string& localType);

// What Windows keeps of a deleted file's name on a volume of this file system ("FAT32", "exFAT",
// "NTFS"): in its folder, and in NTFS's log and change journal. Wine calls every disk NTFS.
struct WindowsNames {
    DeletedNames deletedNames = DeletedNames::Reused;
    bool inSystemLog = false;
};
WindowsNames namesFromWindows(const std::string& fileSystem, bool underWine);

} // namespace kelvanter::storageAnswers
