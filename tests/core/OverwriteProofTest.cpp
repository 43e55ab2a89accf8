#include "core/OverwriteProof.h"
#include "support/CoreFixture.h"

namespace kelvanter::testing {
namespace {

using Extents = SysResult<std::vector<Extent>>;
const Extents kNoExtents{{}, EOPNOTSUPP};
const Extents kPlainExtent{{{0, 1 << 20, 8192, 0}}, 0};

Extents extentWith(std::uint32_t flags) {
    return {{{0, 1 << 20, 8192, flags}}, 0};
}

struct DoubtCase {
    const char* name;
    SysResult<StorageFacts> facts;
    Extents extents;
    std::optional<std::string> doubt;
};

TEST(InPlaceDoubt, FollowsFromTheFileSystemItsOptionsFlagsAndExtents) {
    const auto fs = [](const char* name, StorageKind kind, bool journal = false, bool noCow = false,
                       MediaKind media = MediaKind::Unknown, bool encrypted = false, const char* sync = "") {
        StorageFacts facts;
        facts.fileSystem = name;
        facts.kind = kind;
        facts.journalsData = journal;
        facts.noCopyOnWrite = noCow;
        facts.media = media;
        facts.encryptedBelow = encrypted;
        facts.syncProvider = sync;
        return SysResult<StorageFacts>{facts, 0};
    };
    const std::string flash = proofReasons::onFlash(false);
    const std::vector<DoubtCase> cases = {
        {"ext4", fs("ext4", StorageKind::InPlace), kPlainExtent, std::nullopt},
        {"vfat without extents", fs("vfat", StorageKind::InPlace), kNoExtents, std::nullopt},
        {"tmpfs", fs("tmpfs", StorageKind::MemoryOnly), kNoExtents, std::nullopt},
        {"data=journal", fs("ext4", StorageKind::InPlace, true), kPlainExtent, proofReasons::kJournalsContents},
        {"btrfs", fs("btrfs", StorageKind::CopyOnWrite), kPlainExtent, proofReasons::writesElsewhere("btrfs")},
        {"btrfs nocow", fs("btrfs", StorageKind::CopyOnWrite, false, true), kPlainExtent, std::nullopt},
        {"btrfs nocow, snapshot", fs("btrfs", StorageKind::CopyOnWrite, false, true), extentWith(kExtentShared),
         proofReasons::kSharedBlocks},
        {"btrfs nocow, no extents", fs("btrfs", StorageKind::CopyOnWrite, false, true), kNoExtents,
         proofReasons::writesElsewhere("btrfs")},
        {"reflinked on xfs", fs("xfs", StorageKind::InPlace), extentWith(kExtentShared), proofReasons::kSharedBlocks},
        {"compressed", fs("ext4", StorageKind::InPlace), extentWith(kExtentEncoded), proofReasons::kCompressed},
        {"inline", fs("ext4", StorageKind::InPlace), extentWith(kExtentInline), proofReasons::kLocationUnknown},
        {"nfs", fs("nfs4", StorageKind::Remote), kNoExtents, proofReasons::onNetworkOrOverlay("nfs4")},
        {"overlay", fs("overlay", StorageKind::Remote), kPlainExtent, proofReasons::onNetworkOrOverlay("overlay")},
        {"unknown kind", fs("sonderfs", StorageKind::Unknown), kPlainExtent, proofReasons::kLocationUnknown},
        {"statfs failed", SysResult<StorageFacts>{StorageFacts{}, EIO}, kPlainExtent, proofReasons::kLocationUnknown},
        {"magnetic disk", fs("ext4", StorageKind::InPlace, false, false, MediaKind::Rotating), kPlainExtent,
         std::nullopt},
        {"flash", fs("ext4", StorageKind::InPlace, false, false, MediaKind::Flash), kPlainExtent, flash},
        {"flash under dm-crypt", fs("ext4", StorageKind::InPlace, false, false, MediaKind::Flash, true), kPlainExtent,
         proofReasons::onFlash(true)},
        {"synchronised folder", fs("ext4", StorageKind::InPlace, false, false, MediaKind::Rotating, false, "Dropbox"),
         kPlainExtent, proofReasons::inSyncedFolder("Dropbox")},
        {"btrfs on flash in a synchronised folder",
         fs("btrfs", StorageKind::CopyOnWrite, false, false, MediaKind::Flash, false, "Syncthing"), kPlainExtent,
         proofReasons::writesElsewhere("btrfs") + ", und " + flash + ", und " +
             proofReasons::inSyncedFolder("Syncthing")},
    };
    for (const DoubtCase& c : cases)
        EXPECT_EQ(doubtFrom(c.facts, c.extents), c.doubt) << c.name;
}

TEST(InPlaceDoubt, ReasonsCompleteTheSentenceWithTheFileSystemsName) {
    EXPECT_EQ(proofReasons::writesElsewhere("btrfs"),
              "das Dateisystem btrfs schreibt geänderte Daten an eine neue Stelle");
    EXPECT_EQ(proofReasons::onNetworkOrOverlay("cifs"), "sie liegt auf einem Netz- oder Overlay-Dateisystem (cifs)");
    EXPECT_EQ(proofReasons::onFlash(false),
              "sie liegt auf einem Flash-Datenträger (SSD, USB-Stick oder Speicherkarte), "
              "der geänderte Daten an neue Stellen schreibt und alte Kopien "
              "zurückbehalten kann");
    EXPECT_EQ(proofReasons::inSyncedFolder("Nextcloud"),
              "sie liegt in einem Ordner, den Nextcloud mit anderen Rechnern oder einem Server abgleicht; dort können "
              "Kopien, frühere Fassungen und ein Papierkorb erhalten bleiben");
}

TEST(StillInPlace, OnlyTheOriginalBytesMustKeepTheirPlace) {
    const std::vector<Extent> before = {{0, 40960, 8192, 0}, {8192, 90112, 4096, 0}};
    // Merged, lengthened, or with the tail past the original length moved: still in place.
    EXPECT_TRUE(stillInPlace(before, {{0, 40960, 8192, 0}, {8192, 90112, 16384, 0}}, 10000));
    EXPECT_TRUE(stillInPlace({{0, 40960, 16384, 0}}, {{0, 40960, 8192, 0}, {8192, 1 << 30, 8192, 0}}, 8192));
    // A hole before the passes has no old data; the blocks it gets are new.
    EXPECT_TRUE(stillInPlace({{8192, 90112, 4096, 0}}, {{0, 4096, 8192, 0}, {8192, 90112, 4096, 0}}, 12288));
    EXPECT_FALSE(stillInPlace(before, {{0, 40960, 8192, 0}, {8192, 999424, 4096, 0}}, 12288));
    EXPECT_FALSE(stillInPlace(before, {{0, 40960, 4096, 0}}, 12288)) << "part of it no longer mapped";
    EXPECT_FALSE(stillInPlace(before, {}, 12288));
}

TEST(ReadBack, ReadsEveryBlockUpToOneMebibyteElse256SpreadEvenly) {
    EXPECT_EQ(readBackOffsets(12288, 4096), (std::vector<std::int64_t>{0, 4096, 8192}));
    EXPECT_EQ(readBackOffsets(1 << 20, 4096).size(), 256u);
    const auto spread = readBackOffsets(1001 * 4096, 4096);
    ASSERT_EQ(spread.size(), 256u);
    EXPECT_EQ(spread.front(), 0);
    EXPECT_EQ(spread.back(), 1000 * 4096);
    EXPECT_TRUE(std::adjacent_find(spread.begin(), spread.end(), std::greater_equal<>()) == spread.end());
}

using OverwriteProofRun = CoreFixture;

// The device seems not to hold what was written: the file still goes, but it is not called destroyed.
TEST_F(OverwriteProofRun, AReadBackOfOtherBytesOrMovedBlocksGiveTheBoxInsteadOfTheLabel) {
    struct Fault {
        const char* reason;
        std::function<void(InstrumentedFileServices&)> inject;
    };
    const std::vector<Fault> faults = {
        {proofReasons::kReadBackDiffers,
         [](InstrumentedFileServices& f) { f.alterReadBack = [](auto& bytes) { bytes.at(bytes.size() / 2) = 7; }; }},
        {proofReasons::kBlocksMoved, [](InstrumentedFileServices& f) {
             // Whatever this system reports: one stretch before the passes, elsewhere after them.
             f.alterExtents = [](int query, auto& extents) {
                 extents = {{{0, query > 1 ? 1 << 30 : 1 << 20, 1 << 17, 0}}, 0};
             };
         }}};
    for (const Fault& fault : faults) {
        InstrumentedFileServices faulty;
        fault.inject(faulty);
        RecordingDisplay shown;
        shown.path = writeSample(folder.file("f"), 100000);
        ByteCounters counts;
        EXPECT_EQ(vesk(CoreContext{shown, faulty, clock}, counts, shown.path), Verdict::DeletedUnproven);
        ASSERT_EQ(shown.boxes.size(), 1u) << fault.reason;
        EXPECT_EQ(shown.boxes[0].text, kUnprovenHead + shown.path + kUnprovenMiddle + fault.reason + kUnprovenTail);
        EXPECT_EQ(shown.boxes[0].style, kStyleWarning);
        EXPECT_EQ(shown.boxes[0].title, kMessageTitle);
        EXPECT_FALSE(shown.successVisible);
        EXPECT_EQ(shown.background, kBarColor) << "the bar stays full";
        EXPECT_EQ(shown.percentCaption, "100 %");
        EXPECT_FALSE(entryExists(shown.path)) << "the file is still cut, renamed and deleted";
    }
}

TEST_F(OverwriteProofRun, OnThisDiskBothModesAreProvenAndCalledDestroyed) {
    for (const bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 2 << 20);
        if (const auto doubt = InPlaceOverwriteDoubt(files, path, files.inspect(path).value.identity))
            GTEST_SKIP() << "the temporary folder's file system cannot be proven: " << *doubt;
        display.boxes.clear();
        display.successVisible = false;
        destroy(path, intensive);
        EXPECT_TRUE(display.boxes.empty()) << intensive;
        EXPECT_TRUE(display.successVisible) << intensive;
    }
}

} // namespace
} // namespace kelvanter::testing
