// Files swapped in by another program at the steps of the disposal that go by name, on every system.
#include "core/ModDestroyFile.h"
#include "support/CoreFixture.h"
#include "support/WrittenNames.h"

#include <filesystem>
#include <utility>

namespace kelvanter::testing {
namespace {

using SwapAtDisposal = CoreFixture;

// Another program swaps a file of its own in at each step that goes by name: the swapped-in file
// keeps its content and ends under the file's own name, the emptied file is left where the swapper
// put it, and the window never says the file was destroyed.
TEST_F(SwapAtDisposal, AFileSwappedInAtAnyStepByNameSurvivesAndIsNamedInABox) {
    enum class Step { BeforeTheDisposal, BeforeTheMove, AfterTheMoveAside, AfterTheMoveInPlace };
    struct Case {
        Step step;
        std::string where; // where the file lies at that step, in the test's folder
    };
    const Case cases[] = {
        {Step::BeforeTheDisposal, "brief.txt"},
        {Step::BeforeTheMove, "brief.txt"},
        {Step::AfterTheMoveAside, "the private folder"},
        {Step::AfterTheMoveInPlace, "07123509.del"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        TempFolder place;
        const std::string path = writeSample(place.file("brief.txt"), 5000);
        const std::string movedAway = place.file("weggeschoben");
        bool tried = false;
        bool swapped = false;
        const auto swap = [&] {
            if (std::exchange(tried, true))
                return;
            const std::string at =
                place.file(c.step == Step::AfterTheMoveAside ? asideEntryIn(place.path(), "07123509.del") : c.where);
            std::error_code refused;
            std::filesystem::rename(at, movedAway, refused);
            swapped = !refused;
            if (swapped)
                writeSample(at, 3333);
        };
        files.refusePrivateFolders = c.step == Step::AfterTheMoveInPlace;
        files.beforeCut = c.step == Step::BeforeTheDisposal ? std::function<void()>(swap) : nullptr;
        files.beforeRename = [&](const std::string&, const std::string&) {
            if (c.step == Step::BeforeTheMove)
                swap();
        };
        files.afterRename = [&](const std::string&, const std::string&) {
            if (c.step == Step::AfterTheMoveAside || c.step == Step::AfterTheMoveInPlace)
                swap();
        };
        display.reports.clear();
        display.successVisible = false;

        destroy(path);

        ASSERT_TRUE(tried);
        if (!swapped) {
            // Windows lets no other program move a file the run holds open for writing.
            EXPECT_EQ(c.step, Step::BeforeTheDisposal);
            EXPECT_FALSE(entryExists(path));
            EXPECT_TRUE(display.successVisible);
            continue;
        }
        EXPECT_EQ(readBytes(path), sampleBytes(3333)) << "the swapped-in file is back under the name, unchanged";
        EXPECT_EQ(readBytes(movedAway).size(), 0u) << "the file the run held was emptied, not deleted";
        EXPECT_FALSE(display.successVisible);
        EXPECT_EQ(display.reports,
                  (std::vector<RunReport>{RunReport::afterPasses(RunNotice::Replaced, path, {}, 0, path)}));
        EXPECT_TRUE(disposalLeftovers(place.path()).empty());
        EXPECT_TRUE(files.openHandles().empty());
    }
}

// Where the swapped-in file cannot go back under the name (another file took it), it stays under
// the temporary name and the box says so.
TEST_F(SwapAtDisposal, ASwappedInFileThatCannotGoBackIsNamedWhereItStays) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    files.afterRename = [&](const std::string& from, const std::string&) {
        if (from != "brief.txt")
            return;
        const std::string aside = folder.file(asideEntryIn(folder.path(), "07123509.del"));
        std::filesystem::rename(aside, folder.file("weggeschoben"));
        writeSample(aside, 3333);
        std::filesystem::create_directory(path); // the name is taken by a folder now
    };

    destroy(path);

    const std::string leftAt = folder.file("07123509.del");
    EXPECT_EQ(readBytes(leftAt), sampleBytes(3333));
    EXPECT_EQ(display.reports,
              (std::vector<RunReport>{RunReport::afterPasses(RunNotice::Replaced, path, {}, 0, leftAt)}));
    EXPECT_FALSE(display.successVisible);
}

// Where no folder can be made beside the file, it is renamed within its folder: a file under the
// temporary name is never replaced, and the user is told.
TEST_F(SwapAtDisposal, ABystanderUnderTheTemporaryNameSurvivesAndTheUserIsTold) {
    const std::string path = writeSample(folder.file("brief.txt"), 5000);
    const std::string bystander = writeSample(folder.file("07123509.del"), 777);
    files.refusePrivateFolders = true;

    destroy(path);

    EXPECT_EQ(readBytes(bystander), sampleBytes(777));
    EXPECT_TRUE(entryExists(path));
    EXPECT_EQ(readBytes(path).size(), 0u);
    EXPECT_FALSE(display.successVisible);
    ASSERT_EQ(display.reports,
              (std::vector<RunReport>{RunReport::afterPasses(RunNotice::NotDeleted, path, {}, EEXIST)}));
    EXPECT_EQ(display.percentCaption, "0 %");
    EXPECT_EQ(display.background, kEmptyBarColor);
    EXPECT_TRUE(display.enabled);
}

} // namespace
} // namespace kelvanter::testing
