// A USB stick that fails mid-run, through dm-flakey: its table is swapped under the mounted file
// system at a chosen step, so that from there on it fails every I/O, refuses writes, or drops
// them without a word. The program must never say "destroyed" then, must leave the file where the
// box says, touch nothing else, and leave the window usable.
#include "GuestDevices.h"
#include "GuestFileSystems.h"
#include "core/OverwritePasses.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <utility>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMark = "KELVANTER-MARKE-";

enum class Step { MidPass, MidThirdPass, AtTheCut, AtTheMoveAside };

struct Failure {
    const char* what;
    Step step;
    const char* features; // dm-flakey's, while it is down: none fails every I/O
    bool intensive;
    RunNotice notice;
};

class FailingDevice : public ::testing::TestWithParam<const GuestFileSystem*> {
protected:
    FailingDevice() { fs::create_directory(mountPoint); }

    std::string table(const std::string& target) const { return wholeTable(loop->path(), target); }
    std::string flakey(const char* features) const {
        return table("flakey " + loop->path() + " 0 0 1" + (*features ? std::string(" ") + features : ""));
    }

    // A fresh file system on a linear mapping, with a bystander and the file to destroy.
    void prepare(int fileLines, const char* size) {
        const GuestFileSystem& system = *GetParam();
        ASSERT_TRUE(makeImage(system, image, size));
        loop.emplace(image);
        ASSERT_TRUE(loop->attached());
        LoopDevice& device = *loop;
        {
            Mounted mounted(device.path(), mountPoint);
            ASSERT_TRUE(mounted.ok());
            writeSample(bystander(), 30000);
            std::ofstream(target(), std::ios::binary) << markedLines(kMark, fileLines);
        }
    }

    // Mounts the device again as it is now, as the user would after pulling and replugging it.
    void remountAsItIs() {
        ASSERT_TRUE(mapped->remove());
        if (std::string(GetParam()->name) == "vfat")
            run("fsck.vfat -a -w " + loop->path());
        Mounted again(loop->path(), mountPoint);
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(readBytes(bystander()), sampleBytes(30000)) << "the bystander is whole";
        leftAtPath = entryExists(target());
    }

    std::string target() const { return mountPoint + "/geheim.txt"; }
    std::string bystander() const { return mountPoint + "/nachbar.bin"; }

    TempFolder folder{"/tmp"};
    const std::string image = folder.file("stick.img");
    const std::string mountPoint = folder.file("mnt");
    std::optional<LoopDevice> loop;
    std::optional<MappedDevice> mapped;
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
    bool leftAtPath = false;
};

TEST_P(FailingDevice, ADeviceThatFailsMidRunNeverGetsTheWordDestroyed) {
    const Failure failures[] = {
        {"I/O errors from the middle of a pass", Step::MidPass, "", false, RunNotice::CannotWrite},
        {"refused writes from the middle of the third pass", Step::MidThirdPass, "1 error_writes", true,
         RunNotice::CannotWrite},
        {"dropped writes from the middle of a pass", Step::MidPass, "1 drop_writes", false, RunNotice::DeletedUnproven},
        {"dropped writes from the middle of the third pass", Step::MidThirdPass, "1 drop_writes", true,
         RunNotice::DeletedUnproven},
        {"I/O errors at the cut", Step::AtTheCut, "", false, RunNotice::NotDeleted},
        {"refused writes at the move into the private folder", Step::AtTheMoveAside, "1 error_writes", false,
         RunNotice::NotDeleted},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.what);
        loop.reset();
        prepare(110000, "48M"); // a 4 MiB file
        mapped.emplace("kelvanter-stick", table("linear " + loop->path() + " 0"));
        ASSERT_TRUE(mapped->made());
        {
            Mounted mounted(mapped->path(), mountPoint);
            ASSERT_TRUE(mounted.ok());
            InstrumentedFileServices files;
            bool failing = false;
            const auto fail = [&] {
                if (!std::exchange(failing, true)) {
                    ASSERT_TRUE(mapped->reload(flakey(failure.features)));
                }
            };
            const std::int64_t midway = failure.step == Step::MidThirdPass ? 2 * 1026 + 512 : 512;
            files.afterWrite = [&](std::int64_t blocks) {
                if ((failure.step == Step::MidPass || failure.step == Step::MidThirdPass) && blocks >= midway)
                    fail();
            };
            files.beforeCut = [&] {
                if (failure.step == Step::AtTheCut)
                    fail();
            };
            files.beforeRename = [&](const std::string&, const std::string&) {
                if (failure.step == Step::AtTheMoveAside)
                    fail();
            };
            RecordingDisplay display;
            display.selectMode(failure.intensive);
            ByteCounters counters;

            const Verdict verdict =
                vesk(CoreContext{display, display, files, process, clock}, counters, target(), display.modes());

            EXPECT_TRUE(failing) << "the device never failed";
            EXPECT_NE(verdict, Verdict::Destroyed);
            EXPECT_FALSE(display.successVisible);
            ASSERT_EQ(display.reports.size(), 1u);
            EXPECT_EQ(display.reports[0].notice, failure.notice);
            EXPECT_TRUE(display.enabled) << "the window takes input again";
            EXPECT_TRUE(files.openHandles().empty());
            ASSERT_TRUE(mapped->reload(table("linear " + loop->path() + " 0")));
            mounted.unmount();
        }
        remountAsItIs();
        std::cout << "failing device: " << GetParam()->name << ": " << failure.what << ": the box "
                  << noticeName(failure.notice) << (leftAtPath ? ", the file at its path" : ", the file gone")
                  << std::endl;
        // Where the box says the file is still there, it is.
        if (failure.notice == RunNotice::CannotWrite || failure.notice == RunNotice::NotDeleted) {
            EXPECT_TRUE(leftAtPath) << "the box names the file at its path";
        }
    }
}

// A stick that silently drops the writes of a few blocks amid a large file: a gap smaller than the
// spacing of any sampling. The read-back finds it in both modes, and what the gap kept is all that
// is left on the device.
TEST_P(FailingDevice, AFewDroppedBlocksAmidALargeFileAreFoundAndAreAllThatIsLeft) {
    constexpr int kLines = 560000; // about 20 MB
    constexpr std::int64_t kGapBytes = 18 * 4096;
    for (const bool intensive : {false, true}) {
        SCOPED_TRACE(intensive ? "intensive" : "normal");
        loop.reset();
        prepare(kLines, "48M");
        const std::string line = std::string(kMark) + std::to_string(100000 + kLines / 2);
        const auto found = offsetsOf(image, line);
        ASSERT_EQ(found.size(), 1u) << "the file's middle lies once on the device";
        const std::int64_t gap = found[0] / 4096 * 4096 / 512;
        const std::int64_t sectors = sectorsOf(loop->path());
        const std::int64_t gapSectors = kGapBytes / 512;
        const std::string& device = loop->path();
        const std::string tableText = "0 " + std::to_string(gap) + " linear " + device + " 0\n" + std::to_string(gap) +
                                      " " + std::to_string(gapSectors) + " flakey " + device + " " +
                                      std::to_string(gap) + " 0 1 1 drop_writes\n" + std::to_string(gap + gapSectors) +
                                      " " + std::to_string(sectors - gap - gapSectors) + " linear " + device + " " +
                                      std::to_string(gap + gapSectors);
        mapped.emplace("kelvanter-luecke", tableText);
        ASSERT_TRUE(mapped->made());
        {
            Mounted mounted(mapped->path(), mountPoint);
            ASSERT_TRUE(mounted.ok());
            RecordingDisplay display;
            display.selectMode(intensive);
            ByteCounters counters;
            const Verdict verdict =
                vesk(CoreContext{display, display, files, process, clock}, counters, target(), display.modes());
            EXPECT_EQ(verdict, Verdict::DeletedUnproven);
            EXPECT_FALSE(display.successVisible);
            ASSERT_EQ(display.reports.size(), 1u);
            EXPECT_EQ(display.reports[0].doubts, (Doubts{{DoubtKind::ReadBackDiffers}}));
        }
        ASSERT_TRUE(mapped->remove());
        const std::size_t left = countIn(image, kMark);
        EXPECT_GT(left, 0u) << "the premise: the gap kept the file's lines";
        EXPECT_LE(left, static_cast<std::size_t>(kGapBytes / 30)) << "nothing but the gap was left";
    }
}

INSTANTIATE_TEST_SUITE_P(Sticks, FailingDevice, ::testing::Values(&kExt4, &kFat32),
                         [](const auto& info) { return std::string(info.param->name); });

} // namespace
} // namespace kelvanter::testing
