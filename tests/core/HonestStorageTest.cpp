// What the program says about where a file's old data may survive: synchronised folders, and the
// way out where a file system can neither rename without replacing nor link.
#include "core/OverwriteProof.h"
#include "support/CoreFixture.h"

#include <filesystem>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

using SynchronisedFolders = CoreFixture;

// Each service's marker at the top of a synchronised tree, the file two folders below it.
TEST_F(SynchronisedFolders, AMarkerAboveTheFileGivesTheDoubtAndTheBoxNeverTheLabel) {
    struct Case {
        std::string marker;
        bool folder;
        std::string provider; // empty: an ordinary folder
    };
    for (const Case& c : {Case{".sync_4f2a9c.db", false, "Nextcloud"}, Case{"._sync_1a2b.db", false, "Nextcloud"},
                          Case{".dropbox.cache", true, "Dropbox"}, Case{".dropbox", false, "Dropbox"},
                          Case{".stfolder", true, "Syncthing"}, Case{".stversions", true, ""}}) {
        TempFolder tree;
        if (c.folder)
            fs::create_directory(tree.path() / c.marker);
        else
            writeSample(tree.file(c.marker), 10);
        fs::create_directories(tree.path() / "Projekte" / "2026");
        const std::string path = writeSample(tree.file("Projekte/2026/angebot.txt"), 5000);
        auto target = DestructionTarget::lookUp(files, process, path);
        ASSERT_TRUE(target.has_value());
        const Doubts doubts = doubtsFrom(target->storage);
        display.reports.clear();
        display.successVisible = false;
        destroy(std::move(*target));
        EXPECT_FALSE(entryExists(path)) << c.marker;
        if (c.provider.empty()) {
            EXPECT_TRUE(doubts.empty()) << c.marker;
            EXPECT_TRUE(display.successVisible) << c.marker;
            continue;
        }
        const Doubts synced = {{DoubtKind::SyncedFolder, c.provider}};
        EXPECT_EQ(doubts, synced) << c.marker;
        EXPECT_FALSE(display.successVisible) << c.marker;
        EXPECT_EQ(display.reports, (std::vector<RunReport>{{RunNotice::DeletedUnproven, path, 0, synced}}));
    }
}

using RenameRefused = CoreFixture;

// Where neither a rename without replacing nor a link is possible, the emptied file is deleted
// under its own name. Any other refusal (EPERM in a sticky folder) deletes nothing by name in a
// folder others may write: the emptied file stays, and a name that is taken is never replaced.
TEST_F(RenameRefused, TheEmptiedFileGoesUnderItsOwnNameButNothingIsEverReplaced) {
    struct Case {
        int error;
        bool deleted;
    };
    for (const Case& c :
         {Case{EOPNOTSUPP, true}, Case{EPERM, false}, Case{EINVAL, false}, Case{EEXIST, false}, Case{EACCES, false}}) {
        const std::string path = writeSample(folder.file("brief-" + std::to_string(c.error)), 5000);
        files.refuseRenamesWith = c.error;
        display.reports.clear();
        display.successVisible = false;
        destroy(path);
        EXPECT_EQ(entryExists(path), !c.deleted) << c.error;
        EXPECT_EQ(display.successVisible, c.deleted) << c.error;
        EXPECT_TRUE(disposalLeftovers(folder.path()).empty()) << c.error;
        if (!c.deleted) {
            EXPECT_EQ(readBytes(path).size(), 0u) << "left emptied, " << c.error;
            EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::NotDeleted});
        }
    }
}

// Deleting by the file's own name is the one step no private folder guards: a file swapped in
// just before it is left alone.
TEST_F(RenameRefused, AFileSwappedInBeforeTheDeleteByItsOwnNameSurvives) {
    const std::string path = writeSample(folder.file("brief"), 5000);
    files.refuseRenamesWith = EOPNOTSUPP;
    files.beforeRename = [&](const std::string&, const std::string&) {
        std::filesystem::rename(path, folder.file("weggeschoben"));
        writeSample(path, 3333);
    };
    destroy(path);
    EXPECT_EQ(readBytes(path), sampleBytes(3333));
    EXPECT_EQ(display.reports,
              (std::vector<RunReport>{RunReport::afterPasses(RunNotice::Replaced, path, {}, 0, path)}));
    EXPECT_FALSE(display.successVisible);
}

} // namespace
} // namespace kelvanter::testing
