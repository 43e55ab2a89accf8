#include "core/Disposal.h"
#include "core/ModDestroyFile.h"
#include "support/CoreFixture.h"

#include <linux/fs.h>
#include <sys/stat.h>

namespace kelvanter::testing {
namespace {

using Disposal = CoreFixture;
namespace mod = modDestroyFile;

const std::string kNotDeletedSuffix = " konnte nicht gelöscht werden! Starten sie das Programm als Administrator.";

TEST(TemporaryName, StaysInTheFilesOwnFolderWithDayMonthMinuteSecond) {
    const CalendarDay day{7, 12};
    const ClockReading time{35, 9};
    EXPECT_EQ(mod::TemporaryName("/home/anna/Daten/brief.txt", day, time), "/home/anna/Daten/07123509.del");
    EXPECT_EQ(mod::TemporaryName("/x.bin", day, time), "/07123509.del");
    EXPECT_EQ(mod::TemporaryName("Daten/brief.txt", day, time), "Daten/07123509.del");
    EXPECT_EQ(mod::TemporaryName("a", {1, 2}, {3, 4}), "01020304.del");
}

TEST_F(Disposal, MovesTheFileToItsTemporaryNameReadingTheDateFirstAndLeavesNothing) {
    const std::string path = writeSample(folder.file("brief.txt"), 10000);
    destroy(path);
    EXPECT_EQ(clock.reads, (std::vector<std::string>{"date", "time"}));
    EXPECT_FALSE(entryExists(path));
    EXPECT_FALSE(entryExists(folder.file("07123509.del")));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    EXPECT_EQ(display.pointer, kPointerHourglass);
}

TEST_F(Disposal, ABystanderUnderTheTemporaryNameSurvivesAndTheUserIsTold) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    const std::string bystander = writeSample(folder.file("07123509.del"), 777);

    destroy(path);

    EXPECT_EQ(readBytes(bystander), sampleBytes(777));
    EXPECT_TRUE(entryExists(path));
    EXPECT_EQ(readBytes(path).size(), 0u);
    EXPECT_FALSE(display.successVisible);
    ASSERT_EQ(display.boxes.size(), 1u);
    EXPECT_EQ(display.boxes[0].text, "Die Datei " + path + kNotDeletedSuffix);
    EXPECT_EQ(display.boxes[0].style, kStyleError);
    EXPECT_EQ(display.boxes[0].title, "kelvanter");
    EXPECT_EQ(display.percentCaption, "0 %");
    EXPECT_EQ(display.background, kEmptyBarColor);
    EXPECT_TRUE(display.enabled);
}

TEST_F(Disposal, AFailedDeleteLeavingADelFileIsNoSuccess) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    files.failRemoveAt = 1;
    destroy(path);
    EXPECT_FALSE(entryExists(path));
    EXPECT_EQ(leftoverDelFiles(folder.path()), std::vector<std::string>{"07123509.del"});
    EXPECT_FALSE(display.successVisible);
    ASSERT_EQ(display.boxes.size(), 1u);
    EXPECT_EQ(display.boxes[0].style, kStyleError);
}

TEST_F(Disposal, AReadOnlyFileIsMadeWritableOnceAndDisposedOf) {
    const std::string path = writeSample(folder.file("nurlesen"), 100);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(mod::ReadAttributes(files, path).value, mod::kAttrReadOnly);
    EXPECT_FALSE(mod::AttributesOk(files, path));
    destroy(path);
    EXPECT_EQ(files.resets, 1);
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(display.successVisible);
}

TEST_F(Disposal, AResetThatNeverTakesEffectEndsAfterABoundedNumberOfRounds) {
    const std::string path = writeSample(folder.file("stur"), 100);
    ::chmod(path.c_str(), 0444);
    files.ignoreAttributeResets = true;
    destroy(path);
    EXPECT_EQ(files.resets, kMaxAttributeResets);
    EXPECT_EQ(display.count("pointer 11"), kMaxAttributeResets + 1);
    EXPECT_TRUE(entryExists(path));
    ASSERT_EQ(display.boxes.size(), 1u);
    EXPECT_EQ(display.boxes[0].text, "Die Datei " + path + kNotDeletedSuffix);
}

// Gone before it could be read back, the file is not called destroyed: nothing proved the overwrite.
TEST_F(Disposal, AFileThatVanishedBeforeDisposalGivesTheNotFoundBoxAndNoClaimOfProof) {
    const std::string path = writeSample(folder.file("weg"), 100);
    const std::string other = writeSample(folder.file("andere"), 300);
    display.onProcessEvents = [&] { std::filesystem::remove(path); };
    destroy(path);
    ASSERT_EQ(display.boxes.size(), 2u);
    EXPECT_EQ(display.boxes[0].text, "Datei nicht gefunden!");
    EXPECT_EQ(display.boxes[0].style, kStyleOkOnly);
    EXPECT_EQ(display.boxes[0].title, "Kelvanter");
    EXPECT_EQ(display.boxes[1].text,
              kUnprovenHead + path + kUnprovenMiddle + proofReasons::kLocationUnknown + kUnprovenTail);
    EXPECT_FALSE(display.successVisible);
    EXPECT_EQ(readBytes(other), sampleBytes(300));
    EXPECT_TRUE(leftoverDelFiles(folder.path()).empty());
}

TEST_F(Disposal, AnImmutableFileLeftAtThePathIsNeverCalledDestroyed) {
    const std::string path = writeSample(folder.file("fest"), 5000);
    bool flagged = false;
    // The flag appears after the last pass: the system-file rule must not count the file as gone.
    files.afterClose = [&](int) { flagged = setInodeFlag(path, FS_IMMUTABLE_FL, true); };
    destroy(path);
    if (!flagged)
        GTEST_SKIP() << "this file system or process cannot set the immutable flag";
    EXPECT_TRUE(entryExists(path));
    EXPECT_FALSE(display.successVisible);
    ASSERT_EQ(display.boxes.size(), 2u);
    EXPECT_EQ(display.boxes[0].text, "Datei nicht gefunden!");
    EXPECT_EQ(display.boxes[1].style, kStyleError);
}

TEST_F(Disposal, AttributeWordReflectsWriteBitAndUndeletableFlags) {
    const std::string path = writeSample(folder.file("attr"), 10);
    EXPECT_EQ(mod::ReadAttributes(files, path).value, mod::kAttrNormal);
    EXPECT_TRUE(mod::AttributesOk(files, path));
    const auto missing = mod::ReadAttributes(files, folder.file("fehlt"));
    EXPECT_EQ(missing.value, mod::kAttrQueryFailed);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(mod::AttributesOk(files, folder.file("fehlt")));

    for (int flag : {FS_IMMUTABLE_FL, FS_APPEND_FL}) {
        if (!setInodeFlag(path, flag, true))
            GTEST_SKIP() << "this file system or process cannot set inode flags";
        EXPECT_EQ(mod::ReadAttributes(files, path).value, mod::kAttrSystem);
        EXPECT_FALSE(mod::FileExists(files, path));
        mod::ResetAttributes(files, path);
        EXPECT_EQ(mod::ReadAttributes(files, path).value, mod::kAttrNormal);
        EXPECT_TRUE(mod::FileExists(files, path));
    }
}

} // namespace
} // namespace kelvanter::testing
