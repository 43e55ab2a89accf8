#include "PictureBox.h"
#include "WindowFixture.h"

#include <sys/stat.h>

namespace kelvanter::testing {
namespace {

using DestroyCommand = WindowFixture;

const QString kNotFoundText = "Die Datei wurde nicht gefunden. Die Datei ist entweder nicht vorhanden, es ist eine "
                              "versteckte Datei oder eine Systemdatei. Dateiattribute überprüfen !";

QString confirmationText(const QString& path) {
    return "Soll die  Datei " + path + " jetzt unwiderruflich zerstört werden?";
}

TEST_F(DestroyCommand, DestroysAFileInEachModeFromStartToEnd) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "intensiv.bin" : "normal.bin"), 20000);
        boxes.shown.clear();
        destroyThroughWindow(QString::fromStdString(path), intensive);

        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, confirmationText(QString::fromStdString(path)));
        EXPECT_EQ(boxes.shown[0].style, kStyleQuestion);
        EXPECT_EQ(boxes.shown[0].title, "Kelvanter - Kontrollabfrage");
        EXPECT_FALSE(entryExists(path));
        EXPECT_TRUE(leftoverDelFiles(folder.path()).empty());
        EXPECT_EQ(window.Label1->text(), "100 %");
        EXPECT_TRUE(window.Label3->isVisibleTo(&window));
        EXPECT_EQ(window.Picture1->backColor(), kBarColor);
        EXPECT_EQ(window.isOptionSelected(1), intensive) << "the mode stays as the user left it";
        expectWindowUsable();
    }
}

TEST_F(DestroyCommand, MissingFoldersAndLinksGetTheNotFoundBoxAndNothingElse) {
    const std::string target = writeSample(folder.file("ziel"), 300);
    const std::string link = folder.file("verknuepfung");
    std::filesystem::create_symlink(target, link);
    for (const std::string& path : {folder.file("fehlt"), folder.path().string(), folder.path().string() + "/", link}) {
        boxes.shown.clear();
        destroyThroughWindow(QString::fromStdString(path));
        ASSERT_EQ(boxes.shown.size(), 1u) << path;
        EXPECT_EQ(boxes.shown[0].text, kNotFoundText);
        EXPECT_EQ(boxes.shown[0].style, kStyleOkOnly);
        EXPECT_EQ(boxes.shown[0].title, "Kelvanter-Nachricht");
    }
    EXPECT_EQ(readBytes(target), sampleBytes(300));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(files.opens, 0);
}

TEST_F(DestroyCommand, ReadOnlyAnsweredNoChangesNothing) {
    const std::string path = writeSample(folder.file("nurlesen.txt"), 100);
    ::chmod(path.c_str(), 0444);
    boxes.answers = {kAnswerNo};
    destroyThroughWindow(QString::fromStdString(path));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Die Datei " + QString::fromStdString(path) +
                                       " ist schreibgeschützt. Soll der Schreibschutz entfernt werden ?");
    EXPECT_EQ(boxes.shown[0].style, kStyleQuestion);
    EXPECT_EQ(boxes.shown[0].title, "Kelvanter - Nachricht");
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

TEST_F(DestroyCommand, ReadOnlyAnsweredYesThenConfirmationNoAddsTheWriteBitAndKeepsTheFile) {
    const std::string path = writeSample(folder.file("nurlesen.txt"), 100);
    ::chmod(path.c_str(), 0444);
    boxes.answers = {kAnswerYes, kAnswerNo};
    destroyThroughWindow(QString::fromStdString(path));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, confirmationText(QString::fromStdString(path)));
    EXPECT_NE(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    EXPECT_EQ(readBytes(path), sampleBytes(100));
    EXPECT_FALSE(window.Timer1->isActive());
}

TEST_F(DestroyCommand, ARefusalAtAnyQuestionStillLeavesTheDisplayReset) {
    const std::string path = writeSample(folder.file("f"), 100);
    window.setBarBackground(kBarColor);
    window.setPercentCaption("100 %");
    window.setSuccessLabelVisible(true);
    window.Label4->setText("00:01:00");
    boxes.answers = {kAnswerNo};
    destroyThroughWindow(QString::fromStdString(path));
    EXPECT_EQ(window.Picture1->backColor(), kEmptyBarColor);
    EXPECT_EQ(window.Label1->text(), "0 %");
    EXPECT_FALSE(window.Label3->isVisibleTo(&window));
    EXPECT_EQ(window.Label4->text(), "00:01:00") << "times are reset only by a confirmed run";
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

TEST_F(DestroyCommand, AnEmptyPathOnlyResetsTheDisplay) {
    window.setSuccessLabelVisible(true);
    destroyThroughWindow("");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(window.Label3->isVisibleTo(&window));
    EXPECT_EQ(window.Label1->text(), "0 %");
}

TEST_F(DestroyCommand, PathsWithUmlautsAndBlanksAreQuotedAsTheyAreAndDestroyed) {
    const QString path = QString::fromStdString(folder.path().string()) + "/Brief an Jürgen Öztürk.txt";
    writeSample(path.toStdString(), 500);
    destroyThroughWindow(path);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, confirmationText(path));
    EXPECT_FALSE(entryExists(path.toStdString()));
    EXPECT_TRUE(window.Label3->isVisibleTo(&window));
}

TEST_F(DestroyCommand, AFileThatCannotBeDeletedIsReportedWithTheExecutablesName) {
    const std::string path = writeSample(folder.file("brief.txt"), 100);
    writeSample(folder.file("07123509.del"), 10);
    destroyThroughWindow(QString::fromStdString(path));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Die Datei " + QString::fromStdString(path) +
                                       " konnte nicht gelöscht werden! Starten sie das Programm als Administrator.");
    EXPECT_EQ(boxes.shown[1].style, kStyleError);
    EXPECT_EQ(boxes.shown[1].title, QString::fromStdString(window.executableName()));
    EXPECT_FALSE(window.Label3->isVisibleTo(&window));
    expectWindowUsable();
}

TEST_F(DestroyCommand, AnAttributeReadThatFailsAfterTheLookupNamesThePathAndTheReason) {
    const std::string path = writeSample(folder.file("flüchtig"), 100);
    // Every look after the first says the file is gone: the lookup passes, the attribute read fails.
    struct VanishingFiles : InstrumentedFileServices {
        int inspections = 0;
        SysResult<EntryStatus> inspect(const std::string& p) override {
            if (++inspections > 1)
                return {{}, ENOENT};
            return InstrumentedFileServices::inspect(p);
        }
    } vanishing;
    TestableVesk other(boxes, dialogs, vanishing, clock);
    other.show();
    other.Fname->setText(QString::fromStdString(path));
    other.Command2_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, kStyleError);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("Die Datei " + QString::fromStdString(path)));
    EXPECT_TRUE(boxes.shown[0].text.endsWith("Die Datei oder der Ordner ist nicht vorhanden."));
    EXPECT_TRUE(other.isEnabled());
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

} // namespace
} // namespace kelvanter::testing

namespace kelvanter::testing {
namespace {

TEST(DestroyCommandEscapes, AnErrorEscapingTheRunLeavesTheWindowUsableAndIsReportedOnce) {
    struct ThrowingFiles : InstrumentedFileServices {
        SysResult<std::int64_t> writeBlocks(FileHandle, const void*, std::size_t, std::int64_t, std::int64_t) override {
            throw std::runtime_error("Testfehler");
        }
    } files;
    TempFolder folder;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    FakeClock clock;
    TestableVesk window(boxes, dialogs, files, clock);
    window.show();
    const std::string path = writeSample(folder.file("brief"), 100);
    window.Fname->setText(QString::fromStdString(path));
    window.Command2_Click();

    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].style, kStyleError);
    EXPECT_EQ(boxes.shown[1].text,
              "Die Datei " + QString::fromStdString(path) + " kann nicht bearbeitet werden: Testfehler");
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(window.isRunInProgress());
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window.Label5->text(), window.Label4->text());
    EXPECT_TRUE(window.close()) << "the close guard is released";
    EXPECT_EQ(files.opens, 1);
    EXPECT_EQ(files.closes, 1) << "the pass's file is closed although the write threw";
}

} // namespace
} // namespace kelvanter::testing
