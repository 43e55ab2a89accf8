// Overwriting the free space on real loop-mounted images: the earlier version of a file that an
// editor saved over, and the destroyed file's old copies, must be gone from the whole image.
#include "core/FreeSpace.h"
#include "core/FillFolder.h"
#include "core/QuietDisplay.h"
#include "core/RunRecords.h"
#include "platform/DiskNames.h"
#include "support/CoreFixture.h"
#include "support/EndedFill.h"
#include "support/EnvironmentOverride.h"
#include "support/LoopImage.h"
#include "support/WatchedFill.h"
#include "support/WrittenNames.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMark = "KELVANTER-FREI-";

std::string markedText(const char* version, int lines) {
    std::string text;
    for (int line = 0; line < lines; ++line)
        text += kMark + std::string(version) + "-" + std::to_string(100000 + line) + " vertraulich\n";
    return text;
}

std::size_t marksIn(const std::string& path) {
    return countIn(path, kMark);
}

struct ImageCase {
    const char* name;
    const char* mkfs;
    const char* options;
    bool journalKeepsCopies = false; // the fill cycles the journal, but not all of it: said so in the box
};

void PrintTo(const ImageCase& c, std::ostream* out) {
    *out << c.name;
}

class FreeSpaceImage : public ::testing::TestWithParam<ImageCase> {
protected:
    std::string image() const { return loop.image(); }
    std::string mountPoint() const { return loop.mountPoint(); }
    std::optional<std::string> mount(const ImageCase& c) { return loop.mount(c.mkfs, c.options); }
    bool unmount() { return loop.unmount(); }

    // A file saved once as an editor saves: its new contents written beside it, renamed over it.
    std::string saveEditorStyle() {
        const std::string path = mountPoint() + "/geheim.txt";
        std::ofstream(path, std::ios::binary) << markedText("ALT", 20000);
        run("sync");
        std::ofstream(path + ".neu", std::ios::binary) << markedText("NEU", 20000);
        fs::rename(path + ".neu", path);
        run("sync");
        return path;
    }

    FillContext fillContext() { return {watcher, files, process, clock, counters}; }

    TempFolder folder{"/var/tmp"};
    LoopImage loop{folder.path()};
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
    WatchedFill watcher;
    FillCounters counters;
};

TEST_P(FreeSpaceImage, AfterTheFileAndTheFreeSpaceNoMarkIsLeftOnTheImage) {
    if (const auto refused = mount(GetParam()))
        GTEST_SKIP() << *refused;
    const std::string path = saveEditorStyle();
    QuietDisplay display;
    ByteCounters destroyed;
    vesk(CoreContext{display, display, files, process, clock}, destroyed, path, PassModes{});
    ASSERT_FALSE(entryExists(path));
    run("sync");
    EXPECT_GT(marksIn(image()), 0u) << "the premise: the earlier version lies in free space";

    const FillReport report = overwriteFreeSpace(fillContext(), mountPoint());

    EXPECT_EQ(report.end, FillEnd::Done) << report.error;
    EXPECT_GT(report.written, 150'000'000) << "most of the image's free space";
    // The file system's own bookkeeping of the fill files takes a little of what was free.
    EXPECT_GE(watcher.lastPercent, 95);
    EXPECT_EQ(report.storage.journalsData, GetParam().journalKeepsCopies);
    for (const auto& entry : fs::directory_iterator(mountPoint()))
        EXPECT_NE(entry.path().filename().string().rfind(diskNames::kFillFolderPrefix, 0), 0u) << "the fill is deleted";
    const std::string btrfsRestore = folder.file("wiederhergestellt");
    const bool btrfs = std::string(GetParam().name) == "btrfs";
    ASSERT_TRUE(unmount());
    if (GetParam().journalKeepsCopies) {
        EXPECT_GT(marksIn(image()), 0u) << "the premise of the box's word on the journal";
    } else {
        EXPECT_EQ(marksIn(image()), 0u) << "neither version of the file may be left anywhere on the image";
    }
    if (btrfs) {
        fs::create_directory(btrfsRestore);
        run("btrfs restore -i " + image() + " " + btrfsRestore);
        std::size_t restored = 0;
        for (const auto& entry : fs::recursive_directory_iterator(btrfsRestore))
            restored += entry.is_regular_file() ? marksIn(entry.path().string()) : 0;
        EXPECT_EQ(restored, 0u) << "btrfs restore brings none of it back";
    }
}

// The destroyed file's name stays in the copies of its folder's blocks that the journal or log
// took; the fill churns names until the log has come round, and then no copy of it is left.
TEST_P(FreeSpaceImage, AfterTheDestroyAndTheFillTheNameIsNowhereOnTheImage) {
    if (const auto refused = mount(GetParam()))
        GTEST_SKIP() << *refused;
    const std::string name = "Kuendigung_Mueller_Geheim_2026.txt";
    fs::create_directory(mountPoint() + "/Akten");
    const std::string path = mountPoint() + "/Akten/" + name;
    std::ofstream(path, std::ios::binary) << markedText("NAME", 100);
    // Where the download came from goes the same way as the name: its copies are in the log.
    const std::string origin = "https://beispiel.invalid/HERKUNFT-des-Downloads.pdf";
    ASSERT_EQ(::setxattr(path.c_str(), "user.xdg.origin.url", origin.data(), origin.size(), 0), 0);
    run("sync");
    QuietDisplay display;
    ByteCounters destroyed;
    vesk(CoreContext{display, display, files, process, clock}, destroyed, path, PassModes{});
    run("sync");
    ASSERT_FALSE(entryExists(path));

    const FillReport report = overwriteFreeSpace(fillContext(), mountPoint());

    EXPECT_EQ(report.end, FillEnd::Done);
    const bool logged = std::string(GetParam().name) != "btrfs";
    // btrfs's metadata is churned as far as its size goes, but cannot be seen to come round.
    EXPECT_EQ(report.namesInLog, logged ? NamesInLog::Reached : NamesInLog::Unreached);
    if (logged) {
        EXPECT_GT(report.churnLogged, 0);
    }
    EXPECT_TRUE(fs::is_empty(mountPoint() + "/Akten"));
    ASSERT_TRUE(unmount());
    const std::size_t left = countIn(image(), name);
    RecordProperty("name_copies_left", static_cast<int>(left));
    if (logged) {
        EXPECT_EQ(left, 0u) << "a copy of the name is left on the image";
        EXPECT_EQ(countIn(image(), "HERKUNFT-des-Downloads"), 0u) << "a copy of an attribute is left on the image";
    }
}

INSTANTIATE_TEST_SUITE_P(Images, FreeSpaceImage,
                         ::testing::Values(ImageCase{"ext4", "mkfs.ext4 -q -F", ""},
                                           ImageCase{"xfs", "mkfs.xfs -q -f", ""},
                                           ImageCase{"btrfs", "mkfs.btrfs -q -f", ""},
                                           ImageCase{"ext4DataJournal", "mkfs.ext4 -q -F", "data=journal", true}),
                         [](const auto& info) { return std::string(info.param.name); });

using FreeSpaceEnding = FreeSpaceImage;

TEST_F(FreeSpaceEnding, ACancelMidwayDeletesTheFillAndGivesTheSpaceBack) {
    if (const auto refused = mount({"ext4", "mkfs.ext4 -q -F", ""}))
        GTEST_SKIP() << *refused;
    const auto before = files.spaceOf(mountPoint()).value.free;
    files.afterDataWrite = [&](std::int64_t written) { watcher.cancel = written > 50'000'000; };
    const FillReport report = overwriteFreeSpace(fillContext(), mountPoint());
    EXPECT_EQ(report.end, FillEnd::Cancelled);
    EXPECT_GT(report.written, 50'000'000);
    EXPECT_LT(report.written, 100'000'000);
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found only";
    EXPECT_NEAR(static_cast<double>(files.spaceOf(mountPoint()).value.free), static_cast<double>(before), 1e6);
}

// A run killed midway leaves its fill folder; the next start of the function removes it.
TEST_F(FreeSpaceEnding, AFillLeftByAKilledRunIsRemovedAtTheNextStart) {
    if (const auto refused = mount({"ext4", "mkfs.ext4 -q -F", ""}))
        GTEST_SKIP() << *refused;
    EnvironmentOverride environment;
    environment.set("XDG_STATE_HOME", folder.file("zustand"));
    const auto before = files.spaceOf(mountPoint()).value.free;
    ASSERT_NE(fillEndedBy(SIGKILL, mountPoint(), 60'000'000), -1) << "the fill never got that far";
    ASSERT_LT(files.spaceOf(mountPoint()).value.free, before - 20'000'000) << "the killed run left its fill";

    HeldFolder root(files, mountPoint());
    EXPECT_EQ(removeLeftoverFills(root), 1);
    EXPECT_NEAR(static_cast<double>(files.spaceOf(mountPoint()).value.free), static_cast<double>(before), 1e6);
    EXPECT_EQ(removeLeftoverFills(root), 0);
}

// Whatever ends a fill, its folder and the program's record of it go: a kill leaves both for the
// next start of the program, from any folder; a request to end is held until the fill is deleted,
// and then ends the program as asked.
TEST_F(FreeSpaceEnding, AFillEndedBySignalLeavesNothingAfterTheNextStart) {
    if (const auto refused = mount({"ext4", "mkfs.ext4 -q -F", ""}))
        GTEST_SKIP() << *refused;
    EnvironmentOverride environment;
    environment.set("XDG_STATE_HOME", folder.file("zustand"));
    const std::string records = fillRecordsIn(folder.file("zustand"));
    const auto before = files.spaceOf(mountPoint()).value.free;
    for (int signal : {SIGKILL, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const int status = fillEndedBy(signal, mountPoint(), 30'000'000);
        ASSERT_NE(status, -1) << "the fill never got that far";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "the program ends as it was asked";
        const bool killed = signal == SIGKILL;
        EXPECT_EQ(fs::is_empty(records), !killed) << "only a killed run leaves its record";
        const std::vector<std::string> removed = removeKilledFills(files, process).removed;
        ASSERT_EQ(removed.size(), killed ? 1u : 0u);
        if (killed) {
            EXPECT_EQ(removed[0].rfind(mountPoint() + "/" + diskNames::kFillFolderPrefix, 0), 0u) << removed[0];
        }
        EXPECT_TRUE(fs::is_empty(records));
        EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found";
        EXPECT_NEAR(static_cast<double>(files.spaceOf(mountPoint()).value.free), static_cast<double>(before), 1e6);
    }
}

// Where the fill cannot be noted for a start after a kill, it is not begun: a kill would leave the
// disk full with nothing to find the fill by.
TEST_F(FreeSpaceEnding, AFillThatCannotBeRecordedIsNotBegun) {
    if (const auto refused = mount({"ext4", "mkfs.ext4 -q -F", ""}))
        GTEST_SKIP() << *refused;
    EnvironmentOverride environment;
    environment.set("XDG_STATE_HOME", writeSample(folder.file("keinordner"), 10)); // a file, no folder
    const FillReport report = overwriteFreeSpace(fillContext(), mountPoint());
    EXPECT_EQ(report.end, FillEnd::NoRecord);
    EXPECT_NE(report.error, 0);
    EXPECT_EQ(report.written, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found only";
}

// A normal user cannot take the blocks reserved for the administrator; the report names them.
TEST_F(FreeSpaceEnding, ANormalUserIsToldOfTheReserveItCouldNotReach) {
    if (const auto refused = mount({"ext4", "mkfs.ext4 -q -F -m 10", ""}))
        GTEST_SKIP() << *refused;
    const std::string owned = mountPoint() + "/nobody";
    fs::create_directory(owned);
    // The way down to the image's folder must be open to nobody too.
    fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const uid_t nobody = 65534;
    if (::chown(owned.c_str(), nobody, nobody) != 0)
        GTEST_SKIP() << "cannot hand a folder to nobody here";
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(3);
        // The user's own state folder, where the fill is noted: root's is not nobody's to write.
        ::setenv("XDG_STATE_HOME", (owned + "/.zustand").c_str(), 1);
        FakeClock childClock;
        WatchedFill childWatcher;
        FillCounters childCounters;
        const FillReport report =
            overwriteFreeSpace(FillContext{childWatcher, files, process, childClock, childCounters}, owned);
        const std::int64_t answer[3] = {static_cast<std::int64_t>(report.end), report.written, report.unreached};
        const bool sent = ::write(channel[1], answer, sizeof answer) == static_cast<ssize_t>(sizeof answer);
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    std::int64_t answer[3] = {};
    const bool received = ::read(channel[0], answer, sizeof answer) == static_cast<ssize_t>(sizeof answer);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot become nobody here";
    ASSERT_TRUE(received);
    EXPECT_EQ(answer[0], static_cast<std::int64_t>(FillEnd::Done));
    EXPECT_GT(answer[2], 15'000'000) << "about a tenth of the image is reserved";
    EXPECT_GT(answer[1], 100'000'000);
}

} // namespace
} // namespace kelvanter::testing
