#include "platform/StorageAnswers.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

using namespace storageAnswers;

// IOCTL_STORAGE_QUERY_PROPERTY's answers, as Windows (or Wine) gives them.
TEST(StorageAnswers, WindowsDeviceAnswersDecideFlash) {
    struct Case {
        const char* name;
        std::optional<bool> seekPenalty;
        std::optional<int> bus;
        bool removable, wine;
        MediaKind media;
    };
    const int kBusSata = 0x0B;
    for (const Case& c : {Case{"SATA SSD", false, kBusSata, false, false, MediaKind::Flash},
                          Case{"SATA disk", true, kBusSata, false, false, MediaKind::Rotating},
                          Case{"USB disk with a seek penalty", true, kBusUsb, false, false, MediaKind::Flash},
                          Case{"SD card", std::nullopt, kBusSd, false, false, MediaKind::Flash},
                          Case{"NVMe", std::nullopt, kBusNvme, false, false, MediaKind::Flash},
                          Case{"removable", true, kBusSata, true, false, MediaKind::Flash},
                          Case{"no answers", std::nullopt, std::nullopt, false, false, MediaKind::Unknown},
                          Case{"Wine's made-up SCSI disk", false, 0x01, false, true, MediaKind::Unknown}})
        EXPECT_EQ(mediaFromWindows(c.seekPenalty, c.bus, c.removable, c.wine), c.media) << c.name;
}

TEST(StorageAnswers, WindowsCloudFilesAttributesAndSyncRootsNameTheService) {
    EXPECT_EQ(syncProviderFromWindows(0x20, std::nullopt), std::nullopt);
    EXPECT_EQ(syncProviderFromWindows(0x20, std::string("OneDrive")), "OneDrive");
    EXPECT_EQ(syncProviderFromWindows(0x20, std::string()), "") << "a sync root whose provider gives no name";
    for (std::uint32_t attribute : {kAttrOffline, kAttrPinned, kAttrUnpinned, kAttrRecallOnDataAccess})
        EXPECT_EQ(syncProviderFromWindows(0x20 | attribute, std::nullopt), "") << attribute;
    EXPECT_EQ(syncProviderFromWindows(kAttrQueryFailed, std::nullopt), std::nullopt) << "a failed query shows nothing";
}

TEST(StorageAnswers, MarkersInAFolderNameTheService) {
    struct Case {
        std::vector<std::string> names;
        std::string provider;
    };
    for (const Case& c :
         {Case{{"brief.txt", ".sync_4f2a.db"}, "Nextcloud"}, Case{{"._sync_ab12.db"}, "Nextcloud"},
          Case{{".dropbox.cache"}, "Dropbox"}, Case{{".dropbox"}, "Dropbox"}, Case{{".stfolder", "a"}, "Syncthing"},
          Case{{".sync_.dbx", "sync_x.db", ".stversions"}, ""}, Case{{}, ""}})
        EXPECT_EQ(syncProviderFromEntries(c.names), c.provider) << (c.names.empty() ? "" : c.names.front());
}

// A FUSE mount of a local disk is that disk's file system; only one without a local source is remote.
TEST(StorageAnswers, FuseMountsOfLocalDisksAreTheirFileSystems) {
    struct Case {
        const char* type;
        const char* local;
        std::string name;
        StorageKind kind;
        DeletedNames names;
    };
    for (const Case& c : {Case{"fuseblk", "ntfs", "ntfs", StorageKind::InPlace, DeletedNames::NtfsIndex},
                          Case{"fuse", "ntfs", "ntfs", StorageKind::InPlace, DeletedNames::NtfsIndex},
                          Case{"fuseblk", "exfat", "exfat", StorageKind::InPlace, DeletedNames::ExfatEntries},
                          Case{"fuseblk", "vfat", "vfat", StorageKind::InPlace, DeletedNames::FatSlots},
                          Case{"fuseblk", "crypto_LUKS", "crypto_LUKS", StorageKind::Unknown, DeletedNames::Reused},
                          Case{"fuse.sshfs", "", "sshfs", StorageKind::Remote, DeletedNames::Reused},
                          Case{"fuse.rclone", "", "rclone", StorageKind::Remote, DeletedNames::Reused},
                          Case{"fuse", "", "fuse", StorageKind::Remote, DeletedNames::Reused}}) {
        const FuseFileSystem found = fuseFileSystem(c.type, c.local);
        EXPECT_EQ(found.name, c.name) << c.type << " " << c.local;
        EXPECT_EQ(found.kind, c.kind) << c.type << " " << c.local;
        EXPECT_EQ(found.deletedNames, c.names) << c.type << " " << c.local;
    }
}

// Windows names its file systems itself; Wine calls every disk NTFS, which it is not.
TEST(StorageAnswers, WindowsFileSystemsSayWhereTheyKeepNames) {
    struct Case {
        const char* fileSystem;
        bool wine;
        DeletedNames names;
        bool inLog;
    };
    for (const Case& c :
         {Case{"FAT32", false, DeletedNames::FatSlots, false}, Case{"FAT", false, DeletedNames::FatSlots, false},
          Case{"exFAT", false, DeletedNames::ExfatEntries, false}, Case{"NTFS", false, DeletedNames::NtfsIndex, true},
          Case{"NTFS", true, DeletedNames::Reused, false}, Case{"ReFS", false, DeletedNames::Reused, false}}) {
        const WindowsNames found = namesFromWindows(c.fileSystem, c.wine);
        EXPECT_EQ(found.deletedNames, c.names) << c.fileSystem << (c.wine ? " under Wine" : "");
        EXPECT_EQ(found.inSystemLog, c.inLog) << c.fileSystem << (c.wine ? " under Wine" : "");
    }
}

} // namespace
} // namespace kelvanter::testing
