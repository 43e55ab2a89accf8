#include "platform/StorageAnswers.h"

#include <algorithm>
#include <iterator>

namespace kelvanter::storageAnswers {

namespace {

bool matches(const std::string& name, const std::string& prefix, const std::string& suffix) {
    return name.size() >= prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

MediaKind mediaFromWindows(std::optional<bool> seekPenalty, std::optional<int> busType, bool removable,
                           bool underWine) {
    if (underWine)
        return MediaKind::Unknown;
    const bool flashBus =
        busType && (*busType == kBusUsb || *busType == kBusSd || *busType == kBusMmc || *busType == kBusNvme);
    if ((seekPenalty && !*seekPenalty) || flashBus || removable)
        return MediaKind::Flash;
    return seekPenalty ? MediaKind::Rotating : MediaKind::Unknown;
}

std::optional<std::string> syncProviderFromWindows(std::uint32_t attributes,
                                                   const std::optional<std::string>& rootProvider) {
    if (rootProvider)
        return rootProvider;
    const std::uint32_t managed = kAttrOffline | kAttrPinned | kAttrUnpinned | kAttrRecallOnDataAccess;
    if ((attributes & managed) != 0 && attributes != kAttrQueryFailed)
        return std::string();
    return std::nullopt;
}

std::string syncProviderFromEntries(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (matches(name, ".sync_", ".db") || matches(name, "._sync_", ".db"))
            return "Nextcloud";
        if (name == ".dropbox.cache" || name == ".dropbox")
            return "Dropbox";
        if (name == ".stfolder")
            return "Syncthing";
    }
    return {};
}

DeletedNames deletedNamesOf(const std::string& fileSystem) {
    if (fileSystem == "vfat" || fileSystem == "msdos")
        return DeletedNames::FatSlots;
    if (fileSystem == "exfat")
        return DeletedNames::ExfatEntries;
    if (fileSystem == "ntfs" || fileSystem == "ntfs3")
        return DeletedNames::NtfsIndex;
    return DeletedNames::Reused;
}

FuseFileSystem fuseFileSystem(const std::string& mountType, const std::string& localType) {
    if (!localType.empty()) {
        // The drivers a FUSE mount of a local disk runs: ntfs-3g, exfat-fuse, fusefat, fuse2fs.
        static const char* const kInPlace[] = {"ntfs", "exfat", "vfat", "msdos", "ext2", "ext3", "ext4", "hfsplus"};
        const bool inPlace = std::find(std::begin(kInPlace), std::end(kInPlace), localType) != std::end(kInPlace);
        return {localType, inPlace ? StorageKind::InPlace : StorageKind::Unknown, deletedNamesOf(localType)};
    }
    // Over a network, a cloud or another file system: where the data lies is out of sight.
    const std::string driver = mountType.rfind("fuse.", 0) == 0 ? mountType.substr(5) : mountType;
    return {driver, StorageKind::Remote, DeletedNames::Reused};
}

WindowsNames namesFromWindows(const std::string& fileSystem, bool underWine) {
    if (fileSystem == "FAT" || fileSystem == "FAT32")
        return {DeletedNames::FatSlots, false};
    if (fileSystem == "exFAT")
        return {DeletedNames::ExfatEntries, false};
    if (fileSystem == "NTFS" && !underWine)
        return {DeletedNames::NtfsIndex, true};
    return {};
}

} // namespace kelvanter::storageAnswers
