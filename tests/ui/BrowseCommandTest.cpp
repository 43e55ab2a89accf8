#include "PictureBox.h"
#include "WindowFixture.h"

#include <QDir>

namespace kelvanter::testing {
namespace {

using BrowseCommand = WindowFixture;

TEST_F(BrowseCommand, OpensInTheCurrentFolderWithTheCaptionAndTheOneFilter) {
    dialogs.choices = {""};
    window.Command1_Click();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const FileDialogRequest& request = dialogs.requests[0];
    EXPECT_EQ(request.owner, &window);
    EXPECT_EQ(request.title, "Datei 1 öffnen");
    EXPECT_EQ(request.folder, QDir::currentPath());
    EXPECT_TRUE(request.initialName.isEmpty());
    ASSERT_EQ(request.filters.size(), 1);
    EXPECT_EQ(request.filters[0].first, "Alle Dateien (*.*)");
    EXPECT_EQ(request.filters[0].second, "*.*");
    EXPECT_EQ(request.mode, FileDialogMode::Open);
}

TEST_F(BrowseCommand, AChosenFileFillsThePathBoxAndEnablesDestroy) {
    const QString chosen = QString::fromStdString(folder.file("brief.txt"));
    dialogs.choices = {chosen};
    window.Command1_Click();
    EXPECT_EQ(window.Fname->text(), chosen);
    EXPECT_TRUE(window.Command2->isEnabled());
}

TEST_F(BrowseCommand, ACancelAfterAChoiceEmptiesThePathBoxAndDisablesDestroy) {
    dialogs.choices = {QString::fromStdString(folder.file("brief.txt")), ""};
    window.Command1_Click();
    window.Command1_Click();
    EXPECT_TRUE(window.Fname->text().isEmpty());
    EXPECT_FALSE(window.Command2->isEnabled());
}

TEST_F(BrowseCommand, ResetsTheProgressDisplayBeforeTheDialogOpens) {
    window.setBarBackground(kBarColor);
    window.setPercentCaption("100 %");
    window.setSuccessLabelVisible(true);
    dialogs.choices = {"/x.bin"};
    window.Command1_Click();
    EXPECT_EQ(window.Picture1->backColor(), kEmptyBarColor);
    EXPECT_EQ(window.Label1->text(), "0 %");
    EXPECT_FALSE(window.Label3->isVisibleTo(&window));
    EXPECT_EQ(window.Fname->text(), "/x.bin") << "a file in the root folder keeps a single separator";
}

// "kelvanter FILE": the file is shown as a chosen one, made absolute, and nothing is destroyed yet.
TEST_F(BrowseCommand, AFileFromTheCommandLineIsShownAsIfChosenButNotDestroyed) {
    const std::string file = writeSample(folder.file("brief.txt"), 100);
    const QString here = QDir::currentPath();
    struct Case {
        QString given, shown;
    };
    for (const Case& c : {Case{QString::fromStdString(file), QString::fromStdString(file)},
                          Case{"Unterordner/../brief.txt", here + "/Unterordner/../brief.txt"},
                          Case{"fehlt.txt", here + "/fehlt.txt"}}) {
        window.takeFileFromCommandLine(c.given);
        EXPECT_EQ(window.Fname->text(), c.shown);
        EXPECT_TRUE(window.Command2->isEnabled()) << c.given.toStdString();
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(readBytes(file), sampleBytes(100));
    // A path that names nothing meets the destroy command's not-found box.
    window.Command2_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Kelvanter-Nachricht");
}

} // namespace
} // namespace kelvanter::testing
