// The core on the file systems of USB sticks, memory cards and phones, through the guest's real
// drivers, on a device that rotates and on one that says it does not: what it warns of before the
// run, what it says after, and what is left on the device.
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
#include <optional>

namespace kelvanter {

// A doubt as a failing check shows it.
void PrintTo(const Doubt& doubt, std::ostream* out) {
    *out << "doubt " << static_cast<int>(doubt.kind) << " " << doubt.detail;
}

namespace testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMark = "KELVANTER-MARKE-";
constexpr const char* kBystanderMark = "KELVANTER-NEBEN-";

struct DriverCase {
    const GuestFileSystem* fileSystem;
    bool flash;
    bool writesElsewhere; // f2fs: every change goes to a new place
};

void PrintTo(const DriverCase& c, std::ostream* out) {
    *out << c.fileSystem->name << (c.flash ? " on flash" : "");
}

class RealDrivers : public ::testing::TestWithParam<DriverCase> {
protected:
    // What the question before the run must name, whatever the file's size.
    Doubts expectedDoubts() const {
        Doubts doubts;
        if (GetParam().writesElsewhere)
            doubts.push_back({DoubtKind::WritesElsewhere, GetParam().fileSystem->name});
        if (GetParam().flash)
            doubts.push_back({DoubtKind::Flash});
        return doubts;
    }

    TempFolder folder{"/tmp"};
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
};

TEST_P(RealDrivers, EveryFileIsGoneAndCalledDestroyedOnlyWhereNothingCanBeLeft) {
    const GuestFileSystem& system = *GetParam().fileSystem;
    const std::string image = folder.file("abbild.img");
    const std::string mountPoint = folder.file("mnt");
    fs::create_directory(mountPoint);
    ASSERT_TRUE(makeImage(system, image));
    LoopDevice loop(image);
    ASSERT_TRUE(loop.attached());
    if (GetParam().flash) {
        ASSERT_TRUE(loop.lookLikeFlash());
    }
    Mounted mounted(loop.path(), mountPoint);
    ASSERT_TRUE(mounted.ok());
    fs::create_directory(mountPoint + "/ordner");
    const std::string bystanders[] = {mountPoint + "/nachbar.txt", mountPoint + "/ordner/nachbar.txt"};
    for (const std::string& bystander : bystanders)
        std::ofstream(bystander, std::ios::binary) << markedLines(kBystanderMark, 2000);

    std::optional<Doubts> reasonsAfter;
    struct Size {
        const char* name;
        int lines;
    };
    for (const Size size : {Size{"300 bytes", 8}, Size{"2 MiB", 52000}}) {
        for (const bool intensive : {false, true}) {
            SCOPED_TRACE(std::string(size.name) + (intensive ? ", intensive" : ", normal"));
            const std::string path = mountPoint + "/ordner/geheim.txt";
            std::ofstream(path, std::ios::binary) << markedLines(kMark, size.lines);
            ASSERT_TRUE(run("sync"));
            auto target = DestructionTarget::lookUp(files, process, path);
            ASSERT_TRUE(target.has_value());
            EXPECT_EQ(doubtsFrom(target->storage), expectedDoubts());

            RecordingDisplay display;
            display.selectMode(intensive);
            ByteCounters counters;
            const Verdict verdict = vesk(CoreContext{display, display, files, process, clock}, counters,
                                         std::move(*target), display.modes());

            EXPECT_FALSE(entryExists(path));
            EXPECT_EQ(verdict == Verdict::Destroyed, expectedDoubts().empty());
            EXPECT_EQ(display.successVisible, expectedDoubts().empty());
            if (!expectedDoubts().empty()) {
                ASSERT_EQ(display.reports.size(), 1u);
                EXPECT_EQ(display.reports[0].notice, RunNotice::DeletedUnproven);
                // The box after the run gives a small file the same reasons as a large one.
                if (!reasonsAfter)
                    reasonsAfter = display.reports[0].doubts;
                EXPECT_EQ(display.reports[0].doubts, *reasonsAfter);
            }
            EXPECT_TRUE(disposalLeftovers(mountPoint + "/ordner").empty());
        }
    }
    ASSERT_TRUE(mounted.unmount());
    EXPECT_TRUE(run(std::string(system.fsck) + " " + loop.path())) << "the file system is clean afterwards";
    const std::size_t left = countIn(image, kMark);
    if (GetParam().writesElsewhere) {
        RecordProperty("lines_left", static_cast<int>(left));
    } else {
        EXPECT_EQ(left, 0u) << "no line of the file is left anywhere on the device";
    }
    EXPECT_EQ(countIn(image, kBystanderMark), 2u * 2000u) << "the bystanders, and nothing more of them";
    Mounted again(loop.path(), mountPoint);
    ASSERT_TRUE(again.ok());
    for (const std::string& bystander : bystanders)
        EXPECT_EQ(countIn(bystander, kBystanderMark), 2000u);
}

INSTANTIATE_TEST_SUITE_P(Drivers, RealDrivers,
                         ::testing::Values(DriverCase{&kFat32, false, false}, DriverCase{&kFat32, true, false},
                                           DriverCase{&kExfat, false, false}, DriverCase{&kExfat, true, false},
                                           DriverCase{&kF2fs, false, true}, DriverCase{&kF2fs, true, true}),
                         [](const auto& info) {
                             return std::string(info.param.fileSystem->name) + (info.param.flash ? "OnFlash" : "");
                         });

} // namespace
} // namespace testing
} // namespace kelvanter
