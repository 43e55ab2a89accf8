#include "core/FilePin.h"
#include "support/CoreFixture.h"
#include "support/FileSizeLimit.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

using FailureRecovery = CoreFixture;

// The one recovery: window enabled, bar and label reset, the warning box, the file left in place.
void expectRecovery(const RecordingDisplay& display) {
    EXPECT_TRUE(display.enabled);
    EXPECT_EQ(display.background, kEmptyBarColor);
    EXPECT_EQ(display.percentCaption, "0 %");
    EXPECT_FALSE(display.successVisible);
    ASSERT_EQ(display.boxes.size(), 1u);
    EXPECT_EQ(display.boxes[0].text,
              "Die Datei kann nicht geöffnet werden. Sie wird wahrscheinlich von einer anderen Anwendung benutzt.");
    EXPECT_EQ(display.boxes[0].style, kStyleWarning);
    EXPECT_EQ(display.boxes[0].title, "Kelvanter - Nachricht");
    EXPECT_EQ(display.calls.back(), "box 48");
}

TEST_F(FailureRecovery, AFileThatCannotBeOpenedStaysUnchanged) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 10000);
        display.boxes.clear();
        files.opens = 0;
        files.failOpenAt = 1;
        destroy(path, intensive);
        expectRecovery(display);
        EXPECT_EQ(readBytes(path), sampleBytes(10000));
    }
}

TEST_F(FailureRecovery, AnOpenFailingInTheFourthPassSkipsTheRestAndKeepsTheFile) {
    const std::string path = writeSample(folder.file("f"), 10000);
    files.failOpenAt = 4;
    destroy(path, true);
    expectRecovery(display);
    EXPECT_EQ(files.opens, 4);
    // Pass 3 wrote five blocks of zeros; the file was not disposed of.
    EXPECT_EQ(readBytes(path), std::vector<unsigned char>(5 * 4096, 0));
    EXPECT_EQ(display.count("pointer 11"), 0);
}

TEST_F(FailureRecovery, AWriteRefusedByTheFileSizeLimitMidPassIsAFailedRun) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "i" : "n"), 10000);
        display.boxes.clear();
        const int opensBefore = files.opens;
        const int closesBefore = files.closes;
        {
            FileSizeLimit limit(8192);
            destroy(path, intensive);
        }
        expectRecovery(display);
        EXPECT_EQ(files.opens - opensBefore, 1);
        EXPECT_EQ(files.closes - closesBefore, 1) << "the failed pass must close its file";
        const auto bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 10000u);
        EXPECT_TRUE(allBytesEqual({bytes.begin(), bytes.begin() + 8192}, 0));
        EXPECT_EQ(bytes[9999], sampleBytes(10000)[9999]);
    }
}

TEST_F(FailureRecovery, AFailedFlushIsAFailedPass) {
    for (int failing : {1, 5}) {
        const std::string path = writeSample(folder.file("f" + std::to_string(failing)), 3000);
        display.boxes.clear();
        files.flushes = 0;
        files.failFlushAt = failing;
        destroy(path, failing > 1);
        expectRecovery(display);
        EXPECT_TRUE(entryExists(path));
    }
}

TEST_F(FailureRecovery, AFailedCloseIsAFailedPass) {
    // Past one block, so that the pass's only close is the one after its writes.
    const std::string path = writeSample(folder.file("f"), 5000);
    files.failCloseAt = 1;
    destroy(path);
    expectRecovery(display);
    EXPECT_TRUE(entryExists(path));
}

TEST_F(FailureRecovery, LinksFifosAndDevicesAreNeverOpened) {
    const std::string target = writeSample(folder.file("ziel"), 500);
    const std::string link = folder.file("verknuepfung");
    std::filesystem::create_symlink(target, link);
    const std::string fifo = folder.file("rohr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {link, fifo, std::string("/dev/null"), folder.path().string()}) {
        display.boxes.clear();
        destroy(path);
        expectRecovery(display);
    }
    EXPECT_EQ(files.opens, 0);
    EXPECT_EQ(readBytes(target), sampleBytes(500));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(FailureRecovery, AFileSwappedInAfterTheLookupIsNeverWritten) {
    const std::string path = writeSample(folder.file("brief"), 5000);
    auto confirmed = FilePin::of(files, path);
    ASSERT_TRUE(confirmed.has_value());
    const std::string stranger = writeSample(folder.file("fremd"), 6000);
    std::filesystem::rename(stranger, path);

    destroy(path, false, std::move(confirmed));

    expectRecovery(display);
    EXPECT_EQ(readBytes(path), sampleBytes(6000));
}

TEST_F(FailureRecovery, ReplacementsBetweenIntensivePassesAreNeverWritten) {
    const std::string target = writeSample(folder.file("ziel"), 700);
    for (bool byLink : {false, true}) {
        const std::string path = writeSample(folder.file(byLink ? "a" : "b"), 5000);
        display.boxes.clear();
        files.opens = 0;
        files.beforeOpen = [&](int pass) {
            if (pass != 3)
                return;
            std::filesystem::remove(path);
            if (byLink)
                std::filesystem::create_symlink(target, path);
            else
                writeSample(path, 900);
        };
        destroy(path, true);
        expectRecovery(display);
        if (!byLink) {
            EXPECT_EQ(readBytes(path), sampleBytes(900));
        }
    }
    EXPECT_EQ(readBytes(target), sampleBytes(700));
}

TEST_F(FailureRecovery, AMissingPathRecoversWithoutTouchingAnything) {
    const std::string other = writeSample(folder.file("andere"), 64);
    destroy(folder.file("gibtsnicht"), true);
    expectRecovery(display);
    EXPECT_EQ(readBytes(other), sampleBytes(64));
}

} // namespace
} // namespace kelvanter::testing
