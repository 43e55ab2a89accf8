// The free-space window through its real Qt controls, on a loop-mounted image of its own (never on
// the machine's own disk).
#include "platform/posix/PosixClock.h"
#include "qt/PictureBox.h"
#include "qt/frmFreierSpeicher.h"
#include "qt/frmVesk.h"
#include "support/EndedFill.h"
#include "support/EnvironmentOverride.h"
#include "support/InstrumentedFileServices.h"
#include "support/LoopImage.h"
#include "support/ScriptedSeams.h"
#include "support/TempFolder.h"
#include "support/WrittenNames.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

class NoFolders : public FolderDialogSeam {
public:
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

class FreeSpaceWindow : public ::testing::Test {
protected:
    std::string mountPoint() const { return image.mountPoint(); }
    std::optional<std::string> mount() { return image.mount("mkfs.ext4 -q -F", "", "96M"); }

    TempFolder folder{"/var/tmp"};
    LoopImage image{folder.path()};
    ScriptedMessageBoxes boxes;
    NoFolders folders;
    InstrumentedFileServices files;
    PosixProcess process;
    PosixClock clock;
    frmFreierSpeicher window{boxes, folders, files, process, clock};
};

TEST_F(FreeSpaceWindow, ShowsTheFileSystemAsksFirstAndReportsWhatItWrote) {
    if (const auto refused = mount())
        GTEST_SKIP() << *refused;
    window.show();
    window.flow().takeFolder(mountPoint());
    EXPECT_EQ(window.windowTitle(), "Kelvanter - Freien Speicher überschreiben");
    EXPECT_TRUE(window.Label8->text().startsWith("Dateisystem: ext4     Frei: "))
        << window.Label8->text().toStdString();
    EXPECT_TRUE(window.Command2->isEnabled());
    EXPECT_FALSE(window.Command5->isEnabled());

    boxes.answers = {kAnswerNo};
    window.Command2->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, boxTexts::kConfirmationTitle);
    EXPECT_TRUE(boxes.shown[0].text.contains("ist das Laufwerk voll"));
    EXPECT_EQ(window.progress().Label1->text(), "0 %") << "a No starts nothing";

    bool cancelEnabledDuringRun = false;
    files.afterDataWrite = [&](std::int64_t) { cancelEnabledDuringRun |= window.Command5->isEnabled(); };
    window.Command2->click();
    EXPECT_TRUE(cancelEnabledDuringRun);
    ASSERT_EQ(boxes.shown.size(), 3u);
    // What the file system holds back for itself is named in the first sentence, where there is any.
    EXPECT_TRUE(boxes.shown[2].text.startsWith("Der freie Speicher wurde ")) << boxes.shown[2].text.toStdString();
    EXPECT_TRUE(boxes.shown[2].text.contains(" geschrieben. Die Fülldateien sind wieder gelöscht."));
    EXPECT_EQ(window.progress().Label1->text(), "100 %");
    EXPECT_EQ(window.progress().Picture1->backColor(), kBarColor);
    EXPECT_FALSE(window.progress().Timer1->isActive());
    EXPECT_EQ(window.progress().Label5->text(), window.progress().Label4->text());
    EXPECT_TRUE(window.Command2->isEnabled());
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found only";
}

// Closing the main window while the free-space window fills the disk cancels the fill, which
// deletes its files; the main window stays until the fill has ended.
TEST_F(FreeSpaceWindow, ClosingTheMainWindowMidFillCancelsItFirst) {
    if (const auto refused = mount())
        GTEST_SKIP() << *refused;
    ScriptedFileDialogs dialogs;
    NoFileTraces none;
    frmVesk main(boxes, dialogs, files, files, process, clock, none, folders);
    main.show();
    main.openFreeSpaceWindow(mountPoint());
    ASSERT_NE(main.freeSpaceWindow(), nullptr);
    bool refused = false;
    files.afterDataWrite = [&](std::int64_t) {
        if (!refused)
            refused = !main.close();
    };
    main.freeSpaceWindow()->Command2->click();
    EXPECT_TRUE(refused) << "the close waits for the fill";
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.startsWith("Das Überschreiben des freien Speichers wurde abgebrochen"))
        << boxes.shown[1].text.toStdString();
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found only";
    EXPECT_TRUE(main.close());
}

// The main window's start finds the fill a killed run left on another file system, removes it and
// says so once; the next start finds nothing.
TEST_F(FreeSpaceWindow, TheMainWindowsStartRemovesAFillLeftByAKilledRun) {
    if (const auto refused = mount())
        GTEST_SKIP() << *refused;
    EnvironmentOverride environment;
    environment.set("XDG_STATE_HOME", folder.file("zustand"));
    ASSERT_NE(fillEndedBy(SIGKILL, mountPoint(), 20'000'000), -1) << "the fill never got that far";
    ScriptedFileDialogs dialogs;
    NoFileTraces none;
    for (int start = 0; start < 2; ++start) {
        frmVesk main(boxes, dialogs, files, files, process, clock, none, folders);
        main.Form_Load();
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("Ein abgebrochenes Überschreiben des freien Speichers hatte "
                                               "Fülldateien zurückgelassen; sie sind jetzt gelöscht: " +
                                               QString::fromStdString(mountPoint() + "/")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found only";
    EXPECT_TRUE(fs::is_empty(fillRecordsIn(folder.file("zustand"))));
}

} // namespace
} // namespace kelvanter::testing
