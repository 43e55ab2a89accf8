#include "core/OverwriteProof.h"
#include "support/CoreFixture.h"

#include <functional>

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
    Doubts doubts;
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
        facts.synchronised = *sync != '\0';
        return SysResult<StorageFacts>{facts, 0};
    };
    const Doubt flash{DoubtKind::Flash};
    const Doubt unknown{DoubtKind::LocationUnknown};
    const Doubt btrfs{DoubtKind::WritesElsewhere, "btrfs"};
    const Doubt shared{DoubtKind::SharedBlocks};
    const std::vector<DoubtCase> cases = {
        {"ext4", fs("ext4", StorageKind::InPlace), kPlainExtent, {}},
        {"vfat without extents", fs("vfat", StorageKind::InPlace), kNoExtents, {}},
        {"tmpfs", fs("tmpfs", StorageKind::MemoryOnly), kNoExtents, {}},
        {"data=journal", fs("ext4", StorageKind::InPlace, true), kPlainExtent, {{DoubtKind::JournalsContents}}},
        {"btrfs", fs("btrfs", StorageKind::CopyOnWrite), kPlainExtent, {btrfs}},
        {"btrfs nocow", fs("btrfs", StorageKind::CopyOnWrite, false, true), kPlainExtent, {}},
        {"btrfs nocow, snapshot",
         fs("btrfs", StorageKind::CopyOnWrite, false, true),
         extentWith(kExtentShared),
         {shared}},
        {"btrfs nocow, no extents", fs("btrfs", StorageKind::CopyOnWrite, false, true), kNoExtents, {btrfs}},
        {"reflinked on xfs", fs("xfs", StorageKind::InPlace), extentWith(kExtentShared), {shared}},
        {"compressed", fs("ext4", StorageKind::InPlace), extentWith(kExtentEncoded), {{DoubtKind::Compressed}}},
        {"inline", fs("ext4", StorageKind::InPlace), extentWith(kExtentInline), {unknown}},
        {"nfs", fs("nfs4", StorageKind::Remote), kNoExtents, {{DoubtKind::NetworkOrOverlay, "nfs4"}}},
        {"overlay", fs("overlay", StorageKind::Remote), kPlainExtent, {{DoubtKind::NetworkOrOverlay, "overlay"}}},
        {"unknown kind", fs("sonderfs", StorageKind::Unknown), kPlainExtent, {unknown}},
        {"statfs failed", SysResult<StorageFacts>{StorageFacts{}, EIO}, kPlainExtent, {unknown}},
        {"magnetic disk", fs("ext4", StorageKind::InPlace, false, false, MediaKind::Rotating), kPlainExtent, {}},
        {"flash", fs("ext4", StorageKind::InPlace, false, false, MediaKind::Flash), kPlainExtent, {flash}},
        {"flash under dm-crypt",
         fs("ext4", StorageKind::InPlace, false, false, MediaKind::Flash, true),
         kPlainExtent,
         {{DoubtKind::Flash, "", true}}},
        {"synchronised folder",
         fs("ext4", StorageKind::InPlace, false, false, MediaKind::Rotating, false, "Dropbox"),
         kPlainExtent,
         {{DoubtKind::SyncedFolder, "Dropbox"}}},
        {"btrfs on flash in a synchronised folder",
         fs("btrfs", StorageKind::CopyOnWrite, false, false, MediaKind::Flash, false, "Syncthing"),
         kPlainExtent,
         {btrfs, flash, {DoubtKind::SyncedFolder, "Syncthing"}}},
    };
    for (const DoubtCase& c : cases)
        EXPECT_EQ(doubtsFrom(StorageView{c.facts, c.extents, false}), c.doubts) << c.name;
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
        DoubtKind reason;
        std::function<void(InstrumentedFileServices&)> inject;
    };
    const std::vector<Fault> faults = {{DoubtKind::ReadBackDiffers,
                                        [](InstrumentedFileServices& f) {
                                            f.alterReadBack = [](std::int64_t, unsigned char* bytes, std::size_t size) {
                                                bytes[size / 2] = 7;
                                            };
                                        }},
                                       {DoubtKind::BlocksMoved, [](InstrumentedFileServices& f) {
                                            // Whatever this system reports: one stretch before the passes, elsewhere
                                            // after them.
                                            f.alterExtents = [](int query, auto& extents) {
                                                extents = {{{0, query > 1 ? 1 << 30 : 1 << 20, 1 << 17, 0}}, 0};
                                            };
                                        }}};
    for (const Fault& fault : faults) {
        InstrumentedFileServices faulty;
        fault.inject(faulty);
        RecordingDisplay shown;
        const std::string path = writeSample(folder.file("f"), 100000);
        ByteCounters counts;
        EXPECT_EQ(vesk(CoreContext{shown, faulty, clock}, counts, path), Verdict::DeletedUnproven);
        const std::vector<RunReport> expected = {{RunNotice::DeletedUnproven, path, 0, {{fault.reason}}}};
        EXPECT_EQ(shown.reports, expected);
        EXPECT_FALSE(shown.successVisible);
        EXPECT_EQ(shown.background, kBarColor) << "the bar stays full";
        EXPECT_EQ(shown.percentCaption, "100 %");
        EXPECT_FALSE(entryExists(path)) << "the file is still cut, renamed and deleted";
    }
}

TEST_F(OverwriteProofRun, OnThisDiskBothModesAreProvenAndCalledDestroyed) {
    for (const bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 2 << 20);
        auto target = DestructionTarget::lookUp(files, path);
        ASSERT_TRUE(target.has_value());
        if (!doubtsFrom(target->storage).empty())
            GTEST_SKIP() << "the temporary folder's file system cannot be proven here";
        display.reports.clear();
        display.successVisible = false;
        destroy(std::move(*target), intensive);
        EXPECT_TRUE(display.reports.empty()) << intensive;
        EXPECT_TRUE(display.successVisible) << intensive;
    }
}

} // namespace
} // namespace kelvanter::testing
