#include "desktop/TraceRemoval.h"
#include "platform/posix/PosixClock.h"
#include "qt/NoTraceSettings.h"
#include "qt/ProgramSetup.h"
#include "qt/frmKelvanterInfo.h"
#include "support/BookmarkList.h"
#include "support/EnvironmentOverride.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

// When the file dialog comes up, types the full path into its name field and accepts.
void answerNextFileDialogWith(const std::string& path) {
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

// A home folder of its own, with every place the desktop writes to inside it.
class PrivateHome : public ::testing::Test {
protected:
    PrivateHome() {
        for (const char* sub : {"config", "data", "cache"})
            fs::create_directories(home.path() / sub);
        environment.set("HOME", home.path().string());
        environment.set("XDG_CONFIG_HOME", home.file("config"));
        environment.set("XDG_DATA_HOME", home.file("data"));
        environment.set("XDG_CACHE_HOME", home.file("cache"));
        // Where Qt would put its settings for this home, had the program no guard of its own.
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(home.file("config")));
    }

    // Every regular file under the home folder whose bytes contain the text.
    std::vector<std::string> filesMentioning(const std::string& text) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
            if (!entry.is_regular_file())
                continue;
            const auto bytes = readBytes(entry.path().string());
            if (std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end())
                found.push_back(entry.path().string());
        }
        return found;
    }

    bool anyFileNamed(const std::string& name) const {
        for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
            if (entry.path().filename() == name)
                return true;
        }
        return false;
    }

    TempFolder home;
    TempFolder work;
    EnvironmentOverride environment;
    ScriptedMessageBoxes boxes;
    QtFileDialogs realDialogs;
    PosixFileServices files;
    PosixProcess process;
    PosixClock clock;
    DesktopTraces desktopTraces{files, files, process, clock};
};

TEST_F(PrivateHome, WithoutTheGuardQtsDialogWouldRecordTheFolder) {
    const std::string path = writeSample(work.file("Geheimprojekt.txt"), 10);
    answerNextFileDialogWith(path);
    FileDialogRequest request;
    request.folder = QString::fromStdString(work.path().string());
    request.filters = {{"Alle Dateien (*.*)", "*.*"}};
    EXPECT_EQ(realDialogs.choose(request).value(0).toStdString(), path);
    EXPECT_TRUE(anyFileNamed("QtProject.conf"));
    EXPECT_FALSE(filesMentioning(work.path().string()).empty());
}

TEST_F(PrivateHome, AWholeRunLeavesNothingThatNamesTheFileOrItsFolder) {
    keepQtSettingsOutOfHome();
    const std::string path = writeSample(work.file("Liebesbrief an Lena.txt"), 5000);
    frmVesk window(boxes, realDialogs, files, files, process, clock, desktopTraces);
    window.show();

    answerNextFileDialogWith(path);
    window.Command1_Click();
    ASSERT_EQ(window.Fname->text().toStdString(), path);
    window.Command2_Click();
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(window.Label3->isVisibleTo(&window));
    window.Command3_Click();
    ASSERT_NE(window.infoWindow(), nullptr);
    window.infoWindow()->Command1->click();
    window.Command4_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(filesMentioning("Liebesbrief"), std::vector<std::string>{});
    EXPECT_EQ(filesMentioning(work.path().string()), std::vector<std::string>{});
    EXPECT_EQ(filesMentioning(traces::glibFileUri(work.path().string())), std::vector<std::string>{});
    EXPECT_FALSE(anyFileNamed("QtProject.conf"));
    EXPECT_FALSE(anyFileNamed("recently-used.xbel"));
}

TEST_F(PrivateHome, ThumbnailsAndTheRecentEntryGoWithTheFileAndNothingElseDoes) {
    keepQtSettingsOutOfHome();
    const std::string path = writeSample(work.file("Strand mit Möwe.jpg"), 7000);
    const std::string thumbnails = home.file("cache/thumbnails");
    const std::string mine = traces::md5Hex(traces::glibFileUri(path)) + ".png";
    std::vector<std::string> planted;
    for (const std::string folder : {"normal", "x-large", "fail/gnome-thumbnail-factory"}) {
        fs::create_directories(thumbnails + "/" + folder);
        planted.push_back(writeSample(thumbnails + "/" + folder + "/" + mine, 4000));
    }
    const std::string other = writeSample(thumbnails + "/normal/" + traces::md5Hex("file:///etc/hosts") + ".png", 900);
    const std::string list =
        xbelList(bookmarkXml("file:///a") + bookmarkXml(traces::glibFileUri(path)) + bookmarkXml("file:///b"));
    writeBytes(home.file("data/recently-used.xbel"), {list.begin(), list.end()});

    frmVesk window(boxes, realDialogs, files, files, process, clock, desktopTraces);
    window.Fname->setText(QString::fromStdString(path));
    window.Command2_Click();

    EXPECT_FALSE(entryExists(path));
    for (const std::string& thumbnail : planted)
        EXPECT_FALSE(entryExists(thumbnail)) << thumbnail;
    EXPECT_EQ(readBytes(other), sampleBytes(900));
    const auto after = readBytes(home.file("data/recently-used.xbel"));
    EXPECT_EQ(urisIn(std::string(after.begin(), after.end())), (std::vector<std::string>{"file:///a", "file:///b"}));
    EXPECT_EQ(boxes.shown.size(), 1u) << "the thumbnails get no box of their own";
    EXPECT_TRUE(window.Label3->isVisibleTo(&window));
}

} // namespace
} // namespace kelvanter::testing
