#include "core/OverwriteProof.h"
#include "core/AlignedBytes.h"
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
        {"inline, as NTFS keeps a small file in its record",
         fs("ntfs", StorageKind::InPlace),
         extentWith(kExtentInline),
         {{DoubtKind::InsideRecord}}},
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
        EXPECT_EQ(doubtsFrom(StorageView{c.facts, c.extents, Holders::None}), c.doubts) << c.name;
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
        EXPECT_EQ(vesk(CoreContext{shown, shown, faulty, process, clock}, counts, path, shown.modes()),
                  Verdict::DeletedUnproven);
        const std::vector<RunReport> expected = {{RunNotice::DeletedUnproven, path, 0, {{fault.reason}}}};
        EXPECT_EQ(shown.reports, expected);
        EXPECT_FALSE(shown.successVisible);
        EXPECT_EQ(shown.background, kBarColor) << "the bar stays full";
        EXPECT_EQ(shown.percentCaption, "100 %");
        EXPECT_FALSE(entryExists(path)) << "the file is still cut, renamed and deleted";
    }
}

// A failing or counterfeit device reports writes done that it dropped. However few blocks it
// drops, and wherever, the read-back finds them, and the success label stays hidden.
TEST_F(OverwriteProofRun, ADeviceThatDropsTheWritesOfAnyBlocksIsNeverCalledDestroyed) {
    constexpr std::size_t kLength = 8 << 20; // 2048 blocks; 2049 written by a normal pass
    struct Case {
        const char* where;
        std::int64_t first, count;
        bool intensive;
    };
    const Case cases[] = {
        {"the gap between two of 256 evenly spread samples", 804, 7, false},
        {"the same gap, intensive", 804, 7, true},
        {"one block amid the file", 1234, 1, false},
        {"one block, intensive", 1234, 1, true},
        {"the first block", 0, 1, false},
        {"the file's last block", 2047, 1, false},
        {"a thousand blocks", 500, 1001, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        InstrumentedFileServices faulty;
        faulty.droppedBlocks = {c.first, c.count};
        std::vector<unsigned char> beforeCut;
        const std::string path = writeSample(folder.file("f"), kLength);
        faulty.beforeCut = [&] { beforeCut = readBytes(path); };
        RecordingDisplay shown;
        shown.selectMode(c.intensive);
        ByteCounters counts;

        EXPECT_EQ(vesk(CoreContext{shown, shown, faulty, process, clock}, counts, path, shown.modes()),
                  Verdict::DeletedUnproven);

        EXPECT_EQ(shown.reports,
                  (std::vector<RunReport>{{RunNotice::DeletedUnproven, path, 0, {{DoubtKind::ReadBackDiffers}}}}));
        EXPECT_FALSE(shown.successVisible);
        EXPECT_FALSE(entryExists(path)) << "the file still goes";
        // The premise: the dropped blocks still held the file's own bytes when it was cut.
        const std::vector<unsigned char> sample = sampleBytes(kLength);
        ASSERT_GE(beforeCut.size(), kLength);
        const auto from = static_cast<std::size_t>(c.first) * 4096;
        EXPECT_TRUE(std::equal(beforeCut.begin() + from, beforeCut.begin() + from + 4096, sample.begin() + from));
    }
}

// What the file system gives back short, or not at all, is no proof either.
TEST_F(OverwriteProofRun, AShortOrFailedReadBackIsNoProof) {
    const std::string path = writeSample(folder.file("f"), 3 << 20);
    for (const int fault : {0, EIO}) {
        writeSample(path, 3 << 20);
        InstrumentedFileServices faulty;
        faulty.failReadBackAt = 3;
        faulty.failReadBackWith = fault;
        RecordingDisplay shown;
        ByteCounters counts;
        EXPECT_EQ(vesk(CoreContext{shown, shown, faulty, process, clock}, counts, path, shown.modes()),
                  Verdict::DeletedUnproven)
            << fault;
        EXPECT_EQ(shown.reports.at(0).doubts, (Doubts{{DoubtKind::ReadBackDiffers}})) << fault;
    }
}

// Where the device serves reads beside writes, the last pass is read back window by window while
// it is written, each window once its flush has returned, so that no read comes from the device's
// volatile cache. A block dropped or a read failed in any window, or in the tail read after the
// pass, is no proof.
TEST_F(OverwriteProofRun, AlongsideThePassEachWindowIsReadBackAfterItsFlush) {
    constexpr std::int64_t kWindow = ReadBackWindows::kWindowBytes / 4096;
    constexpr std::size_t kLength = 3 * ReadBackWindows::kWindowBytes + (2 << 20);
    struct Case {
        const char* where;
        std::int64_t droppedBlock; // none below 0
        int failedRead;            // the Nth read from the device; none at 0
    };
    const Case cases[] = {{"no fault", -1, 0},
                          {"a block dropped in the first window", 10, 0},
                          {"in a middle window", kWindow + 5, 0},
                          {"in the last window", 2 * kWindow + 100, 0},
                          {"in the tail read after the pass", 3 * kWindow + 10, 0},
                          {"the first window's read fails", -1, 1},
                          {"the second's", -1, 2},
                          {"the third's", -1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        InstrumentedFileServices faulty;
        faulty.media = MediaKind::Unknown;
        if (c.droppedBlock >= 0)
            faulty.droppedBlocks = {c.droppedBlock, 1};
        faulty.failReadBackAt = c.failedRead;
        faulty.failReadBackWith = EIO;
        const std::string path = writeSample(folder.file("f"), kLength);
        auto target = DestructionTarget::lookUp(faulty, process, path);
        ASSERT_TRUE(target.has_value());
        if (!doubtsFrom(target->storage).empty())
            GTEST_SKIP() << "the temporary folder's file system cannot be proven here";
        RecordingDisplay shown;
        ByteCounters counts;
        const bool fault = c.droppedBlock >= 0 || c.failedRead > 0;
        EXPECT_EQ(vesk(CoreContext{shown, shown, faulty, process, clock}, counts, std::move(*target), shown.modes()),
                  fault ? Verdict::DeletedUnproven : Verdict::Destroyed);
        if (fault) {
            EXPECT_EQ(shown.reports.at(0).doubts, (Doubts{{DoubtKind::ReadBackDiffers}}));
        }
        std::int64_t flushedEnd = 0;
        int readsBeforeTheLastFlush = 0;
        for (const auto& step : faulty.deviceSteps) {
            if (step.kind == InstrumentedFileServices::DeviceStep::Kind::Flush)
                flushedEnd = step.end;
            else
                EXPECT_LE(step.end, flushedEnd) << "a read past what was flushed";
        }
        for (const auto& step : faulty.deviceSteps) {
            if (step.kind == InstrumentedFileServices::DeviceStep::Kind::Flush && step.end == flushedEnd)
                break;
            readsBeforeTheLastFlush += step.kind == InstrumentedFileServices::DeviceStep::Kind::Read;
        }
        EXPECT_GE(readsBeforeTheLastFlush, fault ? 1 : 3) << "windows read while the pass went on";
    }
}

// A read started to run beside the writes gives what a read from the device gives: the bytes at
// its place, fewer at the file's end.
TEST_F(OverwriteProofRun, AReadBesideTheWritesReadsWhatTheDeviceHolds) {
    constexpr std::size_t kLength = 300000;
    const std::string path = writeSample(folder.file("f"), kLength);
    PlatformFileServices platform; // the test double reads at once
    const auto pinned = platform.pin(path);
    ASSERT_TRUE(pinned.ok());
    const auto opened = platform.openForOverwrite(path, pinned.value.status.identity);
    ASSERT_TRUE(opened.ok());
    const std::vector<unsigned char> sample = sampleBytes(kLength);
    const AlignedBytes buffer = alignedBytes(1 << 16);
    for (const std::int64_t offset : {std::int64_t{0}, std::int64_t{12288}, std::int64_t{4096 * 70}}) {
        DeviceRead read = platform.startDeviceRead(opened.value.handle, offset, buffer.get(), 1 << 16);
        const auto got = platform.awaitDeviceRead(read);
        const auto expected = std::min<std::int64_t>(1 << 16, static_cast<std::int64_t>(kLength) - offset);
        ASSERT_TRUE(got.ok()) << offset;
        ASSERT_EQ(got.value, expected) << offset;
        EXPECT_TRUE(std::equal(buffer.get(), buffer.get() + expected, sample.begin() + offset)) << offset;
    }
    platform.close(opened.value.handle);
    platform.unpin(pinned.value.handle);
}

TEST_F(OverwriteProofRun, OnThisDiskBothModesAreProvenAndCalledDestroyed) {
    for (const bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 2 << 20);
        auto target = DestructionTarget::lookUp(files, process, path);
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
