// What a start removes of a killed fill: only the folder its record names, by that folder's
// identity, and in it only the fill's own files; a disk that is not there keeps its record.
#include "core/RunRecords.h"
#include "support/EndedFill.h"
#include "support/EnvironmentOverride.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/TempFolder.h"
#include "support/WrittenNames.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

std::string identityLine(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return std::to_string(info.st_dev) + " " + std::to_string(info.st_ino) + "\n";
}

class FillCleanup : public ::testing::Test {
protected:
    FillCleanup() { environment.set("XDG_STATE_HOME", folder.file("zustand")); }

    // A fill folder as a user might have one: the user's files, and one under a fill file's name.
    std::string userFolder() {
        const std::string fill = folder.file(std::string(diskNames::kFillFolderPrefix) + "1");
        fs::create_directories(fill);
        for (const char* name : {"wichtig.txt", "fuellung-notizen.txt", "fuellung-7"})
            writeSample(fill + "/" + name, 100);
        return fill;
    }
    void record(const std::string& text) {
        fs::create_directories(fillRecordsIn(folder.file("zustand")));
        const std::string bytes = text;
        writeBytes(fillRecordsIn(folder.file("zustand")) + "/" + diskNames::kFillFolderPrefix + "1",
                   std::vector<unsigned char>(bytes.begin(), bytes.end()));
    }
    std::size_t recordsLeft() {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(fillRecordsIn(folder.file("zustand"))), fs::directory_iterator()));
    }

    TempFolder folder;
    EnvironmentOverride environment;
    InstrumentedFileServices files;
    PosixProcess process;
};

// A record that does not name this very folder touches nothing in it, and goes.
TEST_F(FillCleanup, ARecordThatIsNotTheFillsOwnTouchesNothing) {
    struct Case {
        const char* what;
        std::function<std::string(const std::string& fill)> text;
    };
    const Case cases[] = {
        {"a path alone, as earlier versions wrote", [](const std::string& fill) { return fill + "\n"; }},
        {"a relative path", [](const std::string& fill) { return fs::path(fill).filename().string() + "\n"; }},
        {"another folder's identity", [](const std::string& fill) { return fill + "\n" + identityLine("/"); }},
    };
    const fs::path here = fs::current_path();
    // A relative record would be taken against the current folder: let it be the fill's.
    fs::current_path(folder.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string fill = userFolder();
        record(c.text(fill));
        const KilledFills found = removeKilledFills(files, process);
        EXPECT_TRUE(found.removed.empty());
        EXPECT_EQ(readBytes(fill + "/fuellung-7"), sampleBytes(100)) << "a file the fill did not make went";
        EXPECT_EQ(readBytes(fill + "/wichtig.txt"), sampleBytes(100));
        EXPECT_EQ(recordsLeft(), 0u) << "a record that names nothing of the fill's stays";
        fs::remove_all(fill);
    }
    fs::current_path(here);
}

// The fill's own folder: its own files go, a user's file beside them stays, and so does the folder.
TEST_F(FillCleanup, InTheFillsOwnFolderOnlyItsOwnFilesGo) {
    const std::string fill = userFolder();
    writeSample(fill + "/fuellung-12", 4096);
    fs::create_directory(fill + "/fuellung-3");
    fs::create_symlink(folder.file("ziel"), fill + "/fuellung-4");
    writeSample(folder.file("ziel"), 10);
    record(fill + "\n" + identityLine(fill));
    removeKilledFills(files, process);
    EXPECT_FALSE(fs::exists(fill + "/fuellung-12"));
    EXPECT_FALSE(fs::exists(fill + "/fuellung-7"));
    for (const char* kept : {"wichtig.txt", "fuellung-notizen.txt", "fuellung-3", "fuellung-4"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(fill + "/" + kept))) << kept;
    EXPECT_EQ(readBytes(folder.file("ziel")), sampleBytes(10));
}

// Swapped for a link to another folder while the cleanup deletes: the names go in the folder held,
// and the link's target keeps its file of the fill's name.
TEST_F(FillCleanup, AFolderSwappedForALinkMidCleanupLeavesTheTargetAlone) {
    const std::string fill = folder.file(std::string(diskNames::kFillFolderPrefix) + "1");
    fs::create_directory(fill);
    writeSample(fill + "/fuellung-1", 100);
    writeSample(fill + "/fuellung-2", 100);
    const std::string victim = folder.file("fremd");
    fs::create_directory(victim);
    writeSample(victim + "/fuellung-2", 100);
    record(fill + "\n" + identityLine(fill));
    files.beforeRemove = [&](const std::string&) {
        if (fs::is_symlink(fill))
            return;
        fs::rename(fill, folder.file("weggeschoben"));
        fs::create_directory_symlink(victim, fill);
    };
    removeKilledFills(files, process);
    EXPECT_EQ(readBytes(victim + "/fuellung-2"), sampleBytes(100));
    EXPECT_TRUE(fs::is_empty(folder.file("weggeschoben"))) << "the fill's own files went where they were";
}

// Killed on a disk that is then taken away: the start says so and keeps the record; the start
// after the disk is back removes the fill.
TEST_F(FillCleanup, AFillOnADiskThatIsAwayWaitsForItsReturn) {
    TempFolder place{"/var/tmp"};
    LoopImage loop{place.path()};
    if (const auto refused = loop.mount("mkfs.ext4 -q -F", "", "96M"))
        GTEST_SKIP() << *refused;
    const auto before = files.spaceOf(loop.mountPoint()).value.free;
    ASSERT_NE(fillEndedBy(SIGKILL, loop.mountPoint(), 20'000'000), -1) << "the fill never got that far";
    ASSERT_TRUE(loop.unmount());

    const KilledFills away = removeKilledFills(files, process);
    ASSERT_EQ(away.waiting.size(), 1u);
    EXPECT_TRUE(away.removed.empty());
    EXPECT_EQ(recordsLeft(), 1u);

    // Another disk, holding a file, at the same path: it is another disk, and the record waits on.
    const std::string other = place.file("anderer.img");
    ASSERT_TRUE(run("truncate -s 32M " + other + " && mkfs.ext4 -q -F " + other + " && mount -o loop " + other + " " +
                    loop.mountPoint()));
    writeSample(loop.mountPoint() + "/anderes.txt", 100);
    const KilledFills elsewhere = removeKilledFills(files, process);
    run("umount " + loop.mountPoint());
    EXPECT_EQ(elsewhere.waiting, away.waiting);
    EXPECT_EQ(recordsLeft(), 1u);

    ASSERT_TRUE(run("mount -o loop " + loop.image() + " " + loop.mountPoint()));
    const std::shared_ptr<void> unmountAtEnd(nullptr, [&](void*) { run("umount " + loop.mountPoint()); });
    const KilledFills back = removeKilledFills(files, process);
    EXPECT_EQ(back.removed, away.waiting);
    EXPECT_EQ(recordsLeft(), 0u);
    EXPECT_NEAR(static_cast<double>(files.spaceOf(loop.mountPoint()).value.free), static_cast<double>(before), 1e6);
}

// Whether a fill of the file system under the folder is refused as busy for the user nobody.
std::optional<bool> busyForNobody(const std::string& folder) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        InstrumentedFileServices own;
        ::_exit(own.lockFileSystemOf(folder).error == EBUSY ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

// The lock makes and changes no file of anyone's: links to another user's file at every name a
// lock file could have had are left as they were, and a second fill of the same file system
// through a bind mount is refused, for root and for another user alike.
TEST_F(FillCleanup, TheLockTouchesNoFileAndBindsEveryUser) {
    TempFolder place{"/var/tmp"};
    LoopImage loop{place.path()};
    if (const auto refused = loop.mount("mkfs.ext4 -q -F", "", "64M"))
        GTEST_SKIP() << *refused;
    fs::permissions(place.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const std::string beside = place.file("daneben");
    fs::create_directories(loop.mountPoint() + "/unter");
    fs::create_directories(beside);
    ASSERT_TRUE(run("mount --bind " + loop.mountPoint() + "/unter " + beside));
    const std::shared_ptr<void> unbind(nullptr, [&](void*) { run("umount " + beside); });
    struct stat mounted {};
    ASSERT_EQ(::stat(loop.mountPoint().c_str(), &mounted), 0);
    const std::string lockName = "kelvanter-fuellung-dev-" + std::to_string(major(mounted.st_dev)) + "-" +
                                 std::to_string(minor(mounted.st_dev)) + ".sperre";
    // Another user's file, and links to it where the lock file of other versions lay.
    const std::string victim = "/tmp/kelvanter-fremd-" + std::to_string(::getpid());
    writeSample(victim, 100);
    ASSERT_EQ(::chown(victim.c_str(), 1, 1), 0);
    ASSERT_EQ(::chmod(victim.c_str(), 0660), 0);
    std::vector<std::string> links;
    for (const std::string& folderName : {std::string("/run/lock"), std::string("/tmp")}) {
        const std::string at = folderName + "/" + lockName;
        fs::remove(at);
        if (::link(victim.c_str(), at.c_str()) == 0 || ::symlink(victim.c_str(), at.c_str()) == 0)
            links.push_back(at);
    }
    const std::shared_ptr<void> tidy(nullptr, [&](void*) {
        for (const std::string& at : links)
            fs::remove(at);
        fs::remove(victim);
    });
    const auto first = files.lockFileSystemOf(loop.mountPoint());
    ASSERT_TRUE(first.ok()) << first.error;
    EXPECT_EQ(files.lockFileSystemOf(beside).error, EBUSY);
    if (const auto busy = busyForNobody(beside)) {
        EXPECT_TRUE(*busy) << "another user's fill is refused too";
    }
    files.close(first.value);
    const auto after = files.lockFileSystemOf(beside);
    EXPECT_TRUE(after.ok()) << "the lock goes with the first fill";
    if (after.ok())
        files.close(after.value);
    struct stat left {};
    ASSERT_EQ(::stat(victim.c_str(), &left), 0);
    EXPECT_EQ(left.st_mode & 07777, 0660u);
    EXPECT_EQ(left.st_uid, 1u);
    EXPECT_EQ(readBytes(victim), sampleBytes(100));
}

// A second fill on the same file system is refused, however it is reached: through a bind mount
// of a subfolder, or through another btrfs subvolume.
TEST_F(FillCleanup, OneFillPerFileSystemHoweverItIsReached) {
    struct Case {
        const char* what;
        const char* mkfs;
        std::function<std::string(const std::string& root, const std::string& beside)> secondWay;
    };
    const Case cases[] = {
        {"a bind mount of a subfolder", "mkfs.ext4 -q -F",
         [](const std::string& root, const std::string& beside) {
             fs::create_directories(root + "/unter");
             fs::create_directories(beside);
             return run("mount --bind " + root + "/unter " + beside) ? beside : std::string();
         }},
        {"another btrfs subvolume", "mkfs.btrfs -q -f",
         [](const std::string& root, const std::string&) {
             return run("btrfs subvolume create " + root + "/teil") ? root + "/teil" : std::string();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder place{"/var/tmp"};
        LoopImage loop{place.path()};
        if (const auto refused = loop.mount(c.mkfs, "", "160M")) {
            std::cout << "skipped " << c.what << ": " << *refused << std::endl;
            continue;
        }
        const std::string beside = place.file("daneben");
        const std::string second = c.secondWay(loop.mountPoint(), beside);
        const std::shared_ptr<void> unbind(nullptr, [&](void*) { run("umount " + beside); });
        ASSERT_FALSE(second.empty()) << "the second way could not be made";
        const auto first = files.lockFileSystemOf(loop.mountPoint());
        ASSERT_TRUE(first.ok()) << first.error;
        EXPECT_EQ(files.lockFileSystemOf(second).error, EBUSY);
        files.close(first.value);
        const auto after = files.lockFileSystemOf(second);
        EXPECT_TRUE(after.ok()) << "the lock goes with the first fill";
        if (after.ok())
            files.close(after.value);
    }
}

} // namespace
} // namespace kelvanter::testing
