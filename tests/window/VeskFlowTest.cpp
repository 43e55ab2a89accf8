// The main window's commands against a window of no toolkit, on real files: what both the Qt
// and the Win32 window do, written once and run on Linux and under Wine.
#include "window/VeskFlow.h"
#include "support/CoreFixture.h"
#include "support/FakeWindow.h"
#include "support/NotedTraces.h"
#include "support/SimulatedSpeed.h"
#include "support/WrittenNames.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/ErrorTexts.h"
#include "window/PathText.h"
#include "window/TimeText.h"

#include <filesystem>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

class MainWindowFlow : public CoreFixture {
protected:
    // Puts a path in the path box and clicks the destroy button in the chosen mode.
    void destroyThroughFlow(const std::string& path, bool intensive = false) {
        window.path = path;
        window.optionSelected[0] = !intensive;
        window.optionSelected[1] = intensive;
        flow.Command2_Click();
    }

    void expectUsable() { expectWindowUsable(window.state(flow.isRunInProgress())); }

    std::string separator() const { return std::string(1, files.pathSeparators()[0]); }

    FakeWindow window;
    NotedTraces traces;
    VeskFlow flow{window, window, files, process, clock, traces};
};

TEST_F(MainWindowFlow, BrowseOpensInTheCurrentFolderWithTheCaptionAndTheOneFilter) {
    window.choices = {""};
    flow.Command1_Click();
    ASSERT_EQ(window.dialogRequests.size(), 1u);
    const auto& request = window.dialogRequests[0];
    EXPECT_EQ(request.title, boxTexts::kOpenDialogTitle);
    EXPECT_EQ(request.folder, files.currentFolder().value);
    EXPECT_EQ(request.initialName, "");
    EXPECT_EQ(request.filter, boxTexts::kAllFilesFilter);
    EXPECT_EQ(request.defaultExtension, boxTexts::kAllFilesExtension);
}

TEST_F(MainWindowFlow, BrowseFillsThePathBoxOrOnCancelEmptiesItAndResetsTheDisplayFirst) {
    const std::string chosen = folder.file("brief.txt");
    const std::string root = separator() + "x.bin";
    struct Step {
        std::string choice, pathBox;
        bool destroyEnabled;
    };
    for (const Step& step : {Step{chosen, chosen, true}, Step{"", "", false}, Step{root, root, true}}) {
        window.setBarBackground(kBarColor);
        window.setPercentCaption("100 %");
        window.setSuccessLabelVisible(true);
        window.choices = {step.choice};
        flow.Command1_Click();
        EXPECT_EQ(window.path, step.pathBox) << step.choice;
        EXPECT_EQ(window.destroyEnabled, step.destroyEnabled) << step.choice;
        EXPECT_EQ(window.background, kEmptyBarColor);
        EXPECT_EQ(window.percentCaption, "0 %");
        EXPECT_FALSE(window.successVisible);
    }
}

// "kelvanter FILE": the file is shown as a chosen one, made absolute, and nothing is destroyed yet.
TEST_F(MainWindowFlow, AFileFromTheCommandLineIsShownAsIfChosenButNotDestroyed) {
    const std::string file = writeSample(folder.file("brief.txt"), 100);
    const std::string here = files.currentFolder().value;
    const std::string sep = separator();
    const std::string joined = here + (here.back() == sep[0] ? "" : sep);
    struct Case {
        std::string given, shown;
    };
    for (const Case& c : {Case{file, file}, Case{"fehlt.txt", joined + "fehlt.txt"}}) {
        flow.takeFileFromCommandLine(c.given);
        EXPECT_EQ(window.path, c.shown);
        EXPECT_TRUE(window.destroyEnabled) << c.given;
    }
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(readBytes(file), sampleBytes(100));
    // A path that names nothing meets the destroy command's not-found box.
    flow.Command2_Click();
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, boxTexts::kNotFoundTitle);
}

TEST_F(MainWindowFlow, DestroysAFileInEachModeAndEndsUsableWithItsTraces) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "intensiv.bin" : "normal.bin"), 20000);
        window.boxes.clear();
        destroyThroughFlow(path, intensive);
        ASSERT_EQ(window.boxes.size(), 1u);
        EXPECT_EQ(window.boxes[0].text, boxTexts::confirmation(path));
        EXPECT_EQ(window.boxes[0].style, kStyleQuestion);
        EXPECT_EQ(window.boxes[0].title, boxTexts::kConfirmationTitle);
        EXPECT_FALSE(entryExists(path));
        EXPECT_TRUE(disposalLeftovers(folder.path()).empty());
        EXPECT_EQ(window.percentCaption, "100 %");
        EXPECT_TRUE(window.successVisible);
        EXPECT_EQ(window.background, kBarColor);
        expectUsable();
        EXPECT_EQ(traces.removed.back(), path);
    }
    EXPECT_EQ(traces.removed.size(), 2u);
}

// A file with another name (a hard link, as a backup of snapshots makes one): the question names
// it before the confirmation, and the word after the run says that it stays empty; a No leaves both.
TEST_F(MainWindowFlow, AFileWithAnotherNameIsAskedAboutAndTheOtherNameIsNamedAfter) {
    for (const int answer : {kAnswerNo, kAnswerYes}) {
        const std::string path = writeSample(folder.file("brief.txt"), 20000);
        const std::string other = folder.file("sicherung.txt");
        std::filesystem::remove(other);
        std::filesystem::create_hard_link(path, other);
        window.boxes.clear();
        window.answers = {answer};
        destroyThroughFlow(path);
        ASSERT_GE(window.boxes.size(), 1u);
        EXPECT_EQ(window.boxes[0].text, boxTexts::otherNamesQuestion(path, 1));
        if (answer == kAnswerNo) {
            EXPECT_EQ(window.boxes.size(), 1u);
            EXPECT_EQ(readBytes(other), sampleBytes(20000));
            continue;
        }
        ASSERT_EQ(window.boxes.size(), 3u);
        EXPECT_EQ(window.boxes[1].text, boxTexts::confirmation(path));
        EXPECT_EQ(window.boxes[2].text, boxTexts::otherNamesEmptied(1));
        EXPECT_TRUE(window.successVisible);
        EXPECT_EQ(readBytes(other).size(), 0u) << "the content went under the other name too";
    }
}

TEST_F(MainWindowFlow, WhatNamesNoDestroyableFileGetsTheNotFoundBoxAndNothingElse) {
    const std::string bystander = writeSample(folder.file("zeuge"), 100);
    for (const std::string& path : {folder.file("fehlt"), folder.file("brie?.txt"), std::string("   ")}) {
        window.boxes.clear();
        destroyThroughFlow(path);
        ASSERT_EQ(window.boxes.size(), 1u) << path;
        EXPECT_EQ(window.boxes[0].text, boxTexts::kNotFound);
        EXPECT_EQ(window.boxes[0].style, kStyleOkOnly);
        EXPECT_EQ(window.boxes[0].title, boxTexts::kNotFoundTitle);
    }
    EXPECT_EQ(files.opens, 0);
    EXPECT_TRUE(traces.removed.empty());
    EXPECT_EQ(readBytes(bystander), sampleBytes(100));
}

// A folder stands for the files beneath it: one question names it, with "Nein" the default, and
// No leaves everything as it was.
TEST_F(MainWindowFlow, AFolderIsAskedAboutWithNoAsTheDefaultAndNoLeavesItWhole) {
    const std::string bystander = writeSample(folder.file("zeuge"), 100);
    for (const std::string& path : {utf8Of(folder.path()), utf8Of(folder.path()) + separator()}) {
        window.boxes.clear();
        window.answers = {kAnswerNo};
        destroyThroughFlow(path);
        ASSERT_EQ(window.boxes.size(), 1u) << path;
        EXPECT_EQ(window.boxes[0].style, kStyleWarningQuestion);
        EXPECT_NE(window.boxes[0].text.find(shownName(utf8Of(folder.path()))), std::string::npos)
            << window.boxes[0].text;
    }
    EXPECT_EQ(files.opens, 0);
    EXPECT_EQ(readBytes(bystander), sampleBytes(100));
}

TEST_F(MainWindowFlow, AnEmptyPathOnlyResetsTheDisplay) {
    window.setSuccessLabelVisible(true);
    destroyThroughFlow("");
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_FALSE(window.successVisible);
    EXPECT_EQ(window.percentCaption, "0 %");
}

void makeReadOnly(const std::string& path) {
    fs::permissions(fsPath(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool isWritable(const std::string& path) {
    return (fs::status(fsPath(path)).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// The read-only question comes first; the confirmation only after a Yes to it.
TEST_F(MainWindowFlow, AReadOnlyFileIsAskedAboutBeforeTheConfirmation) {
    struct Case {
        const char* name;
        std::deque<int> answers;
        std::size_t boxes;
        bool writableAfter, destroyed;
    };
    for (const Case& c :
         {Case{"no", {kAnswerNo}, 1, false, false}, Case{"yes, no", {kAnswerYes, kAnswerNo}, 2, true, false},
          Case{"yes, yes", {kAnswerYes, kAnswerYes}, 2, true, true}}) {
        const std::string path = writeSample(folder.file(std::string("nurlesen ") + c.name), 100);
        makeReadOnly(path);
        window.boxes.clear();
        window.answers = c.answers;
        destroyThroughFlow(path);
        ASSERT_EQ(window.boxes.size(), c.boxes) << c.name;
        EXPECT_EQ(window.boxes[0].text, boxTexts::readOnlyQuestion(path));
        EXPECT_EQ(window.boxes[0].style, kStyleQuestion);
        EXPECT_EQ(window.boxes[0].title, boxTexts::kMessageTitle);
        EXPECT_EQ(entryExists(path), !c.destroyed) << c.name;
        if (!c.destroyed) {
            EXPECT_EQ(isWritable(path), c.writableAfter) << c.name;
            EXPECT_EQ(readBytes(path), sampleBytes(100)) << c.name;
        }
        EXPECT_FALSE(window.timerRunning);
    }
}

TEST_F(MainWindowFlow, ARefusalAtAnyQuestionStillLeavesTheDisplayResetAndTheTimesAsTheyWere) {
    const std::string path = writeSample(folder.file("f"), 100);
    window.setBarBackground(kBarColor);
    window.setPercentCaption("100 %");
    window.setSuccessLabelVisible(true);
    window.elapsed = "00:01:00";
    window.answers = {kAnswerNo};
    destroyThroughFlow(path);
    EXPECT_EQ(window.background, kEmptyBarColor);
    EXPECT_EQ(window.percentCaption, "0 %");
    EXPECT_FALSE(window.successVisible);
    EXPECT_EQ(window.elapsed, "00:01:00") << "times are reset only by a confirmed run";
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

TEST_F(MainWindowFlow, AFileThatCannotBeDeletedIsReportedWithTheExecutablesName) {
    const std::string path = writeSample(folder.file("brief.txt"), 100);
    files.failRemoveAt = 1;
    destroyThroughFlow(path);
    ASSERT_EQ(window.boxes.size(), 2u);
    // Where the emptied file lies, not where nothing is.
    const std::string at = folder.file(asideEntryIn(folder.path(), "07123509.del", separator()));
    EXPECT_EQ(window.boxes[1].text.rfind("Die Datei " + at + " konnte nicht gelöscht werden! ", 0), 0u);
    EXPECT_EQ(window.boxes[1].style, kStyleError);
    EXPECT_EQ(window.boxes[1].title, window.executableName());
    EXPECT_FALSE(window.successVisible);
    EXPECT_TRUE(traces.removed.empty()) << "no traces go while the file is still there";
    expectUsable();
}

// The looked-up file is held from the lookup: one put under its name at the confirmation is never
// written, and the confirmed file, moved aside, is left as it is.
TEST_F(MainWindowFlow, AFileSwappedInAtTheConfirmationIsNeverWritten) {
    const std::string path = writeSample(folder.file("brief"), 5000);
    const std::string aside = folder.file("beiseite");
    window.onBox = [&](const RecordedBox& box) {
        if (box.title != boxTexts::kConfirmationTitle)
            return;
        fs::rename(fsPath(path), fsPath(aside));
        writeSample(path, 900);
    };
    destroyThroughFlow(path);
    EXPECT_EQ(readBytes(path), sampleBytes(900)) << "the file put in its place is untouched";
    EXPECT_EQ(readBytes(aside), sampleBytes(5000)) << "nothing is written but by the pass's own open";
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[1].text, boxTexts::cannotOpen(kFileReplaced, false));
    EXPECT_EQ(window.boxes[1].style, kStyleWarning);
    EXPECT_FALSE(window.successVisible);
    EXPECT_TRUE(traces.removed.empty());
    expectUsable();
}

// Lifting the write protection can fail (a file system that refuses it): the user is told why.
TEST_F(MainWindowFlow, AProtectionThatCannotBeLiftedNamesThePathAndTheReason) {
    const std::string path = writeSample(folder.file("flüchtig"), 100);
    makeReadOnly(path);
    struct RefusingFiles : InstrumentedFileServices {
        SysStatus addOwnerWrite(FileHandle) override { return {EPERM}; }
    } refusing;
    VeskFlow other(window, window, refusing, process, clock, traces);
    window.path = path;
    other.Command2_Click();
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[1].style, kStyleError);
    EXPECT_EQ(window.boxes[1].text, boxTexts::cannotProcess(path, describeError(EPERM)));
    EXPECT_TRUE(window.enabled);
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

TEST_F(MainWindowFlow, AnErrorEscapingTheRunLeavesTheWindowUsableAndIsReportedOnce) {
    struct ThrowingFiles : InstrumentedFileServices {
        SysResult<std::int64_t> writeBlocks(FileHandle, const void*, std::size_t, std::int64_t, std::int64_t) override {
            throw std::runtime_error("Testfehler");
        }
    } throwing;
    VeskFlow other(window, window, throwing, process, clock, traces);
    const std::string path = writeSample(folder.file("brief"), 5000);
    window.path = path;
    other.Command2_Click();
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[1].style, kStyleError);
    EXPECT_EQ(window.boxes[1].text, boxTexts::cannotProcess(path, "Testfehler"));
    EXPECT_TRUE(window.enabled);
    EXPECT_FALSE(other.isRunInProgress()) << "the close guard is released";
    EXPECT_FALSE(window.timerRunning);
    EXPECT_EQ(window.pointer, kPointerDefault);
    EXPECT_EQ(window.estimate, window.elapsed);
    EXPECT_EQ(throwing.opens, 1);
    EXPECT_TRUE(throwing.openHandles().empty()) << "the pass's file is closed although the write threw";
}

// ---- a path is the file system's own name, from every way in ----

enum class WayIn { CommandLine, Dialog, Typed, Drop };
enum class Named { Undecodable, RealReplacement, BothUndecodableChosen, Umlauts };
enum class Expect { Destroyed, Indistinguishable };

struct WayInCase {
    const char* name;
    Named named;
    WayIn way;
    Expect expect;
};

void PrintTo(const WayInCase& c, std::ostream* out) {
    *out << c.name;
}

class PathsFromEveryWayIn : public MainWindowFlow, public ::testing::WithParamInterface<WayInCase> {
protected:
    // The file to destroy, and the file beside it whose name differs only in that character.
    std::pair<std::string, std::optional<std::string>> makeFiles(Named named) {
        const std::string odd = "geheim-" + undecodableCharacter() + ".txt";
        const std::string real = "geheim-\xEF\xBF\xBD.txt";
        switch (named) {
        case Named::Undecodable:
            return {writeSample(folder.file(odd), 5000), std::nullopt};
        case Named::RealReplacement:
            return {writeSample(folder.file(real), 5000), std::nullopt};
        case Named::BothUndecodableChosen:
            writeSample(folder.file(real), 700);
            return {writeSample(folder.file(odd), 5000), folder.file(real)};
        case Named::Umlauts:
            writeSample(folder.file("Grosse Uebersicht.txt"), 700);
            return {writeSample(folder.file("Größe Übersicht.txt"), 5000), folder.file("Grosse Uebersicht.txt")};
        }
        return {};
    }

    // Hands the path over as this way in does: bytes, or the text a toolkit made of them.
    void handOver(WayIn way, const std::string& path) {
        switch (way) {
        case WayIn::CommandLine:
            flow.takeFileFromCommandLine(path);
            break;
        case WayIn::Dialog:
            window.choices = {shownName(path)};
            flow.Command1_Click();
            break;
        case WayIn::Typed:
            window.path = shownName(path);
            break;
        case WayIn::Drop:
            flow.takeDroppedFile(path);
            break;
        }
    }
};

TEST_P(PathsFromEveryWayIn, DestroyTheNamedFileOrNothing) {
    const WayInCase& c = GetParam();
    const auto [target, other] = makeFiles(c.named);
    if (!entryExists(target))
        GTEST_SKIP() << "this system cannot store the name";
    handOver(c.way, target);
    EXPECT_EQ(window.path, shownName(target)) << "the path box shows the name as text";
    flow.Command2_Click();
    if (other) {
        EXPECT_EQ(readBytes(*other), sampleBytes(700)) << "the other file stays whole";
    }
    if (c.expect == Expect::Destroyed) {
        EXPECT_FALSE(entryExists(target));
        EXPECT_TRUE(window.successVisible);
        ASSERT_FALSE(window.boxes.empty());
        EXPECT_EQ(window.boxes[0].text, boxTexts::confirmation(shownName(target)));
        return;
    }
    EXPECT_EQ(readBytes(target), sampleBytes(5000));
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, boxTexts::indistinguishableName(shownName(target)));
    EXPECT_EQ(window.boxes[0].style, kStyleWarning);
    EXPECT_EQ(window.boxes[0].title, boxTexts::kMessageTitle);
    EXPECT_EQ(files.opens, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathsFromEveryWayIn,
    ::testing::Values(
        WayInCase{"UndecodableByCommandLine", Named::Undecodable, WayIn::CommandLine, Expect::Destroyed},
        WayInCase{"UndecodableByDialog", Named::Undecodable, WayIn::Dialog, Expect::Destroyed},
        WayInCase{"UndecodableTyped", Named::Undecodable, WayIn::Typed, Expect::Destroyed},
        WayInCase{"UndecodableByDrop", Named::Undecodable, WayIn::Drop, Expect::Destroyed},
        WayInCase{"RealReplacementByCommandLine", Named::RealReplacement, WayIn::CommandLine, Expect::Destroyed},
        WayInCase{"RealReplacementByDialog", Named::RealReplacement, WayIn::Dialog, Expect::Destroyed},
        WayInCase{"RealReplacementByDrop", Named::RealReplacement, WayIn::Drop, Expect::Destroyed},
        WayInCase{"BothByCommandLine", Named::BothUndecodableChosen, WayIn::CommandLine, Expect::Destroyed},
        WayInCase{"BothByDialog", Named::BothUndecodableChosen, WayIn::Dialog, Expect::Indistinguishable},
        WayInCase{"BothTyped", Named::BothUndecodableChosen, WayIn::Typed, Expect::Indistinguishable},
        WayInCase{"BothByDrop", Named::BothUndecodableChosen, WayIn::Drop, Expect::Destroyed},
        WayInCase{"UmlautsByDialog", Named::Umlauts, WayIn::Dialog, Expect::Destroyed},
        WayInCase{"UmlautsTyped", Named::Umlauts, WayIn::Typed, Expect::Destroyed}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the tick ----

TEST_F(MainWindowFlow, TicksCountSecondsAndWorkTheEstimateOutFromTheCounters) {
    struct Case {
        std::int64_t total, done;
        int ticks;
        std::string elapsed, estimate;
    };
    for (const Case& c : {Case{1000, 100, 1, "00:00:01", "00:00:09"}, Case{1000, 0, 2, "00:00:02", "00:00:42"},
                          Case{0, 4096, 1, "00:00:01", "00:00:-01"}}) {
        flow.lSeconds = 0;
        flow.counters = {c.total, c.done};
        window.estimate = "00:00:42";
        for (int tick = 0; tick < c.ticks; ++tick)
            flow.Timer1_Timer();
        EXPECT_EQ(flow.lSeconds, c.ticks);
        EXPECT_EQ(window.elapsed, c.elapsed);
        EXPECT_EQ(window.estimate, c.estimate) << c.total << " " << c.done;
    }
    EXPECT_EQ(window.eventsProcessed, 4) << "each tick lets pending events through first";
}

TEST_F(MainWindowFlow, ARunStartsItsTimesAtZeroAndEndsWithBothEqual) {
    const std::string path = writeSample(folder.file("f"), 8 * 4096);
    flow.lSeconds = 99;
    window.elapsed = window.estimate = "00:01:39";
    std::vector<bool> timerAtStep;
    // Two ticks fall due during the run, at its third and sixth progress step.
    int steps = 0;
    window.onProcessEvents = [&] {
        timerAtStep.push_back(window.timerRunning);
        if (++steps % 3 == 0 && steps <= 6)
            flow.Timer1_Timer();
    };
    destroyThroughFlow(path);
    EXPECT_EQ(flow.lSeconds, 2);
    EXPECT_EQ(window.elapsed, "00:00:02");
    expectUsable();
    EXPECT_FALSE(timerAtStep.empty());
    EXPECT_TRUE(std::all_of(timerAtStep.begin(), timerAtStep.end(), [](bool on) { return on; }));
}

// A tick that falls due while the device is busy comes at the next serving, at most 100 ms late:
// the elapsed time counts real seconds however slow the device.
TEST_F(MainWindowFlow, OnASlowDeviceThirtySecondsGiveThirtyTicks) {
    SimulatedSpeed slow(clock, 1 << 20);
    VeskFlow other(window, window, slow, process, clock, traces);
    std::int64_t nextTick = 1'000'000;
    std::vector<std::pair<std::int64_t, std::int32_t>> ticks; // when, and lSeconds after the tick
    window.onProcessEvents = [&] {
        if (!window.timerRunning || clock.microseconds < nextTick)
            return;
        nextTick += 1'000'000;
        other.Timer1_Timer();
        ticks.emplace_back(clock.microseconds, other.lSeconds);
    };
    window.path = writeSample(folder.file("stick.bin"), 31 << 20);
    other.Command2_Click();
    ASSERT_TRUE(window.successVisible);
    ASSERT_GE(ticks.size(), 30u);
    for (const auto& [when, seconds] : ticks) {
        EXPECT_EQ(seconds, when / 1'000'000) << "at " << when << " µs";
        EXPECT_LT(when % 1'000'000, 100'000) << "the tick came late";
    }
    EXPECT_EQ(window.elapsed, FormatTime(static_cast<std::int32_t>(ticks.size())));
}

} // namespace
} // namespace kelvanter::testing
