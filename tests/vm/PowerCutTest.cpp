// Power cuts, the way the kernel's own file-system tests look for them: dm-log-writes records every
// write of a run among bystanders, and the log is replayed onto the starting image up to each
// point where the device had to hold what came before (a flush, a FUA write). Each such image is
// what a user finds after a cut there: the bystanders must be whole, and the file must be where
// the run may leave it.
#include "GuestDevices.h"
#include "GuestFileSystems.h"
#include "WriteLog.h"
#include "core/FreeSpace.h"
#include "core/OverwritePasses.h"
#include "core/QuietDisplay.h"
#include "core/RunRecords.h"
#include "support/EnvironmentOverride.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"
#include "support/WrittenNames.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <regex>
#include <set>

namespace kelvanter::testing {
namespace {

constexpr std::size_t kMostPointsChecked = 30;

namespace fs = std::filesystem;

enum class Work { Normal, Intensive, FreeSpace };

struct CutCase {
    const GuestFileSystem* fileSystem;
    Work work;
};

std::string nameOf(const CutCase& c) {
    const char* work[] = {"Normal", "Intensive", "FreeSpace"};
    return std::string(c.fileSystem->name) + work[static_cast<int>(c.work)];
}

void PrintTo(const CutCase& c, std::ostream* out) {
    *out << nameOf(c);
}

std::string listed(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return "{" + text + "}";
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.insert(entry.path().filename().string());
    return names;
}

// What a run may leave of the file it destroys, besides the file itself: its temporary name,
// empty, in its folder or in the program's private folder beside it, and that folder; on FAT the
// empty placeholders that take the folder's free slots for a moment.
bool isDisposalLeftover(const std::string& folder, const std::string& name) {
    static const std::regex temporary("[0-9]{8}\\.del");
    // On FAT the name is first renamed through names of underscores and a digit, as is the
    // private folder's before it goes.
    static const std::regex neutral("_+[0-9]?|[0-9]");
    static const std::regex placeholder("[A-Za-z0-9]{4}[0-9]{4}");
    const std::string path = folder + "/" + name;
    const bool neutralName = std::regex_match(name, neutral);
    if (std::regex_match(name, temporary) || std::regex_match(name, placeholder) ||
        (neutralName && fs::is_regular_file(path)))
        return fs::is_regular_file(path) && fs::file_size(path) == 0;
    if (!(isAsideFolderName(name) || neutralName) || !fs::is_directory(path))
        return false;
    for (const std::string& inner : namesIn(path)) {
        if (!std::regex_match(inner, temporary) || fs::file_size(path + "/" + inner) != 0)
            return false;
    }
    return true;
}

class PowerCuts : public ::testing::TestWithParam<CutCase> {
protected:
    PowerCuts() { fs::create_directory(mountPoint); }

    // The starting image: bystanders in the root and in the file's folder, one of them under the
    // very name the run's temporary name will have, and the file.
    void makeStartingImage() {
        const GuestFileSystem& system = *GetParam().fileSystem;
        ASSERT_TRUE(makeImage(system, image));
        LoopDevice loop(image);
        Mounted mounted(loop.path(), mountPoint);
        ASSERT_TRUE(mounted.ok());
        fs::create_directory(mountPoint + "/ordner");
        for (const auto& [name, size] : bystanders)
            writeSample(mountPoint + "/" + name, size);
        std::ofstream(target(), std::ios::binary) << markedLines("KELVANTER-MARKE-", 7000);
        startRoot = namesIn(mountPoint);
        startFolder = namesIn(mountPoint + "/ordner");
        ASSERT_TRUE(mounted.unmount());
        fs::copy_file(image, start, fs::copy_options::overwrite_existing);
    }

    std::string target() const { return mountPoint + "/ordner/geheim.txt"; }

    // Runs the work on the image through dm-log-writes and marks the log when its verdict is in.
    void recordWork() {
        LoopDevice data(image);
        ASSERT_TRUE(run("truncate -s 256M " + log));
        LoopDevice logDevice(log);
        MappedDevice logged("kelvanter-log",
                            wholeTable(data.path(), "log-writes " + data.path() + " " + logDevice.path()));
        ASSERT_TRUE(logged.made());
        Mounted mounted(logged.path(), mountPoint);
        ASSERT_TRUE(mounted.ok());
        if (GetParam().work == Work::FreeSpace)
            fillFreeSpace();
        else
            destroyTarget();
        ASSERT_TRUE(logged.message("mark urteil"));
        ASSERT_TRUE(mounted.unmount());
        ASSERT_TRUE(logged.remove());
    }

    void destroyTarget() {
        RecordingDisplay display;
        display.selectMode(GetParam().work == Work::Intensive);
        ByteCounters counters;
        verdict = vesk(CoreContext{display, display, files, process, clock}, counters, target(), display.modes());
        ASSERT_NE(verdict, Verdict::NotDestroyed) << "the run itself must succeed";
    }

    // Fills the free space, keeping what the program records of the fill for a start after a cut.
    void fillFreeSpace() {
        environment.set("XDG_STATE_HOME", folder.file("zustand"));
        const std::string records = fillRecordsIn(folder.file("zustand"));
        files.afterDataWrite = [&](std::int64_t) {
            if (!savedRecords.empty())
                return;
            for (const std::string& name : namesIn(records))
                savedRecords.emplace_back(name, readBytes(records + "/" + name));
        };
        QuietDisplay quiet;
        FillCounters counters;
        const FillReport report = overwriteFreeSpace(FillContext{quiet, files, process, clock, counters}, mountPoint);
        ASSERT_EQ(report.end, FillEnd::Done);
        ASSERT_FALSE(savedRecords.empty()) << "the fill left no record of itself";
    }

    // The image a cut after log entry `index` leaves, checked as the user would find it.
    void checkCutAfter(std::size_t index, bool last) {
        fs::copy_file(image, check, fs::copy_options::overwrite_existing);
        const std::string at = "after entry " + std::to_string(index) + (last ? " (the last before the verdict)" : "");
        // FAT has no journal: the system's check repairs what a cut left before the mount.
        if (std::string(GetParam().fileSystem->name) == "vfat")
            run("fsck.vfat -a -w " + check);
        LoopDevice loop(check);
        Mounted mounted(loop.path(), mountPoint);
        if (!mounted.ok()) {
            violations.push_back(at + ": the file system does not mount");
            return;
        }
        if (GetParam().work == Work::FreeSpace)
            checkFillRemovedAtNextStart(at);
        else
            checkDestruction(at, last);
        checkBystanders(at);
    }

    void checkBystanders(const std::string& at) {
        for (const auto& [name, size] : bystanders) {
            if (readBytes(mountPoint + "/" + name) != sampleBytes(size))
                violations.push_back(at + ": the bystander " + name + " changed");
        }
    }

    void checkDestruction(const std::string& at, bool last) {
        if (namesIn(mountPoint) != startRoot)
            violations.push_back(at + ": the root holds " + listed(namesIn(mountPoint)));
        const std::string inFolder = mountPoint + "/ordner";
        for (const std::string& name : namesIn(inFolder)) {
            if (startFolder.count(name) == 0 && !isDisposalLeftover(inFolder, name))
                violations.push_back(at + ": a stranger in the folder: " + name);
        }
        for (const std::string& name : startFolder) {
            if (name != "geheim.txt" && !fs::exists(inFolder + "/" + name))
                violations.push_back(at + ": " + name + " is gone");
        }
        // Once the run has given its verdict, the device holds the file's deletion.
        std::set<std::string> afterDeletion = startFolder;
        afterDeletion.erase("geheim.txt");
        if (last && namesIn(inFolder) != afterDeletion)
            violations.push_back(at + ": the run says the file is gone, and the folder holds " +
                                 listed(namesIn(inFolder)));
    }

    void checkFillRemovedAtNextStart(const std::string& at) {
        const std::string state = folder.file("neustart");
        fs::remove_all(state);
        fs::create_directories(fillRecordsIn(state));
        for (const auto& [name, bytes] : savedRecords)
            writeBytes(fillRecordsIn(state) + "/" + name, bytes);
        environment.set("XDG_STATE_HOME", state);
        removeKilledFills(files, process);
        if (namesIn(mountPoint) != startRoot)
            violations.push_back(at + ": after the next start the root holds " + listed(namesIn(mountPoint)));
        if (namesIn(mountPoint + "/ordner") != startFolder)
            violations.push_back(at + ": after the next start the folder holds " +
                                 listed(namesIn(mountPoint + "/ordner")));
        if (!namesIn(fillRecordsIn(state)).empty())
            violations.push_back(at + ": the record outlived the fill");
    }

    TempFolder folder{"/tmp"};
    const std::string image = folder.file("abbild.img");
    const std::string start = folder.file("anfang.img");
    const std::string check = folder.file("pruefung.img");
    const std::string log = folder.file("protokoll.img");
    const std::string mountPoint = folder.file("mnt");
    const std::vector<std::pair<std::string, std::size_t>> bystanders = {
        {"nachbar.txt", 20000}, {"ordner/nachbar.txt", 5000}, {"ordner/07123509.del", 777}};
    std::set<std::string> startRoot, startFolder;
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
    EnvironmentOverride environment;
    Verdict verdict = Verdict::NotDestroyed;
    std::vector<std::pair<std::string, std::vector<unsigned char>>> savedRecords;
    std::vector<std::string> violations;
};

TEST_P(PowerCuts, EveryCutLeavesTheBystandersWholeAndTheFileWhereTheRunMayLeaveIt) {
    makeStartingImage();
    recordWork();
    if (HasFatalFailure())
        return;
    const auto recorded = WriteLog::read(log);
    ASSERT_TRUE(recorded.has_value()) << "no write log";
    const std::size_t verdictAt = recorded->markAt("urteil");
    ASSERT_LT(verdictAt, recorded->entries().size()) << "the verdict's mark is missing";
    std::size_t lastDurable = verdictAt;
    for (std::size_t index = 0; index < verdictAt; ++index) {
        if (recorded->entries()[index].durable())
            lastDurable = index;
    }
    ASSERT_LT(lastDurable, verdictAt) << "the run never flushed";

    std::size_t durablePoints = 0;
    for (std::size_t index = 0; index < verdictAt; ++index)
        durablePoints += recorded->entries()[index].durable() ? 1 : 0;
    // A fill's churn of names flushes hundreds of times alike: every so many of those, and the last, keep the
    // lane's time in check.
    const std::size_t every = (durablePoints + kMostPointsChecked - 1) / kMostPointsChecked;

    fs::copy_file(start, image, fs::copy_options::overwrite_existing);
    int points = 0;
    std::size_t durableSeen = 0;
    for (std::size_t index = 0; index < verdictAt; ++index) {
        ASSERT_TRUE(recorded->replay(image, index, index + 1));
        if (!recorded->entries()[index].durable())
            continue;
        if (durableSeen++ % every != 0 && index != lastDurable)
            continue;
        checkCutAfter(index, index == lastDurable);
        ++points;
    }
    std::cout << "power cuts: " << nameOf(GetParam()) << ": " << points << " points of " << durablePoints << ", "
              << violations.size() << " violations" << std::endl;
    RecordProperty("points", points);
    EXPECT_GT(points, 2);
    for (const std::string& violation : violations)
        ADD_FAILURE() << violation;
}

INSTANTIATE_TEST_SUITE_P(Cuts, PowerCuts,
                         ::testing::Values(CutCase{&kExt4, Work::Normal}, CutCase{&kExt4, Work::Intensive},
                                           CutCase{&kExt4, Work::FreeSpace}, CutCase{&kFat32, Work::Normal},
                                           CutCase{&kFat32, Work::Intensive}, CutCase{&kFat32, Work::FreeSpace}),
                         [](const auto& info) { return nameOf(info.param); });

} // namespace
} // namespace kelvanter::testing
