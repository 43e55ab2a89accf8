#include "qt/frmKelvanterInfo.h"
#include "support/WindowFixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace kelvanter::testing {
namespace {

class InfoWindow : public WindowFixture {
protected:
    frmKelvanterInfo* openInfo() {
        window.Command3_Click();
        frmKelvanterInfo* info = window.infoWindow();
        if (info != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(info));
        }
        return info;
    }

    QStringList lines(frmKelvanterInfo* info) {
        QStringList texts;
        for (int row = 0; row < info->List1->count(); ++row)
            texts << info->List1->item(row)->text();
        return texts;
    }
};

TEST_F(InfoWindow, OpensWithItsTwentyThreeLinesNothingSelectedAndFocusOnBeenden) {
    frmKelvanterInfo* info = openInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->windowTitle(), "Kelvanter - Info");
    EXPECT_EQ(info->size(), QSize(493, 320));
    EXPECT_EQ(info->parentWidget(), nullptr);
    EXPECT_FALSE(info->isModal());
    const QStringList texts = lines(info);
    ASSERT_EQ(texts.size(), 23);
    EXPECT_EQ(texts[0], "");
    EXPECT_EQ(texts[1], "Der Kelvanter vernichtet Dateien unwiederbringlich !");
    EXPECT_EQ(texts[3], "Beim Löschen einer Datei überschreibt Windows nur den ersten ");
    EXPECT_EQ(texts[4], "Buchstaben des Eintrags in der Verzeichnisliste und markiert ");
    EXPECT_EQ(texts[8], "Mit Undelete-Programmen können also Dateien, deren Cluster ");
    EXPECT_EQ(texts[13], "einfach:");
    EXPECT_EQ(texts[22], "in Deutschland als gesetzlicher Standard.");
    for (const QString& line : texts)
        EXPECT_LE(line.size(), 61) << line.toStdString();
    EXPECT_TRUE(info->List1->selectedItems().isEmpty());
    EXPECT_FALSE(info->List1->wordWrap());
    EXPECT_TRUE(info->Command1->hasFocus());
    EXPECT_EQ(info->Command1->text(), "Beenden");
    EXPECT_EQ(info->List1->palette().color(QPalette::Base), QColor(255, 255, 192));
    EXPECT_EQ(info->List1->palette().color(QPalette::Text), QColor(0, 0, 192));
    EXPECT_TRUE(QFontInfo(info->List1->font()).fixedPitch());
}

TEST_F(InfoWindow, ReopeningAfterBeendenOrTheCloseBoxMakesAFreshWindowWithTwentyThreeLines) {
    frmKelvanterInfo* first = openInfo();
    ASSERT_NE(first, nullptr);
    QPointer<frmKelvanterInfo> firstGuard = first;
    first->Command1->click();
    EXPECT_EQ(window.infoWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(firstGuard.isNull());

    frmKelvanterInfo* second = openInfo();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->List1->count(), 23);
    second->close();
    EXPECT_EQ(window.infoWindow(), nullptr);
    frmKelvanterInfo* third = openInfo();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->List1->count(), 23);
}

TEST_F(InfoWindow, EnterOrSpaceOnBeendenClosesItAtOnce) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        frmKelvanterInfo* info = openInfo();
        ASSERT_NE(info, nullptr);
        ASSERT_TRUE(info->Command1->hasFocus());
        QTest::keyClick(info->Command1, key);
        EXPECT_EQ(window.infoWindow(), nullptr) << key;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(InfoWindow, ClickingInfoAgainKeepsOneWindowAndBringsFocusBackToBeenden) {
    frmKelvanterInfo* info = openInfo();
    ASSERT_NE(info, nullptr);
    info->List1->setFocus();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.Command3_Click();
    EXPECT_EQ(window.infoWindow(), info);
    ASSERT_TRUE(QTest::qWaitForWindowActive(info));
    EXPECT_TRUE(info->Command1->hasFocus());
    EXPECT_EQ(info->List1->count(), 23);
    int infoWindows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        infoWindows += qobject_cast<frmKelvanterInfo*>(widget) != nullptr && widget->isVisible();
    EXPECT_EQ(infoWindows, 1);
}

TEST_F(InfoWindow, StaysUsableWhileTheMainWindowIsDisabled) {
    frmKelvanterInfo* info = openInfo();
    ASSERT_NE(info, nullptr);
    window.setWindowEnabled(false);
    EXPECT_TRUE(info->isEnabled());
    EXPECT_TRUE(info->Command1->isEnabled());
    window.setWindowEnabled(true);
}

} // namespace
} // namespace kelvanter::testing
