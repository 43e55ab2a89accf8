// FAT32 and exFAT keep a deleted file's name in its folder's slots, where undelete tools read it.
// After the destroy, no part of the name may be left anywhere on the device: not in UTF-16 (the
// long name), not in its 8.3 alias.
#include "GuestDevices.h"
#include "GuestFileSystems.h"
#include "core/FolderTree.h"
#include "core/HeldFolder.h"
#include "core/OverwritePasses.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

std::string utf16le(const std::string& ascii) {
    std::string units;
    for (const char c : ascii) {
        units += c;
        units += '\0';
    }
    return units;
}

// Every run of five characters of the text, as it would stand on the device.
std::vector<std::string> runsOfFive(const std::string& text) {
    std::vector<std::string> runs;
    for (std::size_t at = 0; at + 5 <= text.size(); ++at)
        runs.push_back(text.substr(at, 5));
    return runs;
}

class DeletedNames : public ::testing::TestWithParam<const GuestFileSystem*> {
protected:
    DeletedNames() { fs::create_directory(mountPoint); }

    TempFolder folder{"/tmp"};
    const std::string image = folder.file("stick.img");
    const std::string mountPoint = folder.file("mnt");
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
};

TEST_P(DeletedNames, NoPartOfTheDestroyedFilesNameIsLeftOnTheDevice) {
    const GuestFileSystem& system = *GetParam();
    ASSERT_TRUE(makeImage(system, image));
    LoopDevice loop(image);
    const std::string name = "Kuendigung_Mueller_Geheim_2026_Akte.txt"; // 39 characters
    const std::string alias = "KUENDI~1";
    const std::vector<std::string> bystanders = {"Notizen_zum_Umzug.txt", "Rechnung.pdf", "foto.jpg"};
    std::chrono::duration<double, std::milli> renaming{0};
    std::chrono::steady_clock::time_point clockStart;
    {
        Mounted mounted(loop.path(), mountPoint);
        ASSERT_TRUE(mounted.ok());
        fs::create_directory(mountPoint + "/Akten");
        // Bystanders on both sides of the file in the folder's slots.
        writeSample(mountPoint + "/Akten/" + bystanders[0], 4000);
        std::ofstream(mountPoint + "/Akten/" + name) << markedLines("KELVANTER-MARKE-", 500);
        writeSample(mountPoint + "/Akten/" + bystanders[1], 5000);
        writeSample(mountPoint + "/Akten/" + bystanders[2], 6000);
        ASSERT_TRUE(run("sync"));
        RecordingDisplay display;
        ByteCounters counters;
        files.beforeRename = [&, started = false](const std::string&, const std::string&) mutable {
            if (!std::exchange(started, true))
                clockStart = std::chrono::steady_clock::now();
        };
        files.afterRename = [&](const std::string&, const std::string& to) {
            if (to == "07123509.del")
                renaming = std::chrono::steady_clock::now() - clockStart;
        };
        vesk(CoreContext{display, display, files, process, clock}, counters, mountPoint + "/Akten/" + name,
             display.modes());
        EXPECT_TRUE(display.successVisible);
        EXPECT_FALSE(entryExists(mountPoint + "/Akten/" + name));
    }
    std::cout << "deleted names: " << system.name << ": the renames before the last took " << renaming.count() << " ms"
              << std::endl;
    EXPECT_TRUE(run(std::string(system.fsck) + " " + loop.path())) << "the file system is clean afterwards";
    std::vector<std::string> found;
    for (const std::string& run : runsOfFive(name)) {
        if (countIn(image, utf16le(run)) > 0)
            found.push_back(run);
    }
    for (const std::string& run : runsOfFive(alias)) {
        if (countIn(image, run) > 0)
            found.push_back(run + " (8.3)");
    }
    EXPECT_TRUE(found.empty()) << found.size() << " runs of the name are on the device, the first: " << found[0];
    // The long names of the bystanders ("foto.jpg" has only its 8.3 name on FAT).
    for (const std::string& bystander : {bystanders[0], bystanders[1]})
        EXPECT_GT(countIn(image, utf16le(bystander.substr(0, 5))), 0u) << "the bystander's name " << bystander;
    Mounted again(loop.path(), mountPoint);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(readBytes(mountPoint + "/Akten/" + bystanders[0]), sampleBytes(4000));
    EXPECT_EQ(readBytes(mountPoint + "/Akten/" + bystanders[2]), sampleBytes(6000));
}

// A folder given for destruction: its files go, then the folder, its name first through the
// neutral renames; no part of the folder's name or of its files' names is left on the device.
TEST_P(DeletedNames, NoPartOfADestroyedFoldersNamesIsLeftOnTheDevice) {
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
        const auto identity = files.identityAt(HeldFolder(files, mountPoint).handle(), folderName);
        ASSERT_TRUE(identity.ok());
        const FolderTree walked = treeBeneath(files, tree, identity.value, "/");
        ASSERT_EQ(walked.files.size(), 2u);
        for (const std::string& path : walked.files) {
            RecordingDisplay display;
            ByteCounters counters;
            vesk(CoreContext{display, display, files, process, clock}, counters, path, display.modes());
            EXPECT_TRUE(display.successVisible) << path;
        }
        EXPECT_TRUE(removeFolders(files, process, walked, "/").empty());
        EXPECT_FALSE(entryExists(tree));
    }
    EXPECT_TRUE(run(std::string(system.fsck) + " " + loop.path())) << "the file system is clean afterwards";
    std::vector<std::string> found;
    for (const std::string& name : {folderName, std::string("Unterordner_Privat"), names[0], names[1]}) {
        for (const std::string& run : runsOfFive(name)) {
            if (countIn(image, utf16le(run)) > 0)
                found.push_back(name + ": " + run);
        }
    }
    EXPECT_TRUE(found.empty()) << found.size() << " runs of the names are on the device, the first: " << found[0];
    EXPECT_EQ(countIn(image, "KELVANTER-MARKE-"), 0u);
    EXPECT_GT(countIn(image, utf16le("Notiz")), 0u) << "the bystander's name stays";
}

INSTANTIATE_TEST_SUITE_P(Folders, DeletedNames, ::testing::Values(&kFat32, &kExfat),
                         [](const auto& info) { return std::string(info.param->name); });

} // namespace
} // namespace kelvanter::testing
