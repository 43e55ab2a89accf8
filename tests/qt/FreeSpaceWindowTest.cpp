// The free-space window through its real Qt controls, on a loop-mounted image of its own (never on
// the machine's own disk).
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileServices.h"
#include "qt/PictureBox.h"
#include "qt/frmFreierSpeicher.h"
#include "qt/frmVesk.h"
#include "support/ScriptedSeams.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

class NoFolders : public FolderDialogSeam {
public:
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

class FreeSpaceWindow : public ::testing::Test {
protected:
    ~FreeSpaceWindow() override {
        if (mounted_)
            run("umount -l " + mountPoint());
    }
    std::string mountPoint() const { return folder.file("mnt"); }
    std::optional<std::string> mount() {
        if (::geteuid() != 0)
            return std::string("mounting an image needs root");
        fs::create_directory(mountPoint());
        const std::string image = folder.file("abbild.img");
        if (!run("truncate -s 96M " + image) || !run("mkfs.ext4 -q -F " + image) ||
            !run("mount -o loop " + image + " " + mountPoint()))
            return std::string("cannot make or mount an ext4 image here");
        mounted_ = true;
        return std::nullopt;
    }

    TempFolder folder{"/var/tmp"};
    ScriptedMessageBoxes boxes;
    NoFolders folders;
    PosixFileServices files;
    PosixClock clock;
    frmFreierSpeicher window{boxes, folders, files, clock};
    bool mounted_ = false;
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
    EXPECT_EQ(boxes.shown[0].title, "Kelvanter - Kontrollabfrage");
    EXPECT_TRUE(boxes.shown[0].text.contains("ist das Laufwerk voll"));
    EXPECT_EQ(window.Label1->text(), "0 %") << "a No starts nothing";

    bool cancelEnabledDuringRun = false;
    boxes.onShow = [&](const ShownBox&) {};
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { cancelEnabledDuringRun |= window.Command5->isEnabled(); });
    watch.start(1);
    window.Command2->click();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[2].text.startsWith("Der freie Speicher wurde überschrieben: "))
        << boxes.shown[2].text.toStdString();
    EXPECT_EQ(window.Label1->text(), "100 %");
    EXPECT_EQ(window.Picture1->backColor(), kBarColor);
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_EQ(window.Label5->text(), window.Label4->text());
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
    frmVesk main(boxes, dialogs, files, clock, none, folders);
    main.show();
    main.openFreeSpaceWindow(mountPoint());
    ASSERT_NE(main.freeSpaceWindow(), nullptr);
    bool refused = false;
    QTimer::singleShot(1, [&] { refused = !main.close(); });
    main.freeSpaceWindow()->Command2->click();
    EXPECT_TRUE(refused) << "the close waits for the fill";
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.startsWith("Das Überschreiben des freien Speichers wurde abgebrochen"))
        << boxes.shown[1].text.toStdString();
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1) << "lost+found only";
    EXPECT_TRUE(main.close());
}

} // namespace
} // namespace kelvanter::testing
