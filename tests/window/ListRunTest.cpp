// Several files under one question, one run and one account, through the main window's flow.
#include "support/CoreFixture.h"
#include "support/FakeWindow.h"
#include "support/NotedTraces.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/PathText.h"
#include "window/VeskFlow.h"

#include <filesystem>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

class SeveralFiles : public CoreFixture {
protected:
    std::vector<std::string> makeFiles() {
        return {writeSample(folder.file("a.txt"), 10000), writeSample(folder.file("b.pdf"), 20000),
                writeSample(folder.file("c.doc"), 5000)};
    }

    std::string separator() const { return std::string(1, files.pathSeparators()[0]); }

    bool boxSays(const std::string& words) const {
        return std::any_of(window.boxes.begin(), window.boxes.end(),
                           [&](const RecordedBox& box) { return box.text.find(words) != std::string::npos; });
    }

    FakeWindow window;
    NotedTraces traces;
    LoneProcess stoppable;
    VeskFlow flow{window, window, files, stoppable, clock, traces};
};

TEST_F(SeveralFiles, ThePathBoxShowsTheCountAndFirstNamesAndTheTooltipEveryName) {
    const auto paths = makeFiles();
    flow.takeFilesFromCommandLine(paths);
    EXPECT_EQ(window.path, "3 Dateien: a.txt, b.pdf, …");
    EXPECT_EQ(window.pathToolTip, shownName(paths[0]) + "\n" + shownName(paths[1]) + "\n" + shownName(paths[2]));
    EXPECT_TRUE(window.destroyEnabled);
    // Text typed over the list names one file again.
    window.path = paths[2];
    flow.Command2_Click();
    EXPECT_FALSE(entryExists(paths[2]));
    EXPECT_TRUE(entryExists(paths[0]) && entryExists(paths[1]));
}

// A file manager that starts the program once per file hands each to the gathering window: the
// list grows once per file, typed text gives way, and nothing is taken during a run.
TEST_F(SeveralFiles, FilesHandedOverOneByOneJoinTheListUnderOneQuestion) {
    const auto paths = makeFiles();
    struct Step {
        std::vector<std::string> handed;
        std::string shown;
    };
    window.path = "getippt.txt";
    for (const Step& step : {Step{{paths[0]}, paths[0]}, Step{{paths[1], paths[0]}, "2 Dateien: a.txt, b.pdf"},
                             Step{{paths[2]}, "3 Dateien: a.txt, b.pdf, …"}}) {
        EXPECT_TRUE(flow.addFilesFromCommandLine(step.handed));
        EXPECT_EQ(window.path, step.shown);
    }
    const std::string late = writeSample(folder.file("spät.txt"), 100);
    std::vector<bool> takenDuringRun;
    files.afterWrite = [&](std::int64_t) { takenDuringRun.push_back(flow.addFilesFromCommandLine({late})); };
    window.answers = {kAnswerYes};
    flow.Command2_Click();
    for (const std::string& path : paths)
        EXPECT_FALSE(entryExists(path)) << path;
    EXPECT_TRUE(boxSays("Von 3 Dateien sind 3 zerstört."));
    EXPECT_FALSE(takenDuringRun.empty());
    EXPECT_EQ(std::count(takenDuringRun.begin(), takenDuringRun.end(), true), 0);
    EXPECT_EQ(readBytes(late), sampleBytes(100));
}

// The open dialog chooses several files of one folder; only they are destroyed.
TEST_F(SeveralFiles, TheDialogChoosesSeveralFilesAndOnlyTheyGo) {
    const auto paths = makeFiles();
    window.choices = {paths[0] + "\n" + paths[2]};
    flow.Command1_Click();
    EXPECT_EQ(window.path, "2 Dateien: a.txt, c.doc");
    flow.Command2_Click();
    EXPECT_FALSE(entryExists(paths[0]));
    EXPECT_EQ(readBytes(paths[1]), sampleBytes(20000));
    EXPECT_FALSE(entryExists(paths[2]));
}

// What happens to each file, and the one account at the end.
TEST_F(SeveralFiles, OneQuestionOneRunOneAccount) {
    struct Case {
        const char* name;
        std::function<void(const std::vector<std::string>&)> meanwhile;
        int answer;
        std::vector<bool> remains;              // for each of the three files
        std::vector<std::string> saidInAccount; // none: no account box
    };
    const std::vector<bool> none{false, false, false};
    const std::vector<bool> all{true, true, true};
    const Case cases[] = {
        {"all destroyed", nullptr, kAnswerYes, none, {"Von 3 Dateien sind 3 zerstört."}},
        {"declined", nullptr, kAnswerNo, all, {}},
        {"one gone before the question",
         [](const std::vector<std::string>& paths) { fs::remove(paths[1]); },
         kAnswerYes,
         none,
         {"Von 3 Dateien sind 2 zerstört.", "1 nicht zerstört:", "b.pdf: nicht gefunden"}},
        {"a write fails in the second",
         [this](const std::vector<std::string>&) {
             files.failWriteAt = static_cast<int>(files.blocksWritten) + 5;
             // One failure only: the double would fail every later write too.
             files.afterClose = [this](int) {
                 if (files.blocksWritten >= files.failWriteAt - 1)
                     files.failWriteAt = 0;
             };
         },
         kAnswerYes,
         {false, true, false},
         {"Von 3 Dateien sind 2 zerstört.", "1 nicht zerstört:", "b.pdf: Die Datei kann nicht ganz überschrieben"}},
        {"held one at a time",
         [this](const std::vector<std::string>&) { stoppable.openAtOnce = 1; },
         kAnswerYes,
         none,
         {"Von 3 Dateien sind 3 zerstört."}},
        {"one let go after the question is replaced meanwhile",
         [this](const std::vector<std::string>& paths) {
             stoppable.openAtOnce = 1;
             files.afterWrite = [this, paths](std::int64_t) {
                 if (!entryExists(folder.file("neu.doc")) && entryExists(paths[2])) {
                     writeSample(folder.file("neu.doc"), 700);
                     fs::rename(folder.file("neu.doc"), paths[2]);
                 }
             };
         },
         kAnswerYes,
         {false, false, true},
         {"Von 3 Dateien sind 2 zerstört.", "c.doc: seit der Frage liegt unter dem Namen eine andere Datei"}},
        {"stopped within the first",
         [this](const std::vector<std::string>&) {
             files.afterWrite = [this](std::int64_t) { stoppable.stop = true; };
         },
         kAnswerYes,
         all,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto paths = makeFiles();
        const std::string bystander = writeSample(folder.file("daneben.txt"), 3000);
        flow.takeDroppedFiles(paths);
        if (c.meanwhile)
            c.meanwhile(paths);
        window.boxes.clear();
        window.filesAtHand.clear();
        window.answers = {c.answer};
        flow.Command2_Click();
        ASSERT_FALSE(window.boxes.empty());
        EXPECT_EQ(window.boxes.front().title, boxTexts::kConfirmationTitle);
        EXPECT_NE(window.boxes.front().text.find("Dateien"), std::string::npos) << window.boxes.front().text;
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(entryExists(paths[i]), c.remains[i]) << paths[i];
        EXPECT_EQ(readBytes(bystander), sampleBytes(3000));
        EXPECT_EQ(window.boxes.size(), c.saidInAccount.empty() ? 1u : 2u);
        for (const std::string& words : c.saidInAccount)
            EXPECT_TRUE(boxSays(words)) << words << " in " << window.boxes.back().text;
        EXPECT_EQ(window.successVisible, c.remains == none && c.saidInAccount.size() == 1);
        // A run that went through the whole list ends with a full bar, whatever became of each file.
        if (!c.saidInAccount.empty()) {
            EXPECT_EQ(window.percentCaption, "100 %");
        }
        EXPECT_FALSE(flow.isRunInProgress());
        EXPECT_TRUE(window.enabled);
        for (const std::string& path : paths)
            fs::remove(path);
        fs::remove(bystander);
        files.failWriteAt = 0;
        files.afterWrite = nullptr;
        files.afterClose = nullptr;
        stoppable.stop = false;
        stoppable.openAtOnce = LoneProcess{}.openAtOnce;
    }
}

// The bar and the estimate cover the whole list by bytes, and the title names the file at hand.
TEST_F(SeveralFiles, TheRunCountsAllBytesAndNamesEachFileInTurn) {
    const auto paths = makeFiles();
    flow.takeFilesFromCommandLine(paths);
    flow.Command2_Click();
    EXPECT_EQ(flow.counters.lBytesTotal, 10000 + 20000 + 5000);
    EXPECT_GE(flow.counters.lBytesDone, flow.counters.lBytesTotal);
    EXPECT_EQ(window.percentCaption, "100 %");
    EXPECT_EQ(window.filesAtHand, (std::vector<std::string>{"a.txt", "b.pdf", "c.doc", ""}));
    EXPECT_EQ(traces.removed, paths) << "each destroyed file's traces go with it";
}

// A file reached by two names is one file: counted, asked about and destroyed once, proven, and
// every name of it goes; the run's own hold on it is no other program.
TEST_F(SeveralFiles, AFileReachedByTwoNamesIsDestroyedOnceAndEveryNameGoes) {
    const std::string sub = folder.file("Akten");
    const std::string file = sub + separator() + "a.txt";
    const std::string link = sub + separator() + "a-link";
    struct Case {
        const char* name;
        std::vector<std::string> given;
    };
    const Case cases[] = {{"one name twice", {file, file}},
                          {"a file and its hard link", {file, link}},
                          {"a folder and a file in it", {sub, file}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directories(fsPath(sub));
        writeSample(file, 10000);
        std::error_code refused;
        if (std::find(c.given.begin(), c.given.end(), link) != c.given.end())
            fs::create_hard_link(fsPath(file), fsPath(link), refused);
        if (refused)
            GTEST_SKIP() << "this file system makes no hard links";
        window.boxes.clear();
        window.answers = {kAnswerYes};
        flow.takeFilesFromCommandLine(c.given);
        flow.Command2_Click();
        ASSERT_EQ(window.boxes.size(), 2u) << "one question and one account";
        const std::string& question = window.boxes.front().text;
        EXPECT_EQ(question.rfind("Soll die 1 Datei ", 0), 0u) << question;
        const std::string& account = window.boxes.back().text;
        EXPECT_EQ(account, "Von 1 Datei ist 1 zerstört.");
        for (const std::string& box : {question, account}) {
            EXPECT_EQ(box.find("anderen Programm"), std::string::npos) << box;
            EXPECT_EQ(box.find("weitere Namen"), std::string::npos) << box;
        }
        for (const std::string& name : c.given)
            EXPECT_FALSE(entryExists(name)) << name;
        fs::remove_all(fsPath(sub));
    }
}

// The doubts of all the files are asked once, each with the number of files it concerns.
TEST_F(SeveralFiles, TheQuestionGathersEachDoubtOnceWithItsCount) {
    const auto paths = makeFiles();
    std::error_code refused;
    fs::create_hard_link(fsPath(paths[0]), fsPath(folder.file("a-link")), refused);
    fs::create_hard_link(fsPath(paths[1]), fsPath(folder.file("b-link")), refused);
    if (refused)
        GTEST_SKIP() << "this file system makes no hard links";
    flow.takeFilesFromCommandLine(paths);
    window.answers = {kAnswerNo};
    flow.Command2_Click();
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].style, kStyleWarningQuestion);
    EXPECT_NE(window.boxes[0].text.find("Bei 2 Dateien: sie hat weitere Namen"), std::string::npos)
        << window.boxes[0].text;
    for (const std::string& path : paths)
        EXPECT_TRUE(entryExists(path));
}

} // namespace
} // namespace kelvanter::testing
