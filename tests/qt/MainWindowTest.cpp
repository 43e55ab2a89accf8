#include "qt/PictureBox.h"
#include "qt/ShapeFrame.h"
#include "qt/frmKelvanterInfo.h"
#include "support/WindowFixture.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace kelvanter::testing {
namespace {

using MainWindow = WindowFixture;

TEST_F(MainWindow, StartsInItsDesignedState) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.windowTitle(), "Kelvanter");
    EXPECT_EQ(window.size(), QSize(474, 210));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.Fname->text().isEmpty());
    EXPECT_TRUE(window.Fname->hasFocus());
    EXPECT_FALSE(window.Command2->isEnabled());
    EXPECT_TRUE(window.Option1[0]->isChecked());
    EXPECT_FALSE(window.Option1[1]->isChecked());
    EXPECT_FALSE(window.Label3->isVisible());
    EXPECT_EQ(window.progress().Label1->text(), "0 %");
    EXPECT_EQ(window.progress().Label4->text(), "00:00:00");
    EXPECT_EQ(window.progress().Label5->text(), "00:00:00");
    EXPECT_EQ(window.progress().Picture1->backColor(), kEmptyBarColor);
    EXPECT_FALSE(window.progress().Timer1->isActive());
    EXPECT_EQ(window.progress().Timer1->interval(), 1000);
    EXPECT_EQ(window.flow().lSeconds, 0);
    EXPECT_EQ(window.flow().counters.lBytesDone, 0);
}

TEST_F(MainWindow, ControlsSitWhereTheTwipsPutThemWithTheirTexts) {
    EXPECT_EQ(window.Fname->geometry(), QRect(16, 48, 393, 20));
    EXPECT_EQ(window.Command2->geometry(), QRect(144, 78, 145, 65));
    EXPECT_EQ(window.progress().Picture1->geometry(), QRect(17, 176, 440, 17));
    EXPECT_EQ(window.Command2->text(), "Datei zerstören");
    EXPECT_EQ(window.Label2->text(), "Zu zerstörende Datei auswählen:");
    EXPECT_EQ(window.Label3->text(), "Datei wurde zerstört !");
    EXPECT_EQ(window.progress().Label6->text(), "Time Elapsed:");
    EXPECT_EQ(window.progress().Label7->text(), "Time Estimated:");
    EXPECT_EQ(window.Command1->toolTip(), "Zu zerstörende Datei öffnen.");
    EXPECT_EQ(window.Command3->toolTip(), "Info");
    EXPECT_EQ(window.Command4->toolTip(), "Beenden");
    EXPECT_TRUE(window.Command1->text().isEmpty());
    for (QPushButton* button : {window.Command1, window.Command3, window.Command4})
        EXPECT_FALSE(button->isDefault());
    EXPECT_EQ(window.progress().Label1->parentWidget(), window.progress().Picture1);
    EXPECT_EQ(window.progress().Label1->alignment(), Qt::AlignCenter);
    // The frame lies behind every other control.
    EXPECT_EQ(window.children().indexOf(static_cast<QObject*>(window.Shape1)), 0);
}

TEST_F(MainWindow, TabOrderFollowsTheDesign) {
    const QList<QWidget*> expected = {window.Fname,      window.Command1,   window.Command2, window.progress().Picture1,
                                      window.Option1[0], window.Option1[1], window.Command3, window.Command4};
    QWidget* current = window.Fname;
    for (qsizetype i = 1; i < expected.size(); ++i) {
        current = current->nextInFocusChain();
        while (current->focusPolicy() == Qt::NoFocus)
            current = current->nextInFocusChain();
        EXPECT_EQ(current, expected[i]) << "position " << i;
    }
}

TEST_F(MainWindow, OptionsExcludeEachOtherAndTypingLeavesTheDestroyButtonAlone) {
    window.Option1[1]->click();
    EXPECT_FALSE(window.Option1[0]->isChecked());
    EXPECT_TRUE(window.isOptionSelected(1));
    window.Option1[0]->click();
    EXPECT_FALSE(window.Option1[1]->isChecked());
    QTest::keyClicks(window.Fname, "/tmp/x");
    EXPECT_FALSE(window.Command2->isEnabled());
}

TEST_F(MainWindow, EnterPressesOnlyTheButtonThatHasTheFocus) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.Fname->setText(QString::fromStdString(folder.file("fehlt")));
    QTest::keyClick(window.Fname, Qt::Key_Return);
    EXPECT_TRUE(boxes.shown.empty()) << "no default button: Enter in the path box does nothing";

    window.Command2->setEnabled(true);
    window.Command2->setFocus();
    QSignalSpy clicked(window.Command2, &QToolButton::clicked);
    QTest::keyClick(window.Command2, Qt::Key_Return);
    // Enter animates the click: the box comes with the click's signal.
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(10000));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Kelvanter-Nachricht");

    window.Command3->setFocus();
    QTest::keyClick(window.Command3, Qt::Key_Return);
    EXPECT_NE(window.infoWindow(), nullptr);
}

TEST_F(MainWindow, PointerCodesSwitchBetweenHourglassAndNormal) {
    window.progress().setMousePointer(kPointerHourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    window.progress().setMousePointer(kPointerDefault);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindow, CloseRequestsDuringARunAreIgnoredAndTheRunEndsNormally) {
    const std::string path = writeSample(folder.file("brief.txt"), 3 * 4096);
    int refusedCloses = 0;
    files.afterWrite = [&](std::int64_t) {
        if (!window.close())
            ++refusedCloses;
    };
    destroyThroughWindow(QString::fromStdString(path));
    EXPECT_GT(refusedCloses, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(window.Label3->isVisible());
    expectUsable();
    files.afterWrite = nullptr;
    EXPECT_TRUE(window.close());
}

TEST_F(MainWindow, ExitClosesTheWindowAndTakesTheInfoWindowWithIt) {
    window.Command3_Click();
    QPointer<frmKelvanterInfo> info = window.infoWindow();
    ASSERT_TRUE(info);
    window.Command4->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(info.isNull());
}

} // namespace
} // namespace kelvanter::testing
