// A FAT folder puts every new name in the first run of free slots it fits in, so the neutral
// names that write over a file's name land wherever earlier deletions left holes. On a model of
// the folder's slots: after the churn and the file's departure, no slot holds a piece of its name.
#include "core/NameSlots.h"
#include "core/RunRecords.h"
#include "support/EnvironmentOverride.h"
#include "support/FatFolderModel.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

using modDestroyFile::overwriteNameSlots;

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The runs of four characters of the name that some slot still holds, in any case.
std::vector<std::string> runsLeft(const FatFolderModel& model, const std::string& name) {
    std::vector<std::string> left;
    for (std::size_t at = 0; at + 4 <= name.size(); ++at) {
        const std::string run = upper(name.substr(at, 4));
        for (const std::string& slot : model.slotTexts()) {
            if (upper(slot).find(run) != std::string::npos) {
                left.push_back(run);
                break;
            }
        }
    }
    return left;
}

enum class Before { Nothing, OneLongName, OneShortName, FiftyAssorted };

struct SlotCase {
    const char* label;
    Before before;
    std::string name;
};

void PrintTo(const SlotCase& c, std::ostream* out) {
    *out << c.label;
}

const std::string kLongUmlauts = [] {
    std::string name;
    while (name.size() < 200)
        name += "Sehr_langer_Name_mit_\xC3\xA4\xC3\xB6\xC3\xBC_";
    return name.substr(0, 200) + ".txt";
}();

class FatSlots : public ::testing::TestWithParam<SlotCase> {
protected:
    FatSlots() { environment.set("XDG_STATE_HOME", folder.file("zustand")); }

    // Files made before the file and deleted since, a bystander on either side.
    void fillFolder(Before before, const std::string& name) {
        model.make("VORHER.ODS");
        std::vector<std::string> earlier;
        if (before == Before::OneLongName)
            earlier.push_back("Alte_Datei_mit_einem_Namen_von_vierzig.txt");
        if (before == Before::OneShortName)
            earlier.push_back("ALT.TXT");
        for (int index = 0; before == Before::FiftyAssorted && index < 50; ++index)
            earlier.push_back(std::string(1 + index * 7 % 40, static_cast<char>('a' + index % 26)) + ".dat");
        for (const std::string& file : earlier)
            model.make(file);
        model.make(name);
        model.make("Nachbild.jpg");
        for (const std::string& file : earlier)
            model.drop(file);
    }

    // The churn, then the file leaves the folder.
    modDestroyFile::OverwrittenName churn(const std::string& name, DeletedNames kept) {
        HeldFolder held(model, FatFolderModel::kPath);
        const auto identity = held.identityOf(name);
        auto churned = overwriteNameSlots(held, name, identity.value, kept, {process, FatFolderModel::kPath});
        EXPECT_TRUE(held.removeUnflushed(churned.name).ok());
        return churned;
    }

    TempFolder folder;
    EnvironmentOverride environment;
    FatFolderModel model;
    PlatformProcess process;
};

TEST_P(FatSlots, NoSlotKeepsAPieceOfTheNameWhereverEarlierDeletionsLeftHoles) {
    const SlotCase& c = GetParam();
    fillFolder(c.before, c.name);
    const auto churned = churn(c.name, DeletedNames::FatSlots);
    EXPECT_TRUE(churned.complete);
    EXPECT_EQ(runsLeft(model, c.name), std::vector<std::string>{});
    for (const std::string& name : model.listed())
        EXPECT_TRUE(name == "VORHER.ODS" || name == "Nachbild.jpg") << "left in the folder: " << name;
    EXPECT_TRUE(model.holds("VORHER.ODS") && model.holds("Nachbild.jpg"));
    EXPECT_TRUE(removeKilledDisposals(model, process).empty()) << "no record outlives the churn";
}

INSTANTIATE_TEST_SUITE_P(
    Names, FatSlots,
    ::testing::Values(SlotCase{"Fresh", Before::Nothing, "K\xC3\xBCndigung_M\xC3\xBCller.pdf"},
                      SlotCase{"AfterALongName", Before::OneLongName, "K\xC3\xBCndigung_M\xC3\xBCller.pdf"},
                      SlotCase{"AfterAShortName", Before::OneShortName, "K\xC3\xBCndigung_M\xC3\xBCller.pdf"},
                      SlotCase{"AfterFifty", Before::FiftyAssorted, "K\xC3\xBCndigung_M\xC3\xBCller.pdf"},
                      SlotCase{"ShortAfterFifty", Before::FiftyAssorted, "GEHEIM.TXT"},
                      SlotCase{"ShortAfterALongName", Before::OneLongName, "GEHEIM.TXT"},
                      SlotCase{"LongAfterFifty", Before::FiftyAssorted, kLongUmlauts},
                      SlotCase{"LongAfterAShortName", Before::OneShortName, kLongUmlauts}),
    [](const auto& info) { return std::string(info.param.label); });

// The premise: renames alone, as on exFAT, leave the name in a FAT folder with one hole ahead.
TEST_F(FatSlots, RenamesAloneLeaveTheNameBehindAnEarlierDeletion) {
    const std::string name = "K\xC3\xBCndigung_M\xC3\xBCller.pdf";
    fillFolder(Before::OneLongName, name);
    churn(name, DeletedNames::ExfatEntries);
    EXPECT_FALSE(runsLeft(model, name).empty());
}

// Placeholders the churn could not remove stay noted, and the next start removes them, and only them.
TEST_F(FatSlots, PlaceholdersLeftBehindAreRemovedByTheNextStart) {
    const std::string name = "Vertrag_Entwurf.docx";
    fillFolder(Before::FiftyAssorted, name);
    model.refuseRemovalsWith = EIO;
    HeldFolder held(model, FatFolderModel::kPath);
    const auto identity = held.identityOf(name);
    overwriteNameSlots(held, name, identity.value, DeletedNames::FatSlots, {process, FatFolderModel::kPath});
    const std::size_t standing = model.listed().size();
    ASSERT_GT(standing, 3u) << "the placeholders stay";

    model.refuseRemovalsWith = 0;
    const std::vector<std::string> removed = removeKilledDisposals(model, process);
    EXPECT_EQ(removed.size(), standing - 3);
    EXPECT_EQ(model.listed().size(), 3u);
    EXPECT_TRUE(model.holds("VORHER.ODS") && model.holds("Nachbild.jpg"));
    EXPECT_TRUE(removeKilledDisposals(model, process).empty()) << "the record went with them";
}

} // namespace
} // namespace kelvanter::testing
