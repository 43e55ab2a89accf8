#include "support/WindowFixture.h"

#include <QDir>
#include <QPushButton>

namespace kelvanter::testing {
namespace {

using BrowseCommand = WindowFixture;

// The flow's request reaches Qt's dialog seam as the dialog needs it, owned by the main window.
TEST_F(BrowseCommand, TheDialogIsAskedInTheCurrentFolderAndItsChoiceFillsThePathBox) {
    const QString chosen = QString::fromStdString(folder.file("brief.txt"));
    dialogs.choices = {chosen};
    window.Command1->click();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const FileDialogRequest& request = dialogs.requests[0];
    EXPECT_EQ(request.owner, &window);
    EXPECT_EQ(request.title, "Datei 1 öffnen");
    EXPECT_EQ(request.folder, QDir::currentPath());
    EXPECT_TRUE(request.initialName.isEmpty());
    ASSERT_EQ(request.filters.size(), 1);
    EXPECT_EQ(request.filters[0], FilterEntry("Alle Dateien (*.*)", "*.*"));
    EXPECT_EQ(request.mode, FileDialogMode::OpenSeveral);
    EXPECT_EQ(window.Fname->text(), chosen);
    EXPECT_TRUE(window.Command2->isEnabled());
    // Several chosen in one folder: the path box shows them in short.
    dialogs.choices = {chosen + "\n" + QString::fromStdString(folder.file("karte.pdf"))};
    window.Command1->click();
    EXPECT_EQ(window.Fname->text(), "2 Dateien: brief.txt, karte.pdf");
}

} // namespace
} // namespace kelvanter::testing
