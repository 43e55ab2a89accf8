#include "core/QuietDisplay.h"
#include "support/CoreFixture.h"
#include "support/FileSizeLimit.h"
#include "support/LoopImage.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

using FailureRecovery = CoreFixture;

// The one recovery: window enabled, bar and label reset, the warning box, the file left in place;
// the box says whether the file could not be opened or not be written.
void expectRecovery(const RecordingDisplay& display, RunNotice notice = RunNotice::CannotOpen) {
    EXPECT_TRUE(display.enabled);
    EXPECT_EQ(display.background, kEmptyBarColor);
    EXPECT_EQ(display.percentCaption, "0 %");
    EXPECT_FALSE(display.successVisible);
    ASSERT_EQ(display.reports.size(), 1u);
    EXPECT_EQ(display.reports[0].notice, notice);
    EXPECT_EQ(display.calls.back(), "report " + noticeName(notice));
}

TEST_F(FailureRecovery, AFileThatCannotBeOpenedStaysUnchanged) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 10000);
        display.reports.clear();
        files.opens = 0;
        files.failOpenAt = 1;
        destroy(path, intensive);
        expectRecovery(display);
        EXPECT_EQ(readBytes(path), sampleBytes(10000));
    }
}

TEST_F(FailureRecovery, AWriteFailingInTheFourthPassSkipsTheRestAndKeepsTheFile) {
    const std::string path = writeSample(folder.file("f"), 10000);
    // Passes of 3, 4 and 5 blocks; the fourth fails at its first.
    files.failWriteAt = 3 + 4 + 5 + 1;
    files.failWriteWith = EIO;
    destroy(path, true);
    expectRecovery(display, RunNotice::CannotWrite);
    EXPECT_EQ(display.reports[0].error, EIO);
    EXPECT_EQ(files.opens, 1);
    // Pass 3 wrote five blocks of zeros; the file was not disposed of.
    EXPECT_EQ(readBytes(path), std::vector<unsigned char>(5 * 4096, 0));
    EXPECT_EQ(display.count("pointer 11"), 0);
}

TEST_F(FailureRecovery, AWriteRefusedByTheFileSizeLimitMidPassIsAFailedRun) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 10000);
        display.reports.clear();
        const int opensBefore = files.opens;
        {
            FileSizeLimit limit(8192);
            destroy(path, intensive);
        }
        expectRecovery(display, RunNotice::CannotWrite);
        EXPECT_EQ(files.opens - opensBefore, 1);
        EXPECT_TRUE(files.openHandles().empty()) << "the failed pass must close its file";
        const auto bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 10000u);
        EXPECT_TRUE(allBytesEqual({bytes.begin(), bytes.begin() + 8192}, 0));
        EXPECT_EQ(bytes[9999], sampleBytes(10000)[9999]);
    }
}

TEST_F(FailureRecovery, AFailedFlushIsAFailedPass) {
    for (int failing : {1, 5}) {
        const std::string path = writeSample(folder.file("f" + std::to_string(failing)), 3000);
        display.reports.clear();
        files.flushes = 0;
        files.failFlushAt = failing;
        destroy(path, failing > 1);
        expectRecovery(display, RunNotice::CannotWrite);
        EXPECT_TRUE(entryExists(path));
    }
}

TEST_F(FailureRecovery, LinksFifosAndDevicesAreNeverOpened) {
    const std::string target = writeSample(folder.file("ziel"), 500);
    const std::string link = folder.file("verknuepfung");
    std::filesystem::create_symlink(target, link);
    const std::string fifo = folder.file("rohr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {link, fifo, std::string("/dev/null"), folder.path().string()}) {
        display.reports.clear();
        destroy(path);
        expectRecovery(display);
    }
    EXPECT_EQ(files.opens, 0);
    EXPECT_EQ(readBytes(target), sampleBytes(500));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// A save renames a new file over the name after the lookup: the new one is never written, and the
// confirmed one, held, is destroyed all the same; the box says both.
TEST_F(FailureRecovery, AFileSavedOverTheNameAfterTheLookupIsNeverWritten) {
    const std::string path = writeSample(folder.file("brief"), 5000);
    auto confirmed = DestructionTarget::lookUp(files, process, path);
    ASSERT_TRUE(confirmed.has_value());
    const std::string stranger = writeSample(folder.file("fremd"), 6000);
    std::filesystem::rename(stranger, path);

    destroy(std::move(*confirmed));

    EXPECT_EQ(readBytes(path), sampleBytes(6000));
    EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::NewFileUnderName});
    EXPECT_TRUE(display.successVisible);
}

// Moved away and replaced, the confirmed file keeps a name elsewhere: neither is written.
TEST_F(FailureRecovery, AFileMovedAwayAfterTheLookupIsNeverWritten) {
    const std::string path = writeSample(folder.file("brief"), 5000);
    auto confirmed = DestructionTarget::lookUp(files, process, path);
    ASSERT_TRUE(confirmed.has_value());
    std::filesystem::rename(path, folder.file("beiseite"));
    writeSample(path, 6000);

    destroy(std::move(*confirmed));

    expectRecovery(display);
    EXPECT_EQ(display.reports[0].error, kFileReplaced);
    EXPECT_EQ(readBytes(path), sampleBytes(6000));
    EXPECT_EQ(readBytes(folder.file("beiseite")), sampleBytes(5000));
}

// The run holds the file it opened: a file or a link put at the path between two passes is never
// written, and the held file is overwritten to the end.
TEST_F(FailureRecovery, ReplacementsBetweenIntensivePassesAreNeverWritten) {
    const std::string target = writeSample(folder.file("ziel"), 700);
    for (bool byLink : {false, true}) {
        const std::string path = writeSample(folder.file(byLink ? "a" : "b"), 5000);
        display.reports.clear();
        display.successVisible = false;
        files.flushes = 0;
        files.afterFlush = [&](int pass) {
            if (pass != 2)
                return;
            std::filesystem::remove(path);
            if (byLink)
                std::filesystem::create_symlink(target, path);
            else
                writeSample(path, 900);
        };
        destroy(path, true);
        EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::NewFileUnderName}) << byLink;
        EXPECT_TRUE(display.successVisible) << "the held file went through all seven passes";
        if (byLink)
            EXPECT_TRUE(std::filesystem::is_symlink(path));
        else
            EXPECT_EQ(readBytes(path), sampleBytes(900));
    }
    EXPECT_EQ(readBytes(target), sampleBytes(700));
}

TEST_F(FailureRecovery, AMissingPathRecoversWithoutTouchingAnything) {
    const std::string other = writeSample(folder.file("andere"), 64);
    destroy(folder.file("gibtsnicht"), true);
    expectRecovery(display);
    EXPECT_EQ(readBytes(other), sampleBytes(64));
}

// Every pass writes a block past the file's end. Where the file may not grow (a full disk, a size
// limit), that block fails only after the whole file is overwritten: the run goes on, and the file
// is gone.
TEST_F(FailureRecovery, AFileOnAFullDiskIsDestroyedInBothModes) {
    LoopImage image(folder.path());
    if (const auto refused = image.mount("mkfs.ext4 -q -F -m 0", "", "32M"))
        GTEST_SKIP() << *refused;
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(image.mountPoint() + (intensive ? "/i.bin" : "/n.bin"), 1 << 20);
        ASSERT_FALSE(run("dd if=/dev/zero of=" + image.mountPoint() + "/voll bs=64k conv=fsync status=none"))
            << "the premise: the disk is full";
        run("sync");
        display.reports.clear();
        destroy(path, intensive);
        EXPECT_FALSE(entryExists(path)) << intensive;
        const std::vector<RunNotice> shown = notices();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), RunNotice::CannotWrite), 0) << intensive;
        std::filesystem::remove(image.mountPoint() + "/voll");
    }
}

// A limit the program did not set would end it by SIGXFSZ at the block past the end; the file
// services make it an error instead, and the file is destroyed.
TEST_F(FailureRecovery, AFileUnderASizeLimitOfItsOwnLengthIsDestroyedWithoutASignalDeath) {
    struct Case {
        std::size_t length;
        bool intensive;
    };
    for (const Case& c : {Case{1 << 20, false}, Case{1 << 20, true}, Case{(1 << 20) + 100, false}}) {
        const std::string path = writeSample(folder.file("begrenzt-" + std::to_string(c.length)), c.length);
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{c.length, c.length};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            PlatformFileServices own;
            QuietDisplay quiet;
            PlatformClock ownClock;
            ByteCounters ownCounters;
            vesk(CoreContext{quiet, quiet, own, process, ownClock}, ownCounters, path, PassModes::of(c.intensive));
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_FALSE(entryExists(path)) << c.length << (c.intensive ? " intensive" : " normal");
    }
}

} // namespace
} // namespace kelvanter::testing
