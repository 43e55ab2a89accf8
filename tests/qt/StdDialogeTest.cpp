#include "qt/StdDialoge.h"
#include "support/ScriptedSeams.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

TEST(StdDialoge, SplitsTheChosenPathIntoFolderWithSeparatorAndName) {
    ScriptedFileDialogs dialogs;
    StdDialoge dialoge(dialogs);
    struct Case {
        QString chosen, folder, name;
    };
    for (const Case& c :
         {Case{"/home/anna/Daten/brief.txt", "/home/anna/Daten/", "brief.txt"}, Case{"/x.bin", "/", "x.bin"}}) {
        dialogs.choices = {c.chosen};
        QString folder = "/start";
        EXPECT_EQ(dialoge.ShowOpenDialog(nullptr, "t", folder, "", "Alle Dateien (*.*)|*.*", "*.*"), c.name);
        EXPECT_EQ(folder, c.folder);
    }
}

TEST(StdDialoge, ACancelReturnsEmptyTextAndLeavesTheFolder) {
    ScriptedFileDialogs dialogs;
    StdDialoge dialoge(dialogs);
    QString folder = "/start";
    EXPECT_TRUE(dialoge.ShowFileDialog(nullptr, "t", folder, "", "A|*.a", "", 2).isEmpty());
    EXPECT_EQ(folder, "/start");
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].mode, FileDialogMode::Save);
}

TEST(StdDialoge, FilterTextBecomesPairsOfDisplayTextAndPattern) {
    const auto entries = parseFilter("Alle Dateien (*.*)|*.*|Texte|*.txt;*.md");
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0], FilterEntry("Alle Dateien (*.*)", "*.*"));
    EXPECT_EQ(entries[1], FilterEntry("Texte", "*.txt;*.md"));
    EXPECT_TRUE(parseFilter("Nur Text ohne Muster").isEmpty());
    EXPECT_EQ(qtNameFilter(entries[0]), "Alle Dateien (*.*) (*)");
    EXPECT_EQ(qtNameFilter(entries[1]), "Texte (*.txt *.md)");
}

// The real dialog: shows the one filter as the user reads it and accepts a file without extension.
TEST(QtFileDialogs, AllFilesMeansFilesWithoutExtensionTooAndTheFilterReadsAsWritten) {
    const QString folder =
        QDir::tempPath() + "/kelvanter-dialog-" + QString::number(QCoreApplication::applicationPid());
    QDir().mkpath(folder);
    std::ofstream(QString(folder + "/README").toStdString()) << "x";
    QString shownFilter;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Datei 1 öffnen");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->count(), 1);
        shownFilter = types->currentText();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("README");
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    QtFileDialogs dialogs;
    FileDialogRequest request;
    request.title = "Datei 1 öffnen";
    request.folder = folder;
    request.filters = {{"Alle Dateien (*.*)", "*.*"}};
    const QString chosen = dialogs.choose(request).value(0);
    EXPECT_EQ(shownFilter, "Alle Dateien (*.*)");
    EXPECT_EQ(chosen, folder + "/README");
    QDir(folder).removeRecursively();
}

} // namespace
} // namespace kelvanter::testing
