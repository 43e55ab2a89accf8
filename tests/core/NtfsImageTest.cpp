// NTFS as Linux reaches it: ntfs-3g over FUSE on a loop-mounted image, as on a USB disk sold
// formatted so. After the run, with the image unmounted: no line of the file and no five
// characters of its name anywhere on it (its folder's index and records included), the bystanders
// whole, the file system clean; and the words true: a local disk, destroyed where the read-back
// reached the device.
#include "core/FreeSpace.h"
#include "core/OverwritePasses.h"
#include "core/QuietDisplay.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"
#include "support/WrittenNames.h"
#include "window/FreeSpaceTexts.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMark = "KELVANTER-MARKE-";
const std::string kName = "Kuendigung_Mueller_Geheim_2026.txt";

std::string markedLines(int lines) {
    std::string text;
    for (int line = 0; line < lines; ++line)
        text += kMark + std::to_string(100000 + line) + " vertraulich\n";
    return text;
}

// The runs of five characters of the name that stand anywhere on the image.
std::vector<std::string> nameRunsOn(const std::string& image) {
    std::vector<std::string> found;
    for (std::size_t at = 0; at + 5 <= kName.size(); ++at) {
        if (countIn(image, utf16le(kName.substr(at, 5))) > 0)
            found.push_back(kName.substr(at, 5));
    }
    return found;
}

// Bystanders' names share no five characters with the file's.
std::string bystanderName(int index) {
    return "Notiz_" + std::string(1, static_cast<char>('a' + index % 26)) +
           std::string(1, static_cast<char>('a' + index / 26)) + ".odt";
}

struct NtfsCase {
    const char* label;
    int lines;  // of the file: 20,000 fill blocks of their own, 8 (280 bytes) fit in its MFT record
    int folder; // files in its folder, the file among them
    bool intensive;
};

void PrintTo(const NtfsCase& c, std::ostream* out) {
    *out << c.label;
}

class NtfsImage : public ::testing::Test {
protected:
    std::optional<std::string> refusal() {
        if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0 || !run("command -v mkntfs ntfs-3g"))
            return std::string("needs root, /dev/fuse, mkntfs and ntfs-3g");
        return image.mount("mkntfs -F -q -f", "", "64M");
    }

    std::string folderPath() const { return image.mountPoint() + "/Akten"; }

    void fillFolder(int files, const std::string& target) {
        fs::create_directory(folderPath());
        for (int index = 0; index + 1 < files; ++index)
            writeSample(folderPath() + "/" + bystanderName(index), 700 + static_cast<std::size_t>(index) * 1000);
        std::ofstream(folderPath() + "/" + kName, std::ios::binary) << target;
        ASSERT_TRUE(run("sync"));
    }

    TempFolder folder{"/tmp"};
    LoopImage image{folder.path()};
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
    RecordingDisplay display;
    ByteCounters counters;
};

class NtfsImages : public NtfsImage, public ::testing::WithParamInterface<NtfsCase> {};

TEST_P(NtfsImages, NoLineAndNoPartOfTheNameIsLeftAndTheWordsAreTrue) {
    const NtfsCase& c = GetParam();
    if (const auto refused = refusal())
        GTEST_SKIP() << *refused;
    fillFolder(c.folder, markedLines(c.lines));
    const std::string path = folderPath() + "/" + kName;
    auto target = DestructionTarget::lookUp(files, process, path);
    ASSERT_TRUE(target.has_value());
    const StorageFacts facts = target->storage.facts.value;
    EXPECT_EQ(facts.fileSystem, "ntfs");
    EXPECT_EQ(facts.kind, StorageKind::InPlace) << "a local disk, not a network";
    EXPECT_FALSE(facts.readBackThroughDriver) << "root reads the device itself";
    const bool resident = c.lines < 100;
    EXPECT_EQ(doubtsFrom(target->storage), resident ? Doubts{{DoubtKind::InsideRecord}} : Doubts{});

    display.selectMode(c.intensive);
    const Verdict verdict =
        vesk(CoreContext{display, display, files, process, clock}, counters, std::move(*target), display.modes());
    EXPECT_FALSE(entryExists(path));
    EXPECT_EQ(verdict, resident ? Verdict::DeletedUnproven : Verdict::Destroyed);
    EXPECT_EQ(display.successVisible, !resident);
    ASSERT_TRUE(image.unmount());

    EXPECT_EQ(countIn(image.image(), kMark), 0u) << "lines of the file on the image";
    EXPECT_EQ(nameRunsOn(image.image()), std::vector<std::string>{}) << "pieces of the name on the image";
    EXPECT_TRUE(run("ntfsfix -n " + image.image())) << "the file system is clean";
    const std::string listing = folder.file("fls.txt");
    ASSERT_TRUE(run("fls -r -d -p " + image.image() + " > " + listing + " 2>&1 || true"));
    EXPECT_TRUE(nameRunsOn(listing).empty() && countIn(listing, kName.substr(0, 5)) == 0)
        << "fls lists the deleted name";
    ASSERT_TRUE(run("mount -o loop,ro " + image.image() + " " + image.mountPoint()));
    for (int index = 0; index + 1 < c.folder; ++index)
        EXPECT_EQ(readBytes(folderPath() + "/" + bystanderName(index)),
                  sampleBytes(700 + static_cast<std::size_t>(index) * 1000))
            << bystanderName(index);
    EXPECT_TRUE(run("umount " + image.mountPoint()));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, NtfsImages,
    ::testing::Values(NtfsCase{"LargeInTwoNormal", 20000, 2, false}, NtfsCase{"LargeInTwoIntensive", 20000, 2, true},
                      NtfsCase{"LargeInFortyNormal", 20000, 40, false},
                      NtfsCase{"LargeInFortyIntensive", 20000, 40, true}, NtfsCase{"SmallInTwoNormal", 8, 2, false},
                      NtfsCase{"SmallInTwoIntensive", 8, 2, true}, NtfsCase{"SmallInFortyNormal", 8, 40, false},
                      NtfsCase{"SmallInFortyIntensive", 8, 40, true}),
    [](const auto& info) { return std::string(info.param.label); });

// NTFS keeps whole names in its folder's index blocks wherever a later file split one, and behind
// a leaf's end entry; the target made first among many, in the middle or last, with names of
// several lengths. Either no piece of the name is left on the image, or the run does not call it
// destroyed and says the name may still be readable. The private folder leaves no name of its own
// that tells of the program, and no ".del" name outside its own listing.
struct IndexCase {
    const char* label;
    std::size_t nameLength;
    int folder;
    enum { First, Middle, Last } place;
};

class NtfsFolderIndex : public NtfsImage, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(NtfsFolderIndex, NoPieceOfTheNameIsLeftOrTheNameIsSaidToBeKept) {
    const IndexCase& c = GetParam();
    if (const auto refused = refusal())
        GTEST_SKIP() << *refused;
    std::string name = "Kuendigung_Mueller_Geheim_";
    while (name.size() + 4 < c.nameLength)
        name += "Akte_";
    name = name.substr(0, c.nameLength - 4) + ".pdf";
    // Bystanders of the same length, of letters the name has none of, sorting before and after it.
    std::vector<std::string> bystanders;
    for (int index = 0; index + 1 < c.folder; ++index) {
        std::string other;
        for (std::size_t at = 0, seed = static_cast<std::size_t>(index) * 7919 + 13; other.size() + 4 < c.nameLength;
             ++at, seed = seed * 1103515245 + 12345)
            other += "bcjoqsvwxyz"[(seed >> 16) % 11];
        bystanders.push_back(other + ".txt");
    }
    const auto at = c.place == IndexCase::First ? bystanders.begin()
                    : c.place == IndexCase::Last
                        ? bystanders.end()
                        : bystanders.begin() + static_cast<std::ptrdiff_t>(bystanders.size() / 2);
    std::vector<std::string> order = bystanders;
    order.insert(order.begin() + (at - bystanders.begin()), name);
    fs::create_directory(folderPath());
    for (const std::string& file : order)
        writeSample(folderPath() + "/" + file, file == name ? 30000 : 500);
    ASSERT_TRUE(run("sync"));
    display.reports.clear();
    const Verdict verdict = vesk(CoreContext{display, display, files, process, clock}, counters,
                                 folderPath() + "/" + name, display.modes());
    const bool nameKeptSaid = std::any_of(display.reports.begin(), display.reports.end(), [](const RunReport& report) {
        return std::any_of(report.doubts.begin(), report.doubts.end(),
                           [](const Doubt& d) { return d.kind == DoubtKind::NameKept; });
    });
    ASSERT_TRUE(image.unmount());
    const std::size_t copies = countIn(image.image(), utf16le(name));
    std::cout << "ntfs index, " << c.label << ": " << copies << " copies of the name, verdict "
              << static_cast<int>(verdict) << ", "
              << (nameKeptSaid ? "the name said to be kept" : "nothing said of the name") << std::endl;
    if (copies > 0) {
        EXPECT_NE(verdict, Verdict::Destroyed);
        EXPECT_TRUE(nameKeptSaid);
    }
    const std::string listing = folder.file("fls.txt");
    ASSERT_TRUE(run("fls -r -d -p " + image.image() + " > " + listing + " 2>&1 || true"));
    std::ifstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find(".kelvanter-"), std::string::npos) << line;
        const auto del = line.find(".del");
        if (del == std::string::npos)
            continue;
        const auto slash = line.rfind('/', del);
        const auto folderStart = slash == std::string::npos ? std::string::npos : line.rfind('/', slash - 1);
        const std::string parent =
            slash == std::string::npos ? std::string() : line.substr(folderStart + 1, slash - folderStart - 1);
        EXPECT_TRUE(isAsideFolderName(parent)) << "a .del name outside the private folder: " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Names, NtfsFolderIndex,
                         ::testing::Values(IndexCase{"FirstAmong40Of35", 35, 40, IndexCase::First},
                                           IndexCase{"FirstAmong100Of35", 35, 100, IndexCase::First},
                                           IndexCase{"FirstAmong40Of20", 20, 40, IndexCase::First},
                                           IndexCase{"FirstAmong40Of100", 100, 40, IndexCase::First},
                                           IndexCase{"LastAmong200Of35", 35, 200, IndexCase::Last},
                                           IndexCase{"MiddleOf200Of35", 35, 200, IndexCase::Middle}),
                         [](const auto& info) { return std::string(info.param.label); });

// Small files deleted earlier keep their contents and names in their MFT records, which NTFS
// never clears; the fill takes every free record. The box names what no fill reaches.
TEST_F(NtfsImage, TheFillReachesTheRecordsOfSmallFilesDeletedEarlier) {
    if (const auto refused = refusal())
        GTEST_SKIP() << *refused;
    fs::create_directory(folderPath());
    constexpr int kSmallFiles = 40;
    for (int index = 0; index < kSmallFiles; ++index)
        std::ofstream(folderPath() + "/" + kName + std::to_string(index), std::ios::binary) << markedLines(8);
    std::ofstream(folderPath() + "/gross.txt", std::ios::binary) << markedLines(20000);
    ASSERT_TRUE(run("sync"));
    for (int index = 0; index < kSmallFiles; ++index)
        fs::remove(folderPath() + "/" + kName + std::to_string(index));
    fs::remove(folderPath() + "/gross.txt");
    ASSERT_TRUE(run("sync"));
    QuietDisplay quiet;
    FillCounters fill;
    const FillReport report = overwriteFreeSpace(FillContext{quiet, files, process, clock, fill}, image.mountPoint());
    ASSERT_EQ(report.end, FillEnd::Done) << report.error;
    ASSERT_TRUE(image.unmount());
    const std::size_t left = countIn(image.image(), kMark);
    std::cout << "free space, ntfs: " << left << " marked lines left of " << kSmallFiles * 8 + 20000 << ", "
              << report.recordsTaken << " free records taken, " << nameRunsOn(image.image()).size() << " of "
              << kName.size() - 4 << " runs of the small files' name left in folder indices" << std::endl;
    EXPECT_TRUE(report.recordsReached);
    EXPECT_EQ(left, 0u);
    const std::string said = freeSpaceTexts::result(report, image.mountPoint());
    const std::string unreached = "Nicht erreicht: die Namen früher gelöschter Dateien in den Einträgen ihrer Ordner.";
    EXPECT_EQ(said.substr(said.size() - std::min(said.size(), unreached.size())), unreached) << said;
}

} // namespace
} // namespace kelvanter::testing
