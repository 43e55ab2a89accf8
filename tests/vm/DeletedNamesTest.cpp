// FAT32, FAT16 and exFAT keep a deleted file's name in its folder's slots, where undelete tools
// read it, and a stick in use has free slots everywhere from earlier deletions. After the destroy,
// no four characters of the name may be left anywhere on the device: not in UTF-16 (the long name),
// not in the 8.3 entry's code page, not in UTF-8.
#include "GuestDevices.h"
#include "GuestFileSystems.h"
#include "core/DestructionList.h"
#include "core/HeldFolder.h"
#include "core/OverwritePasses.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"
#include "window/BoxTexts.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <set>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

// Every run of five characters of the text, as it would stand on the device.
std::vector<std::string> runsOfFive(const std::string& text) {
    std::vector<std::string> runs;
    for (std::size_t at = 0; at + 5 <= text.size(); ++at)
        runs.push_back(text.substr(at, 5));
    return runs;
}

// The characters of a UTF-8 name, each as a code point.
std::vector<char32_t> codePoints(const std::string& name) {
    std::vector<char32_t> points;
    for (std::size_t at = 0; at < name.size();) {
        const auto lead = static_cast<unsigned char>(name[at]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int next = 1; next < length; ++next)
            point = (point << 6) | (static_cast<unsigned char>(name[at + next]) & 0x3F);
        points.push_back(point);
        at += length;
    }
    return points;
}

// A code point as it stands on the device: in UTF-16LE (the long name), in the 8.3 entry's code
// page, upper case (437 and 850 agree on the letters of these names), or in UTF-8.
enum class Encoding { Utf16, ShortEntry, Utf8 };

std::string encoded(char32_t point, Encoding encoding) {
    if (encoding == Encoding::Utf16)
        return {static_cast<char>(point & 0xFF), static_cast<char>(point >> 8)};
    if (encoding == Encoding::Utf8) {
        if (point < 0x80)
            return std::string(1, static_cast<char>(point));
        return {static_cast<char>(0xC0 | (point >> 6)), static_cast<char>(0x80 | (point & 0x3F))};
    }
    switch (point) {
    case U'ä':
    case U'Ä':
        return "\x8E";
    case U'ö':
    case U'Ö':
        return "\x99";
    case U'ü':
    case U'Ü':
        return "\x9A";
    default:
        return std::string(1, static_cast<char>(std::toupper(static_cast<int>(point))));
    }
}

// Every run of four characters of the name, in every encoding a FAT or exFAT device holds it in.
std::vector<std::string> runsOfFour(const std::string& name) {
    const std::vector<char32_t> points = codePoints(name);
    std::vector<std::string> runs;
    for (const Encoding encoding : {Encoding::Utf16, Encoding::ShortEntry, Encoding::Utf8}) {
        for (std::size_t at = 0; at + 4 <= points.size(); ++at) {
            std::string run;
            for (std::size_t point = at; point < at + 4; ++point)
                run += encoded(points[point], encoding);
            runs.push_back(run);
        }
    }
    return runs;
}

// The patterns found anywhere in the file, in one pass over it.
std::vector<std::string> foundIn(const std::string& path, const std::vector<std::string>& patterns) {
    const std::vector<unsigned char> bytes = readBytes(path);
    std::vector<bool> starts(65536, false);
    for (const std::string& pattern : patterns)
        starts[static_cast<unsigned char>(pattern[0]) << 8 | static_cast<unsigned char>(pattern[1])] = true;
    std::set<std::string> found;
    for (std::size_t at = 0; at + 1 < bytes.size(); ++at) {
        if (!starts[bytes[at] << 8 | bytes[at + 1]])
            continue;
        for (const std::string& pattern : patterns) {
            if (at + pattern.size() <= bytes.size() && std::memcmp(&bytes[at], pattern.data(), pattern.size()) == 0)
                found.insert(pattern);
        }
    }
    return {found.begin(), found.end()};
}

// What the folder held before the file: nothing, one file deleted since, or fifty.
enum class Before { Nothing, OneLongName, OneShortName, Fifty };

struct NameCase {
    const GuestFileSystem* system;
    const char* systemLabel;
    const char* nameLabel;
    std::string name;
    Before before;
};

std::string labelOf(const NameCase& c) {
    const char* before[] = {"Fresh", "AfterALongName", "AfterAShortName", "AfterFifty"};
    return std::string(c.systemLabel) + c.nameLabel + before[static_cast<int>(c.before)];
}

// Names that share no four characters with the files destroyed.
std::vector<std::string> earlierNames(Before before) {
    if (before == Before::OneLongName)
        return {std::string(36, 'q') + ".odf"};
    if (before == Before::OneShortName)
        return {"QVW.ODF"};
    std::vector<std::string> names;
    for (int index = 0; before == Before::Fifty && index < 50; ++index)
        names.push_back(std::string(1 + index * 7 % 40, "qvwxyz"[index % 6]) + std::to_string(index) + ".odf");
    return names;
}

const std::vector<std::pair<std::string, std::size_t>> kBystanders = {
    {"Notizen_zum_Umzug.odt", 4000}, {"Rechnung.ods", 5000}, {"foto.jpg", 6000}};

// A stick's image in a folder of the test's, and the services that destroy on it.
class StickImage {
protected:
    StickImage() { fs::create_directory(mountPoint); }

    TempFolder folder{"/tmp"};
    const std::string image = folder.file("stick.img");
    const std::string mountPoint = folder.file("mnt");
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
};

// Every name and history of a file system in a folder of its own on one image, as a stick in use
// holds many folders: each file is destroyed in its folder, then the image is checked once.
class DeletedNames : public StickImage, public ::testing::TestWithParam<const GuestFileSystem*> {
protected:
    // Bystanders on both sides of the file in the folder's slots, and the earlier files made
    // before it and deleted since, as on a stick in use.
    void fillFolder(const std::string& into, const std::string& name, Before before) {
        fs::create_directory(into);
        writeSample(into + "/" + kBystanders[0].first, kBystanders[0].second);
        const std::vector<std::string> earlier = earlierNames(before);
        for (const std::string& file : earlier)
            writeSample(into + "/" + file, 100);
        std::ofstream(into + "/" + name) << markedLines("KELVANTER-MARKE-", 500);
        for (std::size_t index = 1; index < kBystanders.size(); ++index)
            writeSample(into + "/" + kBystanders[index].first, kBystanders[index].second);
        for (const std::string& file : earlier)
            fs::remove(into + "/" + file);
    }

    // Each case's folder: a name of three characters that shares none with the files destroyed.
    static std::string folderOf(std::size_t index) { return "A" + std::to_string(10 + index); }
};

std::vector<NameCase> nameCases(const GuestFileSystem* system);

TEST_P(DeletedNames, NoRunOfTheNameIsLeftWhereverEarlierDeletionsLeftSlots) {
    const std::vector<NameCase> cases = nameCases(GetParam());
    ASSERT_TRUE(makeImage(*GetParam(), image));
    LoopDevice loop(image);
    {
        Mounted mounted(loop.path(), mountPoint);
        ASSERT_TRUE(mounted.ok());
        for (std::size_t index = 0; index < cases.size(); ++index)
            fillFolder(mountPoint + "/" + folderOf(index), cases[index].name, cases[index].before);
        ASSERT_TRUE(run("sync"));
        for (std::size_t index = 0; index < cases.size(); ++index) {
            SCOPED_TRACE(labelOf(cases[index]));
            const std::string file = mountPoint + "/" + folderOf(index) + "/" + cases[index].name;
            RecordingDisplay display;
            ByteCounters counters;
            vesk(CoreContext{display, display, files, process, clock}, counters, file, display.modes());
            EXPECT_TRUE(display.successVisible)
                << (display.reports.empty() ? "" : boxTexts::reasons(display.reports[0].doubts));
            EXPECT_FALSE(entryExists(file));
        }
    }
    EXPECT_TRUE(run(std::string(GetParam()->fsck) + " " + loop.path())) << "the file system is clean afterwards";
    // One pass over the image for every name; the same name stands in several folders, so what is
    // left is named by the name.
    std::vector<std::string> runs;
    for (const NameCase& c : cases) {
        for (const std::string& run : runsOfFour(c.name))
            runs.push_back(run);
    }
    const std::vector<std::string> left = foundIn(image, runs);
    for (const NameCase& c : cases) {
        for (const std::string& run : runsOfFour(c.name)) {
            EXPECT_EQ(std::count(left.begin(), left.end(), run), 0)
                << "a run of " << c.nameLabel << " is on the device, in one of its folders";
        }
    }
    Mounted again(loop.path(), mountPoint);
    ASSERT_TRUE(again.ok());
    for (std::size_t index = 0; index < cases.size(); ++index) {
        SCOPED_TRACE(labelOf(cases[index]));
        const std::string akten = mountPoint + "/" + folderOf(index);
        for (const auto& [name, size] : kBystanders)
            EXPECT_EQ(readBytes(akten + "/" + name), sampleBytes(size)) << name;
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(akten))
            ++entries;
        EXPECT_EQ(entries, kBystanders.size()) << "nothing but the bystanders is left in the folder";
    }
}

const std::string kUmlautName = "K\xC3\xBCndigung_M\xC3\xBCller.pdf";
const std::string kLongName = [] {
    std::string name;
    while (name.size() < 196)
        name += "Sehr_langer_Dateititel_mit_\xC3\xA4\xC3\xB6\xC3\xBC_";
    return name.substr(0, 196) + ".doc";
}();

std::vector<NameCase> nameCases(const GuestFileSystem* system) {
    std::vector<NameCase> cases;
    const std::pair<const GuestFileSystem*, const char*> systems[] = {
        {&kFat32, "Fat32"}, {&kFat16, "Fat16"}, {&kExfat, "Exfat"}};
    const std::pair<const char*, std::string> names[] = {
        {"Umlauts", kUmlautName}, {"ShortName", "GEHEIM.TXT"}, {"LongName", kLongName}};
    for (const auto& [guest, systemLabel] : systems) {
        for (const auto& [nameLabel, name] : names) {
            for (const Before before : {Before::Nothing, Before::OneLongName, Before::OneShortName, Before::Fifty}) {
                if (guest == system)
                    cases.push_back({guest, systemLabel, nameLabel, name, before});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Slots, DeletedNames, ::testing::Values(&kFat32, &kFat16, &kExfat), [](const auto& info) {
    return std::string(info.param == &kFat16 ? "Fat16" : info.param == &kFat32 ? "Fat32" : "Exfat");
});

// A folder given for destruction: its files go, then the folder, its name first through the
// neutral renames; no part of the folder's name or of its files' names is left on the device.
class DeletedFolderNames : public StickImage, public ::testing::TestWithParam<const GuestFileSystem*> {};

TEST_P(DeletedFolderNames, NoPartOfADestroyedFoldersNamesIsLeftOnTheDevice) {
    const GuestFileSystem& system = *GetParam();
    ASSERT_TRUE(makeImage(system, image));
    LoopDevice loop(image);
    const std::string folderName = "Vertrauliche_Unterlagen_Mueller";
    const std::vector<std::string> names = {"Arbeitsvertrag_Entwurf_2026.pdf", "Gehaltsabrechnung_Oktober.txt"};
    {
        Mounted mounted(loop.path(), mountPoint);
        ASSERT_TRUE(mounted.ok());
        const std::string tree = mountPoint + "/" + folderName;
        fs::create_directories(tree + "/Unterordner_Privat");
        std::ofstream(tree + "/" + names[0]) << markedLines("KELVANTER-MARKE-", 300);
        std::ofstream(tree + "/Unterordner_Privat/" + names[1]) << markedLines("KELVANTER-MARKE-", 300);
        writeSample(mountPoint + "/Notizen_zum_Umzug.txt", 3000);
        ASSERT_TRUE(run("sync"));
        DestructionList walked(files, process);
        walked.add({tree});
        ASSERT_EQ(walked.files().size(), 2u);
        for (std::size_t index = 0; index < walked.files().size(); ++index) {
            const std::string path = walked.files()[index].path();
            DestructionList::Turn turn = walked.take(index);
            ASSERT_TRUE(turn.target) << path;
            RecordingDisplay display;
            ByteCounters counters;
            vesk(CoreContext{display, display, files, process, clock}, counters, std::move(*turn.target),
                 display.modes());
            walked.endTurn(index);
            EXPECT_TRUE(display.successVisible) << path;
        }
        EXPECT_TRUE(walked.removeEmptiedFolders().empty());
        EXPECT_FALSE(entryExists(tree));
    }
    EXPECT_TRUE(run(std::string(system.fsck) + " " + loop.path())) << "the file system is clean afterwards";
    std::vector<std::string> runs;
    for (const std::string& name : {folderName, std::string("Unterordner_Privat"), names[0], names[1]}) {
        for (const std::string& run : runsOfFive(name))
            runs.push_back(utf16le(run));
    }
    // One pass over the image for all of them.
    const std::vector<std::string> found = foundIn(image, runs);
    EXPECT_TRUE(found.empty()) << found.size() << " runs of the names are on the device";
    EXPECT_EQ(countIn(image, "KELVANTER-MARKE-"), 0u);
    EXPECT_GT(countIn(image, utf16le("Notiz")), 0u) << "the bystander's name stays";
}

INSTANTIATE_TEST_SUITE_P(Folders, DeletedFolderNames, ::testing::Values(&kFat32, &kExfat),
                         [](const auto& info) { return std::string(info.param->name); });

} // namespace
} // namespace kelvanter::testing
