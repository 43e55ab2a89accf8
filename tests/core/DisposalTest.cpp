#include "core/Disposal.h"
#include "core/ModDestroyFile.h"
#include "support/CoreFixture.h"
#include "support/WrittenNames.h"

#include <linux/fs.h>
#include <set>
#include <sys/stat.h>

namespace kelvanter::testing {
namespace {

using Disposal = CoreFixture;
namespace mod = modDestroyFile;

TEST(TemporaryName, IsDayMonthMinuteSecondInTheFilesOwnFolder) {
    EXPECT_EQ(mod::TemporaryName({7, 12}, {35, 9}), "07123509.del");
    EXPECT_EQ(mod::TemporaryName({1, 2}, {3, 4}), "01020304.del");
    EXPECT_EQ(mod::TemporaryName({31, 1}, {59, 0}), "31015900.del");
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

// The temporary name lies in a folder of the program's own beside the file: a file of that name in
// the file's folder is left alone, and the file is destroyed all the same.
TEST_F(Disposal, TheFileIsDeletedInAPrivateFolderBesideItWhichGoesWithIt) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    const std::string bystander = writeSample(folder.file("07123509.del"), 777);
    std::vector<std::string> moves;
    files.afterRename = [&](const std::string& from, const std::string& to) { moves.push_back(from + " > " + to); };
    destroy(path);
    EXPECT_EQ(readBytes(bystander), sampleBytes(777));
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(display.successVisible);
    EXPECT_EQ(moves, std::vector<std::string>{"brief.txt > 07123509.del"});
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"07123509.del"}) << "the private folder went with the file";
}

TEST_F(Disposal, AFailedDeleteLeavingADelFileIsNoSuccess) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    files.failRemoveAt = 1;
    destroy(path);
    EXPECT_FALSE(entryExists(path));
    EXPECT_EQ(disposalLeftovers(folder.path()),
              (std::vector<std::string>{asideFolderIn(folder.path(), "07123509.del"),
                                        asideEntryIn(folder.path(), "07123509.del")}));
    EXPECT_FALSE(display.successVisible);
    // The box names where the emptied file lies, not the path where nothing is.
    ASSERT_EQ(display.reports.size(), 1u);
    EXPECT_EQ(display.reports[0].notice, RunNotice::NotDeleted);
    EXPECT_EQ(display.reports[0].path, folder.file(asideEntryIn(folder.path(), "07123509.del")));
}

// Deleted, but the device was not seen to keep it: a power cut may bring the name back.
TEST_F(Disposal, ADeletionTheDeviceDidNotFlushIsNoSuccess) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    files.failFolderFlushesWith = EIO;
    destroy(path);
    EXPECT_FALSE(display.successVisible);
    // Not "could not be deleted" at a path where nothing lies: the deletion may come undone.
    EXPECT_FALSE(entryExists(path));
    EXPECT_EQ(display.reports,
              (std::vector<RunReport>{RunReport::afterPasses(RunNotice::DeletionUnflushed, path, {})}));
    EXPECT_TRUE(files.openHandles().empty());
}

// Where no private folder can be made, a folder others may change without the sticky bit never
// sees a deletion by name: the emptied file stays under its temporary name, and the box says where.
// The sticky bit keeps others from this user's names: there the file goes.
TEST_F(Disposal, AFolderOthersMayChangeSeesNoDeletionByName) {
    struct Case {
        mode_t mode;
        bool deleted;
    };
    for (const Case& c : {Case{0777, false}, Case{01777, true}, Case{0700, true}}) {
        SCOPED_TRACE(c.mode);
        TempFolder place;
        ::chmod(place.path().c_str(), c.mode);
        const std::string path = writeSample(place.file("brief.txt"), 5000);
        for (const int refusal : {0, EOPNOTSUPP}) {
            files.refusePrivateFolders = true;
            files.refuseRenamesWith = refusal;
            display.reports.clear();
            writeSample(path, 5000);
            destroy(path);
            const std::string at = place.file(refusal == 0 ? "07123509.del" : "brief.txt");
            EXPECT_EQ(entryExists(at), !c.deleted) << refusal;
            EXPECT_EQ(display.successVisible, c.deleted) << refusal;
            if (!c.deleted) {
                EXPECT_EQ(readBytes(at).size(), 0u) << "the content is gone all the same";
                EXPECT_EQ(display.reports,
                          (std::vector<RunReport>{RunReport::afterPasses(RunNotice::LeftEmptied, at, {})}));
                std::filesystem::remove(at);
            }
        }
    }
}

// The private folder's name cannot be guessed from the date and time: two runs in the same
// second make two names.
TEST_F(Disposal, ThePrivateFolderHasANameNoOneCanMakeBeforehand) {
    std::set<std::string> names;
    for (int run = 0; run < 2; ++run) {
        const std::string path = writeSample(folder.file("brief" + std::to_string(run)), 100);
        files.failRemoveAt = run + 1;
        destroy(path);
        names.insert(asideFolderIn(folder.path(), "07123509.del"));
        std::filesystem::remove_all(folder.file(asideFolderIn(folder.path(), "07123509.del")));
    }
    EXPECT_EQ(names.size(), 2u);
}

TEST_F(Disposal, AReadOnlyFileIsMadeWritableOnceAndDisposedOf) {
    const std::string path = writeSample(folder.file("nurlesen"), 100);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(attributesOf(files, path), kAttrReadOnly);
    EXPECT_FALSE(mod::AttributesOk(kAttrReadOnly));
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
    EXPECT_EQ(display.reports, (std::vector<RunReport>{RunReport::afterPasses(RunNotice::NotDeleted, path, {})}));
}

// Deleted by someone else mid-run, the file was still overwritten through the descriptor the run
// holds, and read back from it: gone, and proven.
TEST_F(Disposal, AFileDeletedByAnotherProgramMidRunIsStillOverwrittenAndProven) {
    const std::string path = writeSample(folder.file("weg"), 100000);
    const std::string other = writeSample(folder.file("andere"), 300);
    files.afterFlush = [&](int) { std::filesystem::remove(path); };
    destroy(path);
    EXPECT_EQ(display.reports, (std::vector<RunReport>{RunReport::afterPasses(RunNotice::NameGone, path, {})}));
    EXPECT_TRUE(display.successVisible);
    EXPECT_EQ(readBytes(other), sampleBytes(300));
    EXPECT_TRUE(disposalLeftovers(folder.path()).empty());
}

TEST_F(Disposal, AnImmutableFileLeftAtThePathIsNeverCalledDestroyed) {
    const std::string path = writeSample(folder.file("fest"), 5000);
    bool flagged = false;
    // The flag appears after the last pass: the system-file rule must not count the file as gone.
    files.afterFlush = [&](int) { flagged = setInodeFlag(path, FS_IMMUTABLE_FL, true); };
    destroy(path);
    if (!flagged)
        GTEST_SKIP() << "this file system or process cannot set the immutable flag";
    EXPECT_TRUE(entryExists(path));
    EXPECT_FALSE(display.successVisible);
    EXPECT_EQ(notices(), (std::vector<RunNotice>{RunNotice::Unchangeable}));
}

TEST_F(Disposal, AttributeWordReflectsWriteBitAndUndeletableFlags) {
    const std::string path = writeSample(folder.file("attr"), 10);
    EXPECT_EQ(attributesOf(files, path), kAttrNormal);
    EXPECT_TRUE(mod::AttributesOk(kAttrNormal));
    EXPECT_EQ(files.pin(folder.file("fehlt")).error, ENOENT);
    EXPECT_EQ(attributesOf(files, folder.file("fehlt")), kAttrQueryFailed);

    for (int flag : {FS_IMMUTABLE_FL, FS_APPEND_FL}) {
        if (!setInodeFlag(path, flag, true))
            GTEST_SKIP() << "this file system or process cannot set inode flags";
        EXPECT_FALSE(FilePin::of(files, path).has_value()) << "a system file is not found";
        const auto held = files.pin(path);
        ASSERT_TRUE(held.ok());
        EXPECT_TRUE(held.value.status.unchangeable) << "nothing short of privilege can remove it";
        EXPECT_TRUE(files.resetAttributes(held.value.handle).ok());
        files.unpin(held.value.handle);
        EXPECT_EQ(attributesOf(files, path), kAttrNormal);
        EXPECT_TRUE(FilePin::of(files, path).has_value());
    }
}

} // namespace
} // namespace kelvanter::testing
