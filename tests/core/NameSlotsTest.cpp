// Where a folder keeps a deleted entry's name (FAT, exFAT), the disposal first renames the file
// through neutral names; here on this system's own file system, with the folder said to keep them.
#include "core/NameSlots.h"
#include "support/CoreFixture.h"

#include <algorithm>

namespace kelvanter::testing {
namespace {

class NameSlotsRun : public CoreFixture {
protected:
    NameSlotsRun() {
        files.deletedNames = DeletedNames::ExfatEntries;
        files.afterRename = [this](const std::string& from, const std::string& to) { moves.push_back({from, to}); };
    }
    std::vector<std::pair<std::string, std::string>> moves;
};

bool isNeutral(const std::string& name) {
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c == '_' || (c >= '0' && c <= '9'); });
}

TEST(NameSlots, CountTheNameInUtf16Units) {
    struct Case {
        const char* name;
        std::size_t units;
    };
    for (const Case& c : {Case{"brief.txt", 9},
                          Case{"K\xC3\xBC"
                               "ndigung",
                               9},
                          Case{"\xE2\x82\xAC", 1}, Case{"\xF0\x9F\x93\x84.txt", 6}, Case{"\xED\xA0\x80", 1}})
        EXPECT_EQ(modDestroyFile::utf16Length(c.name), c.units) << c.name;
}

// The name goes through neutral names before the file leaves for its temporary name: on exFAT
// first of its own length (rewritten in place), on NTFS first of one character (so that the index
// need not grow), then of its own length; then ever shorter ones, boundedly many.
TEST_F(NameSlotsRun, TheNameIsRenamedThroughNeutralNamesAsItsFileSystemNeedsThem) {
    struct Case {
        DeletedNames kept;
        std::vector<std::size_t> first;
    };
    const std::string name = "Kuendigung_Mueller_Geheim_2026_vertraulich.txt"; // 46 characters
    for (const Case& c : {Case{DeletedNames::ExfatEntries, {46, 46, 46}}, Case{DeletedNames::NtfsIndex, {1, 46, 46}}}) {
        files.deletedNames = c.kept;
        moves.clear();
        destroy(writeSample(folder.file(name), 5000));
        // The file's own moves, up to its temporary name; its private folder's follow.
        const auto last =
            std::find_if(moves.begin(), moves.end(), [](const auto& m) { return m.second == "07123509.del"; });
        ASSERT_NE(last, moves.end());
        moves.erase(last + 1, moves.end());
        ASSERT_GE(moves.size(), c.first.size() + 1);
        EXPECT_EQ(moves.front().first, name);
        std::vector<std::size_t> lengths;
        for (std::size_t step = 0; step + 1 < moves.size(); ++step) {
            EXPECT_TRUE(isNeutral(moves[step].second)) << moves[step].second;
            lengths.push_back(moves[step].second.size());
        }
        EXPECT_EQ(std::vector<std::size_t>(lengths.begin(), lengths.begin() + 3), c.first);
        EXPECT_TRUE(std::is_sorted(lengths.rbegin(), lengths.rend() - 1)) << "never longer again";
        EXPECT_EQ(lengths.back(), 1u);
        EXPECT_LE(moves.size(), 3u + 6u + 1u) << "three first, one per halving, then the temporary name";
        EXPECT_FALSE(entryExists(folder.file(name)));
    }
}

// A neutral name that is taken is passed over, never replaced; a folder that refuses the renames
// ends them, and the file is destroyed as before, but not called so: its name may stay.
TEST_F(NameSlotsRun, ATakenNameIsPassedOverAndARefusedRenameOnlyEndsTheChurn) {
    const std::string taken = writeSample(folder.file(std::string(12, '_')), 321);
    const std::string path = writeSample(folder.file("vertrag.docx"), 5000);
    destroy(path);
    EXPECT_EQ(readBytes(taken), sampleBytes(321));
    EXPECT_TRUE(display.successVisible);

    const std::string second = writeSample(folder.file("zweiter_vertrag.docx"), 5000);
    files.renameRefusal = [](const std::string&, const std::string& to) { return isNeutral(to) ? ENOSPC : 0; };
    display.successVisible = false;
    display.reports.clear();
    destroy(second);
    EXPECT_FALSE(entryExists(second));
    EXPECT_FALSE(display.successVisible) << "the name may stay in the folder: not called destroyed";
    EXPECT_EQ(display.reports,
              (std::vector<RunReport>{{RunNotice::DeletedUnproven, second, 0, {{DoubtKind::NameKept}}}}));
    EXPECT_EQ(readBytes(taken), sampleBytes(321));
}

// A file swapped in under a neutral name is given back under the file's own name, untouched.
TEST_F(NameSlotsRun, AFileSwappedInDuringTheChurnSurvivesUnderTheName) {
    const std::string path = writeSample(folder.file("geheim.txt"), 5000);
    files.afterRename = [&](const std::string&, const std::string& to) {
        if (to != "__________")
            return;
        std::filesystem::rename(folder.file(to), folder.file("weggeschoben"));
        writeSample(folder.file(to), 3333);
        files.afterRename = nullptr;
    };
    destroy(path);
    EXPECT_EQ(readBytes(path), sampleBytes(3333));
    EXPECT_EQ(display.reports,
              (std::vector<RunReport>{RunReport::afterPasses(RunNotice::Replaced, path, {}, 0, path)}));
    EXPECT_FALSE(display.successVisible);
}

// Where the move to the temporary name is refused, the emptied file goes back under its own name,
// or, where that has been taken meanwhile, the box names the neutral name it lies under.
TEST_F(NameSlotsRun, ARefusedMoveLeavesTheEmptiedFileWhereTheBoxSays) {
    for (const bool ownNameTaken : {false, true}) {
        const std::string path = writeSample(folder.file("protokoll.txt"), 5000);
        files.renameRefusal = [&](const std::string&, const std::string& to) {
            if (to != "07123509.del")
                return 0;
            if (ownNameTaken)
                writeSample(path, 77);
            return EACCES;
        };
        display.reports.clear();
        destroy(path);
        ASSERT_EQ(display.reports.size(), 1u);
        EXPECT_EQ(display.reports[0].notice, RunNotice::NotDeleted);
        EXPECT_FALSE(display.successVisible);
        const std::string named = display.reports[0].path;
        EXPECT_EQ(named == path, !ownNameTaken) << named;
        EXPECT_EQ(std::filesystem::file_size(named), 0u) << "the emptied file lies where the box says";
        if (ownNameTaken) {
            EXPECT_EQ(readBytes(path), sampleBytes(77));
        }
        files.renameRefusal = nullptr;
        std::filesystem::remove_all(folder.path());
        std::filesystem::create_directory(folder.path());
    }
}

} // namespace
} // namespace kelvanter::testing
